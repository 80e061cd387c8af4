#pragma once

#include <QList>

#include <memory>
#include <optional>

namespace pairsift {

struct ResourceForkContents;

// Lists the resource types of one fork, each type once, in the order they appear. It takes the list
// when it is made and is bound to the fork that made it (not to whichever fork was opened last): once
// that fork is closed, the next call logs the failure and gives no type.
class ResourceTypeEnumerator {
public:
    explicit ResourceTypeEnumerator(std::weak_ptr<const ResourceForkContents> contents);

    qint32 numberOfTypes() const { return qint32(m_types.size()); }
    // The next type; std::nullopt after the last one or on a failure.
    std::optional<quint32> nextObject();
    // The types not yet delivered.
    QList<quint32> allObjects();

private:
    std::weak_ptr<const ResourceForkContents> m_contents;
    QList<quint32> m_types;
    // 1-based index of the next type; 32 bits, as a fork may hold more than 32,767 types.
    qint32 m_typeIndex = 1;
};

} // namespace pairsift
