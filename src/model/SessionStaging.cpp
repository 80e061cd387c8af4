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
    const StagingPlan plan = planStaging();
    if (!stageRows(*m_db, plan.files, m_logger))
        return std::nullopt;
    didStage(plan);
    return plan.nextGroup;
}

Session::StagingPlan Session::planStaging()
{
    StagingPlan plan{groupToSelectAfterStaging(), {}};
    // At most every file: one allocation however many are marked.
    plan.files.reserve(static_cast<qsizetype>(m_allFiles.size()));
    for (const auto& [digest, group] : m_fileGroupsByHash) {
        const std::uint64_t marked = group->markedCount();
        if (marked == 0 || marked == group->count())
            continue;
        group->populateFilesWithRemainingFile();
        for (const FileItemPtr& file : group->files()) {
            if (file->markedForRemoval())
                plan.files.append(file);
        }
    }
    return plan;
}

bool Session::stageRows(PairsiftDatabase& db, const QList<FileItemPtr>& files, const SOLoggerPtr& logger)
{
    // Without our own transaction the rows would join whatever else holds the connection; the store
    // has logged why it could not begin.
    if (!db.beginTransaction())
        return false;
    bool isStaged = true;
    for (const FileItemPtr& file : files)
        isStaged = stageRow(db, file->name(), file->remainingFileName(), logger) && isStaged;
    // A file that could not be staged (its row is gone) fails the whole staging: nothing is staged. A
    // transaction left open would swallow every later write.
    if (!isStaged || !db.commit()) {
        db.rollback();
        return false;
    }
    return true;
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
    return stageRow(*m_db, file.name(), file.remainingFileName(), m_logger);
}

bool Session::stageRow(PairsiftDatabase& db, const QString& path, const QString& keptCopy, const SOLoggerPtr& logger)
{
    Error error;
    if (db.stageFile(path, keptCopy, &error))
        return true;
    logError(logger, "Unable to mark file '%@' as deleted: %@", path, error.message());
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
