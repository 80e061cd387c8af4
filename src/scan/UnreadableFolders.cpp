#include "scan/UnreadableFolders.h"

#include "platform/Format.h"

#include <QStringList>

namespace pairsift {

void UnreadableFolders::note(const QString& path, int error)
{
    ++m_count;
    if (m_first.size() < keptCount)
        m_first.append(Folder{path, qt_error_string(error)});
}

UnreadableFolders UnreadableFolders::followedBy(const UnreadableFolders& later) const
{
    UnreadableFolders both = *this;
    both.m_count += later.m_count;
    for (const Folder& folder : later.m_first) {
        if (both.m_first.size() < keptCount)
            both.m_first.append(folder);
    }
    return both;
}

QString UnreadableFolders::description() const
{
    QStringList lines;
    for (const Folder& folder : m_first)
        lines.append(formatString("%@: %@", folder.path, folder.reason));
    if (m_count > static_cast<std::uint64_t>(m_first.size()))
        lines.append(formatString("and %lu more", m_count - static_cast<std::uint64_t>(m_first.size())));
    return lines.join(QLatin1Char('\n'));
}

} // namespace pairsift
