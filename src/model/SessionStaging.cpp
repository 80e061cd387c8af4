// Staging marked files for removal.
#include "model/Session.h"

#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <unordered_set>

namespace pairsift {

FileGroupPtr Session::groupToSelectAfterStaging() const
{
    // Walking the display order from one end: the last group met before the first one with a mark.
    const auto lastUnmarkedBeforeMarked = [this](auto position, auto end) {
        FileGroupPtr remembered;
        for (; position != end; ++position) {
            const FileGroupPtr group = groupWithDigest(*position);
            if (!group)
                continue;
            if (group->markedCount() > 0)
                break;
            remembered = group;
        }
        return remembered;
    };
    // The unmarked group just before the first marked one, else the one just after the last marked one.
    if (FileGroupPtr before = lastUnmarkedBeforeMarked(m_sortedFileHashes.cbegin(), m_sortedFileHashes.cend()))
        return before;
    return lastUnmarkedBeforeMarked(m_sortedFileHashes.crbegin(), m_sortedFileHashes.crend());
}

std::optional<FileGroupPtr> Session::removeMarkedFiles()
{
    FileGroupPtr next = groupToSelectAfterStaging();

    std::vector<FileGroupPtr> groups;
    for (const auto& [digest, group] : m_fileGroupsByHash) {
        const std::uint64_t marked = group->markedCount();
        if (marked > 0 && marked < group->count())
            groups.push_back(group);
    }
    for (const FileGroupPtr& group : groups)
        group->populateFilesWithRemainingFile();

    // Without our own transaction the rows would join whatever else holds the connection; the store
    // has logged why it could not begin.
    if (!m_db->beginTransaction())
        return std::nullopt;
    bool isStaged = true;
    for (const FileGroupPtr& group : groups)
        isStaged = removeFiles(group->selectedFiles()) && isStaged;
    // A file that could not be staged (its row is gone) fails the whole staging: nothing is staged. A
    // transaction left open would swallow every later write.
    if (!isStaged || !m_db->commit()) {
        m_db->rollback();
        return std::nullopt;
    }
    return next;
}

bool Session::removeFile(const FileItemPtr& file)
{
    dropFromAllFiles({file});
    return stageFile(*file);
}

bool Session::removeFiles(const QList<FileItemPtr>& files)
{
    bool succeeded = true;
    for (const FileItemPtr& file : files)
        succeeded = stageFile(*file) && succeeded;
    // One pass over allFiles() for the whole list.
    dropFromAllFiles(files);
    return succeeded;
}

bool Session::removeGroup(const FileGroupPtr& group)
{
    return removeFiles(group->tail());
}

bool Session::stageFile(const FileItem& file)
{
    Error error;
    if (m_db->stageFile(file.name(), file.remainingFileName(), &error))
        return true;
    logError(m_logger, "Unable to mark file '%@' as deleted: %@", file.name(), error.message());
    return false;
}

void Session::dropFromAllFiles(const QList<FileItemPtr>& files)
{
    if (files.isEmpty())
        return;
    std::unordered_set<const FileItem*> dropped;
    for (const FileItemPtr& file : files)
        dropped.insert(file.get());
    std::erase_if(m_allFiles, [&](const FileItemPtr& file) { return dropped.contains(file.get()); });
    // Their positions name other files now; they served the comparison, which is over.
    m_fileGroupsBySize = {};
    publishFileCount();
}

} // namespace pairsift
