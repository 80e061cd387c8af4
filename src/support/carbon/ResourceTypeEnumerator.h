#pragma once

#include <QList>

#include <memory>
#include <optional>

namespace pairsift {

struct ResourceForkContents;

// Lists the resource types of one fork, each type once, in the order they appear. It is bound to the
// fork that made it (not to whichever fork was opened last); once that fork is closed, or has fewer
// types than were counted, the next call logs the failure and gives no type.
class ResourceTypeEnumerator {
public:
    explicit ResourceTypeEnumerator(std::weak_ptr<const ResourceForkContents> contents);

    qint16 numberOfTypes() const { return m_numberOfTypes; }
    // The next type; std::nullopt after the last one or on a failure.
    std::optional<quint32> nextObject();
    // The types not yet delivered.
    QList<quint32> allObjects();

private:
    std::weak_ptr<const ResourceForkContents> m_contents;
    qint16 m_numberOfTypes = 0;
    // 1-based index of the next type.
    qint16 m_typeIndex = 1;
};

} // namespace pairsift
