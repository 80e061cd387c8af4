// The removal runs of TrashSheetController: starting, the worker on the removal queue, the finish step.
#include "removal/TrashSheetController.h"

#include "platform/ConsoleLog.h"
#include "platform/SerialQueue.h"
#include "removal/InterruptedRemovals.h"
#include "removal/PhotoLibraryHandlers.h"
#include "removal/RemovalStoreBatch.h"
#include "removal/TrashSheetFilesModel.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <QTimer>

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace pairsift {

const QString TrashSheetController::idleMessage = QStringLiteral("Idle.");
const QString TrashSheetController::trashFailureMessage =
    QStringLiteral("Some files could not be moved to Trash. To delete them permanently, click Delete again.");
const QString TrashSheetController::loadingMessage = QStringLiteral("Loading staged files…");
const QString TrashSheetController::emptySelectionMessage = QStringLiteral("Select the files to remove first.");

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
    m_pathsToConfirm.clear();
    m_marksAtRunStart.clear();
    for (auto mark = m_fileErrors.cbegin(); mark != m_fileErrors.cend(); ++mark) {
        if (mark.value() != 0)
            m_marksAtRunStart.insert(mark.key());
    }
    setBusy(true);
    setCanStop(true);
    m_runTotal = static_cast<std::uint64_t>(selected.size());
    m_runDone.store(0);
    m_shownDone = 0;
    m_isPlainWalkOver = false;
    setAutomaticMessage(remainingMessage(m_runTotal));
    m_progressTimer->start();
    m_runQueue = std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.staging"));
    m_runQueue->async([this, destination, useExternalApps, selected, block = std::move(block)] {
        // A long selection's classification and its log line are no work for the main thread.
        const ClassifiedFiles classified = classifyFiles(selected);
        consoleLog("Classified files: %@", classified.description());
        runWorker(destination, useExternalApps, selected, classified, block);
    });
}

// Removal queue. Leftovers of an interrupted replacement beside the files are put back first. Stop ends
// only the walk over the plain files; the photo-library part of a Delete run runs in full. An exception
// ends the run as a failure. The finish step is posted exactly once, after everything else the run posted.
void TrashSheetController::runWorker(QList<FileItemPtr>* destination, bool useExternalApps,
    const QList<FileItemPtr>& selected, const ClassifiedFiles& classified, const RemovalFileBlock& block)
{
    const auto total = static_cast<std::uint64_t>(selected.size());
    std::uint64_t done = 0;
    QList<FileItemPtr> processedFiles;
    QString finalMessage = idleMessage;
    const char* storeFailure = destination == &m_restoredFiles ? "Unable to put back file '%@': %@"
                                                               : "Unable to delete file '%@' from database: %@";

    const RunOutcome outcome = outcomeOf([&] {
        bool isStopped = false;
        QStringList besideFiles;
        for (const FileItemPtr& file : classified.directory)
            besideFiles << file->name() << file->remainingFileName();
        besideFiles.removeAll(QString());
        recoverInterruptedRemovals(besideFiles, logger());

        RemovalStoreBatch batch(m_database.get(), processedFiles);
        for (const FileItemPtr& file : useExternalApps ? classified.directory : selected) {
            Error error;
            bool stop = false;
            const bool isDealtWith = block(file, &error, &stop);
            isStopped = stop;
            if (stop)
                break;
            if (isDealtWith)
                processedFiles.append(file);
            else if (!error.description.isEmpty())
                logError(logger(), storeFailure, file->name(), error.message());
            ++done;
            m_runDone.store(done); // the sheet shows it on its progress timer
            batch.fileDone();
        }
        batch.finish();
        // From here on the photo-library handlers post their texts and counts in order.
        postToSheet([this] {
            showRunProgress();
            m_isPlainWalkOver = true;
        });
        if (useExternalApps) {
            postToSheet([this] { setCanStop(false); });
            PhotoRemovalRun run{classified, processedFiles, total, &done, m_database.get(), logger(),
                [this](const QString& status) { postToSheet([this, status] { setAutomaticMessage(status); }); },
                [this, &done] {
                    postToSheet([this, shown = ++done] { showProgress(shown); });
                },
                [&finalMessage](const QString& status) { finalMessage = status; },
                [this](const FileItemPtr& file, const QString& reason) {
                    noteOutcome(file->name(), {RemovalOutcome::Failed, reason, {}});
                }};
            iPhotoHandler(run);
            apertureHandler(run);
        }
        return isStopped ? RunOutcome::stopped() : RunOutcome::finished();
    });
    if (outcome.hasFailed()) {
        logError(logger(), "The removal ended with an error: %@", outcome.reason());
        finalMessage = formatString("The removal ended with an error: %@", outcome.reason());
    }
    postToSheet([this, destination, processedFiles, finalMessage, outcome] {
        m_runOutcome = outcome;
        finishMovingFilesIntoArray(destination, processedFiles, finalMessage);
    });
}

