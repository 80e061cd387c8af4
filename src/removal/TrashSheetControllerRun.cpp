// The removal runs of TrashSheetController: starting, the worker on the removal queue, the finish step.
#include "removal/TrashSheetController.h"

#include "platform/ConsoleLog.h"
#include "platform/SerialQueue.h"
#include "removal/PhotoLibraryHandlers.h"
#include "removal/TrashSheetFilesModel.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <stdexcept>

namespace pairsift {

const QString TrashSheetController::idleMessage = QStringLiteral("Idle.");
const QString TrashSheetController::trashFailureMessage =
    QStringLiteral("Some files could not be moved to Trash. To delete them permanently, click Delete again.");

void TrashSheetController::moveSelectedFilesIntoArray(
    QList<FileItemPtr>* destination, bool useExternalApps, RemovalFileBlock block)
{
    if (!block)
        throw std::invalid_argument("block != NULL");
    if (m_isRunning)
        return; // the list is disabled during a run: runs never overlap
    setRunning(true);
    m_stopped.store(false);
    setProgress(0.0);
    const QList<FileItemPtr> selected = selectedFiles();
    ClassifiedFiles classified = classifyFiles(selected);
    consoleLog("Classified files: %@", classified.description());
    m_marksAtRunStart.clear();
    for (auto mark = m_fileErrors.cbegin(); mark != m_fileErrors.cend(); ++mark) {
        if (mark.value() != 0)
            m_marksAtRunStart.insert(mark.key());
    }
    setBusy(true);
    setCanStop(true);
    m_runQueue = std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.staging"));
    m_runQueue->async([this, destination, useExternalApps, selected, classified = std::move(classified),
                          block = std::move(block)] {
        runWorker(destination, useExternalApps, selected, classified, block);
    });
}

// Removal queue. Stop ends only the walk over the plain files; the photo-library part of a Delete run runs
// in full. The finish step is posted exactly once, after everything else the run posted.
void TrashSheetController::runWorker(QList<FileItemPtr>* destination, bool useExternalApps,
    const QList<FileItemPtr>& selected, const ClassifiedFiles& classified, const RemovalFileBlock& block)
{
    const auto total = static_cast<std::uint64_t>(selected.size());
    std::uint64_t done = 0;
    QList<FileItemPtr> processedFiles;
    const auto reportDone = [this, total, &done] {
        const double progress = static_cast<double>(done) * 100.0 / static_cast<double>(total);
        const QString remaining = formatString("Remaining files: %lu", total - done);
        postToSheet([this, progress, remaining] {
            setProgress(progress);
            setAutomaticMessage(remaining);
        });
    };

    for (const FileItemPtr& file : useExternalApps ? classified.directory : selected) {
        Error error;
        bool stop = false;
        const bool isDealtWith = block(file, &error, &stop);
        if (stop)
            break;
        if (isDealtWith)
            processedFiles.append(file);
        else if (!error.description.isEmpty())
            logError(logger(), "Unable to delete file '%@' from database", file->name());
        ++done;
        reportDone();
    }

    QString finalMessage = idleMessage;
    if (useExternalApps) {
        postToSheet([this] { setCanStop(false); });
        PhotoRemovalRun run{classified, processedFiles, total, &done, m_database.get(), logger(),
            [this](const QString& status) { postToSheet([this, status] { setAutomaticMessage(status); }); },
            [&done, &reportDone] {
                ++done;
                reportDone();
            },
            [&finalMessage](const QString& status) { finalMessage = status; },
            [this](const FileItemPtr& file) { noteOutcome(file->name(), RemovalOutcome::Failed); }};
        iPhotoHandler(run);
        apertureHandler(run);
    }
    postToSheet([this, destination, processedFiles, finalMessage] {
        finishMovingFilesIntoArray(destination, processedFiles, finalMessage);
    });
}

void TrashSheetController::finishMovingFilesIntoArray(
    QList<FileItemPtr>* destination, const QList<FileItemPtr>& processedFiles, const QString& message)
{
    const QList<FileItemPtr> selected = selectedFiles();
    m_filesModel->replaceRows([&] {
        for (const FileItemPtr& file : processedFiles) {
            m_deletedFiles.removeOne(file);
            m_fileErrors.remove(file->name()); // it left the list, and its mark with it
        }
    });
    destination->append(processedFiles);
    // The files still listed stay selected.
    QList<int> rows;
    for (const FileItemPtr& file : selected) {
        const qsizetype row = m_deletedFiles.indexOf(file);
        if (row >= 0)
            rows.append(static_cast<int>(row));
    }
    m_selectionIndexes.clear();
    setSelectionIndexes(rows);
    setRunning(false);
    const bool hasMarks = std::any_of(m_fileErrors.cbegin(), m_fileErrors.cend(), [](int mark) { return mark != 0; });
    setAutomaticMessage(hasMarks ? trashFailureMessage : message);
    m_stopped.store(false);
    setBusy(false);
    setCanStop(true);
    Q_EMIT filesChanged();
    Q_EMIT selectionChanged();
    Q_EMIT runFinished();
}

RemovalOutcome TrashSheetController::noteOutcome(const QString& path, RemovalOutcome outcome)
{
    const bool isMarked = outcome == RemovalOutcome::Failed;
    postToSheet([this, path, isMarked] { setErrorMark(path, isMarked); });
    return outcome;
}

RemovalOutcome TrashSheetController::deleteFile(const FileItemPtr& file)
{
    const bool isMarked = m_marksAtRunStart.contains(file->name());
    return noteOutcome(file->name(), FileRemover(logger(), m_fileSystem).deleteFile(*file, isMarked));
}

RemovalOutcome TrashSheetController::deleteAndLinkFile(const FileItemPtr& file)
{
    const bool isMarked = m_marksAtRunStart.contains(file->name());
    return noteOutcome(file->name(), FileRemover(logger(), m_fileSystem).deleteAndLinkFile(*file, isMarked));
}

void TrashSheetController::logFileInfo(const QString& path) const
{
    FileRemover(logger(), m_fileSystem).logFileInfo(path);
}

bool TrashSheetController::forgetRow(const FileItemPtr& file, RemovalOutcome outcome, Error* error)
{
    if (outcome == RemovalOutcome::Failed || !m_database)
        return false;
    return m_database->deleteFile(file->name(), error);
}

void TrashSheetController::iPhotoHandler(PhotoRemovalRun& run)
{
    if (m_photoLibraryHandlers)
        m_photoLibraryHandlers->iPhotoHandler(run);
}

void TrashSheetController::apertureHandler(PhotoRemovalRun& run)
{
    if (m_photoLibraryHandlers)
        m_photoLibraryHandlers->apertureHandler(run);
}

} // namespace pairsift
