#include "support/carbon/ResourceTypeEnumerator.h"

#include "platform/ConsoleLog.h"
#include "support/carbon/ResourceForkFormat.h"

namespace pairsift {

ResourceTypeEnumerator::ResourceTypeEnumerator(std::weak_ptr<const ResourceForkContents> contents)
    : m_contents(std::move(contents))
{
    if (const std::shared_ptr<const ResourceForkContents> current = m_contents.lock())
        m_types = resourceTypes(*current);
}

std::optional<quint32> ResourceTypeEnumerator::nextObject()
{
    if (m_typeIndex > numberOfTypes())
        return std::nullopt;
    const qint32 index = m_typeIndex++;
    if (m_contents.expired()) {
        consoleLog("Could not get type for resource %i", index);
        return std::nullopt;
    }
    return m_types[index - 1];
}

QList<quint32> ResourceTypeEnumerator::allObjects()
{
    QList<quint32> types;
    types.reserve(numberOfTypes() - m_typeIndex + 1);
    while (const std::optional<quint32> type = nextObject())
        types.append(*type);
    return types;
}

} // namespace pairsift