void TrashSheetController::finishMovingFilesIntoArray(
    QList<FileItemPtr>* destination, const QList<FileItemPtr>& processedFiles, const QString& message)
{
    // Everything the run queued before its finish.
    showRunProgress();
    m_progressTimer->stop();
    removeProcessedRows(processedFiles, selectedFiles());
    destination->append(processedFiles);
    setRunning(false);
    const QString report = runReport(message);
    // The selection must not hide why files are still listed.
    m_isShowingRunReport = report != idleMessage;
    setAutomaticMessage(report);
    m_stopped.store(false);
    setBusy(false);
    setCanStop(true);
    Q_EMIT filesChanged();
    Q_EMIT selectionChanged();
    Q_EMIT messageChanged();
    Q_EMIT runFinished();
    askForPermanentDeletion();
}

void TrashSheetController::removeProcessedRows(const QList<FileItemPtr>& processedFiles, const QList<FileItemPtr>& selected)
{
    std::unordered_set<const FileItem*> processed;
    for (const FileItemPtr& file : processedFiles) {
        processed.insert(file.get());
        // it leaves the list, and its mark with it
        m_fileErrors.remove(file->name());
        m_failureReasons.remove(file->name());
    }
    QList<TrashSheetFilesModel::RowRange> ranges;
    for (int row = static_cast<int>(m_deletedFiles.size()) - 1; row >= 0; --row) {
        if (!processed.contains(m_deletedFiles.at(row).get()))
            continue;
        if (!ranges.isEmpty() && ranges.last().first == row + 1)
            ranges.last().first = row;
        else
            ranges.append({row, row});
    }
    m_filesModel->removeRowRanges(ranges, [this](const TrashSheetFilesModel::RowRange& range) {
        m_deletedFiles.remove(range.first, range.last - range.first + 1);
        m_listTypeNames.remove(range.first, range.last - range.first + 1);
    });
    // The files still listed stay selected, to try again.
    std::unordered_set<const FileItem*> kept;
    for (const FileItemPtr& file : selected)
        kept.insert(file.get());
    QList<int> rows;
    for (int row = 0; row < m_deletedFiles.size(); ++row) {
        if (kept.contains(m_deletedFiles.at(row).get()))
            rows.append(row);
    }
    m_selectionIndexes.clear();
    setSelectionIndexes(rows);
}

QString TrashSheetController::runReport(const QString& message) const
{
    QStringList parts;
    if (message != idleMessage)
        parts.append(message);
    const auto has = [this](RemovalOutcome outcome) {
        return std::any_of(m_runProblems.cbegin(), m_runProblems.cend(),
            [outcome](const auto& problem) { return problem.second.outcome == outcome; });
    };
    const auto count = static_cast<quint64>(m_runProblems.size());
    // Trash failures alone are told by the Trash-failure text.
    const bool hasOtherProblems = has(RemovalOutcome::Refused) || has(RemovalOutcome::Failed);
    if (hasOtherProblems && count == 1) {
        parts.append(formatString("1 file was not removed: %@.", m_runProblems.first().second.reason));
    } else if (hasOtherProblems) {
        // "1 changed after the scan, 1 could not be moved to the Trash", in the order first met.
        QList<std::pair<QString, quint64>> counts;
        for (const auto& [path, result] : m_runProblems) {
            const QString summary = result.summary.isEmpty() ? QStringLiteral("could not be removed") : result.summary;
            auto known = std::find_if(counts.begin(), counts.end(), [&](const auto& entry) { return entry.first == summary; });
            if (known == counts.end())
                counts.append({summary, 1});
            else
                ++known->second;
        }
        QStringList reasons;
        for (const auto& [summary, number] : counts)
            reasons.append(formatString("%lu %@", number, summary));
        parts.append(formatString("%lu files were not removed: %@.", count, reasons.join(QStringLiteral(", "))));
    }
    if (has(RemovalOutcome::Refused))
        parts.append(QStringLiteral("Scan again to see the current duplicates."));
    // Every marked file is still listed, and Delete applies to it again.
    if (std::any_of(m_fileErrors.cbegin(), m_fileErrors.cend(), [](int mark) { return mark != 0; }))
        parts.append(trashFailureMessage);
    return parts.isEmpty() ? idleMessage : parts.join(QLatin1Char(' '));
}

