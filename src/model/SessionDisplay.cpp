// Marking, ordering and the expanded groups of the results list.
#include "model/Session.h"

#include "model/PairsiftCompare.h"
#include "settings/LocationItem.h"
#include "settings/PairsiftDefaults.h"
#include "store/PairsiftDatabase.h"

#include <algorithm>

namespace pairsift {

void Session::markDuplicateFiles()
{
    for (const auto& [digest, group] : m_fileGroupsByHash)
        group->selectDuplicates();
}

void Session::unmarkAllFiles()
{
    for (const FileItemPtr& file : m_allFiles)
        file->setMarkedForRemoval(false);
}

void Session::sortFilesInGroupsWithLocations(const QList<LocationItemPtr>& locations)
{
    sortFilesInGroups(locationPaths(locations), PairsiftDefaults::preferFiles());
}

void Session::sortFilesInGroups(const QStringList& locationPaths, qint64 preferFiles)
{
    for (const auto& [digest, group] : m_fileGroupsByHash)
        group->sortWithLocations(locationPaths, preferFiles);
}

void Session::sortGroupsUsingDescriptor(const GroupSortDescriptor& descriptor)
{
    struct Entry {
        Sha1Digest digest;
        QString name;
        std::uint64_t size = 0;
    };
    const bool byName = descriptor.key == QLatin1String("name");
    const bool byFileSize = descriptor.key == QLatin1String("fileSize");

    std::vector<Entry> entries;
    entries.reserve(m_fileGroupsByHash.size());
    for (const auto& [digest, group] : m_fileGroupsByHash) {
        Entry entry{digest, {}, 0};
        if (byName)
            entry.name = group->fileName();
        else
            entry.size = byFileSize ? group->fileSize() : group->totalSize();
        entries.push_back(std::move(entry));
    }

    const auto compareValues = [&](const Entry& left, const Entry& right) {
        const int result = byName ? left.name.compare(right.name) : (left.size > right.size) - (left.size < right.size);
        return descriptor.ascending ? result : -result;
    };
    std::sort(entries.begin(), entries.end(), [&](const Entry& left, const Entry& right) {
        const int result = compareValues(left, right);
        return result != 0 ? result < 0 : left.digest < right.digest;
    });

    m_sortedFileHashes.clear();
    m_sortedFileHashes.reserve(entries.size());
    for (const Entry& entry : entries)
        m_sortedFileHashes.push_back(entry.digest);
}

void Session::addExpandedGroup(const FileGroupPtr& group)
{
    addExpandedGroups({group->sha1()});
}

void Session::removeExpandedGroup(const FileGroupPtr& group)
{
    removeExpandedGroups({group->sha1()});
}

void Session::addExpandedGroups(const QList<QByteArray>& sha1s)
{
    for (const QByteArray& sha1 : sha1s) {
        if (!m_expandedGroupKeys.contains(sha1)) {
            m_expandedGroupKeys.insert(sha1);
            m_expandedGroups.append(sha1);
        }
    }
}

void Session::removeExpandedGroups(const QSet<QByteArray>& sha1s)
{
    bool isAnyListed = false;
    for (const QByteArray& sha1 : sha1s)
        isAnyListed = m_expandedGroupKeys.remove(sha1) || isAnyListed;
    if (isAnyListed)
        m_expandedGroups.removeIf([&](const QByteArray& sha1) { return sha1s.contains(sha1); });
}

void Session::saveExpandedGroups()
{
    m_db->saveExpandedGroups(m_expandedGroups);
}

void Session::loadExpandedGroups()
{
    m_expandedGroups.clear();
    m_expandedGroupKeys.clear();
    addExpandedGroups(m_db->loadExpandedGroups());
}

void Session::enumerateExpandedGroupsWithBlock(const std::function<void(const QByteArray& sha1)>& block) const
{
    const QList<QByteArray> snapshot = m_expandedGroups;
    for (const QByteArray& sha1 : snapshot)
        block(sha1);
}

void Session::clearExpandedGroups()
{
    m_expandedGroups.clear();
    m_expandedGroupKeys.clear();
    m_db->clearExpandedGroups();
}

} // namespace pairsift
