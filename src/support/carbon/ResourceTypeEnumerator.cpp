#include "support/carbon/ResourceTypeEnumerator.h"

#include "platform/ConsoleLog.h"
#include "support/carbon/ResourceForkFormat.h"

namespace pairsift {

ResourceTypeEnumerator::ResourceTypeEnumerator(std::weak_ptr<const ResourceForkContents> contents)
    : m_contents(std::move(contents))
{
    if (const std::shared_ptr<const ResourceForkContents> current = m_contents.lock())
        m_numberOfTypes = qint16(qMin(resourceTypes(*current).size(), qsizetype(0x7FFF)));
}

std::optional<quint32> ResourceTypeEnumerator::nextObject()
{
    if (m_typeIndex > m_numberOfTypes)
        return std::nullopt;
    const qint16 index = m_typeIndex++;
    const std::shared_ptr<const ResourceForkContents> current = m_contents.lock();
    const QList<quint32> types = current ? resourceTypes(*current) : QList<quint32>();
    if (index > types.size()) {
        consoleLog("Could not get type for resource %i", index);
        return std::nullopt;
    }
    return types[index - 1];
}

QList<quint32> ResourceTypeEnumerator::allObjects()
{
    QList<quint32> types;
    while (const std::optional<quint32> type = nextObject())
        types.append(*type);
    return types;
}

} // namespace pairsift