void TrashSheetController::applyOutcome(const QString& path, const RemovalResult& result)
{
    switch (result.outcome) {
    case RemovalOutcome::Stopped:
        return;
    case RemovalOutcome::Removed:
    case RemovalOutcome::AlreadyGone:
        m_fileErrors.remove(path);
        m_failureReasons.remove(path);
        break;
    case RemovalOutcome::TrashFailed:
        m_fileErrors.insert(path, -1);
        m_failureReasons.insert(path, result.reason);
        m_runProblems.append({path, result});
        // Refused again after an earlier failure: only now may it be offered for permanent deletion.
        if (m_marksAtRunStart.contains(path))
            m_pathsToConfirm.insert(path);
        break;
    case RemovalOutcome::Refused:
    case RemovalOutcome::Failed:
        // A refusal never sets a mark, and a mark from an earlier Trash failure stays.
        m_failureReasons.insert(path, result.reason);
        m_runProblems.append({path, result});
        break;
    }
}

RemovalResult TrashSheetController::noteOutcome(const QString& path, RemovalResult result)
{
    const std::lock_guard lock(m_pendingMutex);
    m_pendingOutcomes.append({path, result});
    return result;
}

void TrashSheetController::showRunProgress()
{
    QList<std::pair<QString, RemovalResult>> outcomes;
    {
        const std::lock_guard lock(m_pendingMutex);
        outcomes.swap(m_pendingOutcomes);
    }
    for (const auto& [path, result] : outcomes)
        applyOutcome(path, result);
    // One repaint of the marks for the whole batch.
    if (!outcomes.isEmpty())
        m_filesModel->reloadData();
    // Once the plain files are done, a photo application's status stays until the handler's next text.
    if (!m_isPlainWalkOver)
        showProgress(m_runDone.load());
}

void TrashSheetController::showProgress(std::uint64_t done)
{
    if (done == m_shownDone)
        return;
    m_shownDone = done;
    setProgress(static_cast<double>(done) * 100.0 / static_cast<double>(m_runTotal));
    setAutomaticMessage(remainingMessage(m_runTotal - done));
}

QString TrashSheetController::remainingMessage(std::uint64_t remaining)
{
    return formatString("Remaining files: %lu", static_cast<quint64>(remaining));
}

RemovalFileBlock TrashSheetController::removalBlock(RemovalResult (TrashSheetController::*remove)(const FileItemPtr&))
{
    return [this, remove](const FileItemPtr& file, Error* error, bool* stop) {
        if (m_stopped.load()) {
            *stop = true;
            return true;
        }
        const RemovalResult result = (this->*remove)(file);
        if (result.outcome == RemovalOutcome::Stopped) {
            *stop = true;
            return true;
        }
        return result.isGone() && m_database && m_database->deleteFile(file->name(), error);
    };
}

FileRemover TrashSheetController::fileRemover() const
{
    return FileRemover(logger(), m_fileSystem, [this] { return m_stopped.load(); });
}

RemovalResult TrashSheetController::deleteFile(const FileItemPtr& file)
{
    const bool isMarked = m_isPermanentRun && m_marksAtRunStart.contains(file->name());
    return noteOutcome(file->name(), fileRemover().deleteFile(*file, isMarked));
}

RemovalResult TrashSheetController::deleteAndLinkFile(const FileItemPtr& file)
{
    const bool isMarked = m_isPermanentRun && m_marksAtRunStart.contains(file->name());
    return noteOutcome(file->name(), fileRemover().deleteAndLinkFile(*file, isMarked));
}

void TrashSheetController::logFileInfo(const QString& path) const
{
    fileRemover().logFileInfo(path);
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
