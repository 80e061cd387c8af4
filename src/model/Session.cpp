#include "model/Session.h"

#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace pairsift {

Session::Session(std::shared_ptr<PairsiftDatabase> db, SOLoggerPtr logger)
    : m_db(std::move(db))
    , m_logger(std::move(logger))
{
    loadExpandedGroups();
}

Session::~Session() = default;

bool Session::addNewFile(const FileItemPtr& file)
{
    // Kept first and never undone: fileCount() counts every file offered.
    m_allFiles.push_back(file);
    publishFileCount();

    if (!m_db->addEncodedFile(file->encodedName(), file->totalSize(), file->dateCreated(), file->containerType(),
            file->containerPath())) {
        logError(m_logger, "Unable to add file '%@' to database", file->name());
        return false;
    }

    const std::size_t groupSize =
        m_fileGroupsBySize.add(static_cast<std::uint32_t>(m_allFiles.size() - 1), file->totalSize());
    // The second file of a size also makes a duplicate of the first.
    if (groupSize == 2)
        m_countOfDuplicatesBySize += 2;
    else if (groupSize > 2)
        m_countOfDuplicatesBySize += 1;
    return true;
}

void Session::addFile(const FileItemPtr& file)
{
    m_allFiles.push_back(file);
    publishFileCount();
    groupFileByHash(file);
}

namespace {

void addToGroupByHash(Session::FileGroupsByHash& groups, const FileItemPtr& file, const SOLoggerPtr& logger)
{
    const std::optional<Sha1Digest>& digest = file->sha1Digest();
    if (!digest)
        return;
    FileGroupPtr& group = groups[*digest];
    if (!group) {
        group = std::make_shared<FileGroup>();
        group->setLogger(logger);
    }
    group->addFile(file);
}

void dropSingleFileGroups(Session::FileGroupsByHash& groups)
{
    std::erase_if(groups, [](const auto& entry) { return entry.second->count() < 2; });
}

// A stored text's bytes against a copy of other ones, NULL differing from the empty text.
bool sameBytes(QByteArrayView stored, const QByteArray& copy)
{
    return stored.isNull() == copy.isNull() && stored == copy;
}

QString decodedText(QByteArrayView stored)
{
    return stored.isNull() ? QString() : QString::fromUtf8(stored.data(), stored.size());
}

} // namespace

void Session::groupFileByHash(const FileItemPtr& file)
{
    addToGroupByHash(m_fileGroupsByHash, file, m_logger);
}

void Session::pruneUniqueGroups()
{
    dropSingleFileGroups(m_fileGroupsByHash);
}

void Session::clear()
{
    // Freeing a large scan's items takes a while: the caller (the main thread) need not wait for it.
    if (!m_allFiles.empty() || m_fileGroupsBySize.groupCount() > 0 || !m_fileGroupsByHash.empty()) {
        m_release.release(std::make_shared<std::tuple<std::vector<FileItemPtr>, FileGroupsBySize, FileGroupsByHash>>(
            std::exchange(m_allFiles, {}), std::exchange(m_fileGroupsBySize, {}), std::exchange(m_fileGroupsByHash, {})));
    }
    publishFileCount();
    m_countOfDuplicatesBySize = 0;
}

void Session::loadFilesFromDatabase()
{
    clear();
    replaceFiles(readFilesWithDigest(*m_db));
}

std::vector<FileItemPtr> Session::readFilesWithDigest(PairsiftDatabase& db, bool* isComplete)
{
    std::vector<FileItemPtr> files;
    // Rows come a location at a time: a row's container values are decoded only where they differ from
    // the row before.
    QByteArray typeBytes;
    QByteArray pathBytes;
    FileItemFolder::Cache folders;
    // A row without a digest was unique by size or by the fast hash.
    const bool isRead = db.enumerateStoredFilesWithDigest([&](const StoredFileRow& row) {
        FileItemPtr file = FileItem::create(FileItem::EncodedName{row.path, &folders});
        file->setTotalSize(row.size);
        file->setDateCreated(row.created);
        file->setSha1(QByteArray::fromRawData(row.sha1.data(), row.sha1.size()));
        if (!files.empty() && sameBytes(row.containerType, typeBytes) && sameBytes(row.containerPath, pathBytes)) {
            file->setContainerOf(*files.back());
        } else {
            file->setContainerType(decodedText(row.containerType));
            file->setContainerPath(decodedText(row.containerPath));
            typeBytes = row.containerType.toByteArray();
            pathBytes = row.containerPath.toByteArray();
        }
        files.push_back(std::move(file));
    });
    if (isComplete)
        *isComplete = isRead;
    return files;
}

Session::LoadedFiles Session::groupLoadedFiles(std::vector<FileItemPtr> files)
{
    LoadedFiles loaded{std::move(files), {}};
    // At most one group per file: no rehashing on the way.
    loaded.groups.reserve(loaded.files.size());
    // The session's logger joins the groups when it takes them over.
    for (const FileItemPtr& file : loaded.files)
        addToGroupByHash(loaded.groups, file, nullptr);
    dropSingleFileGroups(loaded.groups);
    return loaded;
}

void Session::replaceLoadedFiles(LoadedFiles loaded)
{
    clear();
    m_allFiles = std::move(loaded.files);
    m_fileGroupsByHash = std::move(loaded.groups);
    for (const auto& [digest, group] : m_fileGroupsByHash)
        group->setLogger(m_logger);
    publishFileCount();
}

void Session::publishFileCount()
{
    m_fileCount.store(m_allFiles.size(), std::memory_order_release);
}

FileGroupPtr Session::fileGroupWithSHA1(const QByteArray& sha1) const
{
    const std::optional<Sha1Digest> digest = Sha1Digest::fromByteArray(sha1);
    return digest ? groupWithDigest(*digest) : nullptr;
}

FileGroupPtr Session::fileGroupWithFile(const FileItemPtr& file) const
{
    const std::optional<Sha1Digest>& digest = file->sha1Digest();
    return digest ? groupWithDigest(*digest) : nullptr;
}

FileGroupPtr Session::groupAtIndex(std::uint64_t index) const
{
    return groupWithDigest(m_sortedFileHashes.at(index));
}

FileGroupPtr Session::groupWithDigest(const Sha1Digest& digest) const
{
    const auto found = m_fileGroupsByHash.find(digest);
    return found == m_fileGroupsByHash.end() ? nullptr : found->second;
}

PSFTSessionMarkedInfo Session::markedInfo() const
{
    PSFTSessionMarkedInfo info;
    for (const auto& [digest, group] : m_fileGroupsByHash) {
        const std::uint64_t marked = group->markedCount();
        if (marked > 0 && marked < group->count()) {
            info.count += marked;
            info.size += static_cast<double>(group->markedSize());
        }
    }
    return info;
}

double Session::wastedSpace() const
{
    double total = 0.0;
    for (const auto& [digest, group] : m_fileGroupsByHash)
        total += group->wastedSpace();
    return total;
}

FileGroupPtr Session::selectedGroupAfterRemovingGroup(const FileGroupPtr& group) const
{
    const std::optional<Sha1Digest> digest = Sha1Digest::fromByteArray(group->sha1());
    const auto found = std::find(m_sortedFileHashes.begin(), m_sortedFileHashes.end(), digest);
    if (found == m_sortedFileHashes.end())
        return nullptr;
    const std::size_t position = static_cast<std::size_t>(found - m_sortedFileHashes.begin());
    const std::size_t neighbour = position == 0 ? 1 : position - 1;
    return neighbour < m_sortedFileHashes.size() ? groupAtIndex(neighbour) : nullptr;
}

} // namespace pairsift
