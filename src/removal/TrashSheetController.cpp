#include "removal/TrashSheetController.h"

#include "platform/ConsoleLog.h"
#include "platform/SerialQueue.h"
#include "removal/InterruptedRemovals.h"
#include "removal/PhotoLibraryRemoval.h"
#include "removal/TrashSheetFilesModel.h"
#include "results/IconAndKindCache.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace pairsift {

TrashSheetController::TrashSheetController(QObject* parent)
    : QObject(parent)
    , m_photoLibraryHandlers(std::make_shared<PhotoLibraryRemoval>(this))
    , m_filesModel(new TrashSheetFilesModel(this))
    , m_progressTimer(new QTimer(this))
    , m_automaticMessage(idleMessage)
{
    m_progressTimer->setInterval(progressIntervalMs);
    connect(m_progressTimer, &QTimer::timeout, this, &TrashSheetController::showRunProgress);
}

TrashSheetController::~TrashSheetController()
{
    // The workers post only to this object; once joined, nothing of theirs can arrive any more.
    m_stopped.store(true);
    m_loadQueue.reset();
    m_runQueue.reset();
}

void TrashSheetController::setPhotoLibraryHandlers(std::shared_ptr<PhotoLibraryHandlers> handlers)
{
    m_photoLibraryHandlers = std::move(handlers);
    updateLibraryPaths();
}

IconAndKindCache& TrashSheetController::icons()
{
    if (m_icons)
        return *m_icons;
    if (!m_ownIcons)
        m_ownIcons = std::make_unique<IconAndKindCache>();
    return *m_ownIcons;
}

void TrashSheetController::postToSheet(std::function<void()> work)
{
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void TrashSheetController::loadStagedFiles()
{
    updateLibraryPaths();
    setCanStop(true);
    setAutomaticMessage(loadingMessage);
    setBusy(true);
    m_loadQueue = std::make_unique<SerialQueue>(QString());
    m_loadQueue->async([this, database = m_database] {
        QList<FileItemPtr> files;
        QList<QString> typeNames;
        // One string per type, however many files share it.
        QHash<QString, QString> types;
        if (database) {
            database->enumerateDeletedFiles([&files, &typeNames, &types](const QString& path, std::uint64_t size, const QDateTime& created,
                                                const QByteArray& sha1, const QString& linkTarget,
                                                const QString& containerType, const QString& containerPath, bool*) {
                const FileItemPtr file = FileItem::create(path);
                file->setTotalSize(size);
                file->setRemainingFileName(linkTarget);
                file->setDateCreated(created);
                file->setSha1(sha1);
                file->setContainerType(containerType);
                file->setContainerPath(containerPath);
                files.append(file);
                const QString name = IconAndKindCache::listTypeName(*file);
                auto type = types.constFind(name);
                if (type == types.cend())
                    type = types.insert(name, name);
                typeNames.append(*type);
            });
        }
        postToSheet([this, files, typeNames] {
            m_filesModel->replaceRows([&] {
                m_deletedFiles.append(files);
                m_listTypeNames.append(typeNames);
            });
            Q_EMIT filesChanged();
            setAutomaticMessage(idleMessage);
            setBusy(false);
        });
    });
}

// --- State ---

void TrashSheetController::setSelectionIndexes(const QList<int>& rows)
{
    QList<int> selection;
    for (int row : rows) {
        if (row >= 0 && row < m_deletedFiles.size())
            selection.append(row);
    }
    std::sort(selection.begin(), selection.end());
    selection.erase(std::unique(selection.begin(), selection.end()), selection.end());
    if (selection == m_selectionIndexes)
        return;
    m_selectionIndexes = selection;
    m_canDeleteAndLink = std::all_of(m_selectionIndexes.cbegin(), m_selectionIndexes.cend(),
        [this](int row) { return m_deletedFiles.at(row)->isRegularFile(); });
    m_isShowingRunReport = false;
    // The request for a selection has been heard.
    if (m_automaticMessage == emptySelectionMessage)
        m_automaticMessage = idleMessage;
    Q_EMIT selectionChanged();
    Q_EMIT messageChanged();
}

QList<FileItemPtr> TrashSheetController::selectedFiles() const
{
    QList<FileItemPtr> files;
    for (int row : m_selectionIndexes)
        files.append(m_deletedFiles.at(row));
    return files;
}

QString TrashSheetController::message() const
{
    const auto count = static_cast<quint64>(m_selectionIndexes.size());
    if (!m_busy && count > 0 && !m_isShowingRunReport)
        return formatString("Selected %lu file%s", count, count == 1 ? "" : "s");
    return m_automaticMessage;
}

void TrashSheetController::setAutomaticMessage(const QString& message)
{
    if (message == m_automaticMessage)
        return;
    m_automaticMessage = message;
    Q_EMIT messageChanged();
}

void TrashSheetController::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
    Q_EMIT messageChanged();
}

void TrashSheetController::setRunning(bool running)
{
    if (running == m_isRunning)
        return;
    m_isRunning = running;
    Q_EMIT runningChanged();
}

void TrashSheetController::setCanStop(bool canStop)
{
    if (canStop == m_canStop)
        return;
    m_canStop = canStop;
    Q_EMIT canStopChanged();
}

void TrashSheetController::setProgress(double progress)
{
    m_progress = progress;
    Q_EMIT progressChanged();
}

// --- Actions ---

void TrashSheetController::deletePermanently()
{
    startRemoval(&TrashSheetController::deleteFile, true);
}

void TrashSheetController::deleteAndLink()
{
    startRemoval(&TrashSheetController::deleteAndLinkFile, false);
}

bool TrashSheetController::canStartAction()
{
    if (m_busy || m_isAwaitingConfirmation)
        return false;
    if (!m_selectionIndexes.isEmpty())
        return true;
    setAutomaticMessage(emptySelectionMessage);
    return false;
}

void TrashSheetController::startRemoval(RemovalResult (TrashSheetController::*remove)(const FileItemPtr&), bool useExternalApps)
{
    if (!canStartAction())
        return;
    m_runProblems.clear();
    m_removalOfRun = remove;
    m_isPermanentRun = false;
    moveSelectedFilesIntoArray(&m_removedFiles, useExternalApps, removalBlock(remove));
}

void TrashSheetController::askForPermanentDeletion()
{
    if (!m_removalOfRun || m_isPermanentRun || m_pathsToConfirm.isEmpty())
        return;
    m_isAwaitingConfirmation = true;
    Q_EMIT permanentDeletionRequested(static_cast<quint64>(m_pathsToConfirm.size()));
}

void TrashSheetController::answerPermanentDeletion(bool isConfirmed)
{
    if (!std::exchange(m_isAwaitingConfirmation, false))
        return;
    const QSet<QString> paths = std::exchange(m_pathsToConfirm, {});
    if (!isConfirmed)
        return;
    // The run works on the selection: the files asked about that are still listed.
    QList<int> rows;
    for (int row = 0; row < m_deletedFiles.size(); ++row) {
        if (paths.contains(m_deletedFiles.at(row)->name()))
            rows.append(row);
    }
    setSelectionIndexes(rows);
    // What the permanent run does with these files replaces their Trash failures in the report.
    m_runProblems.removeIf([&paths](const auto& problem) { return paths.contains(problem.first); });
    m_isPermanentRun = true;
    moveSelectedFilesIntoArray(&m_removedFiles, false, removalBlock(m_removalOfRun));
}

QString TrashSheetController::permanentDeletionQuestion(quint64 count)
{
    return formatString("Delete %lu file%s permanently?", count, count == 1 ? "" : "s");
}

QString TrashSheetController::permanentDeletionWarning(quint64 count)
{
    return count == 1 ? QStringLiteral("It could not be moved to the Trash and cannot be recovered.")
                      : QStringLiteral("They could not be moved to the Trash and cannot be recovered.");
}

void TrashSheetController::putBack()
{
    if (!canStartAction())
        return;
    m_runProblems.clear();
    m_removalOfRun = nullptr;
    moveSelectedFilesIntoArray(&m_restoredFiles, false, [this](const FileItemPtr& file, Error* error, bool* stop) {
        if (m_stopped.load()) {
            *stop = true;
            return true;
        }
        if (!m_database)
            return false;
        // A file that is no longer there is not a duplicate of anything: only its row goes. One set aside
        // by an interrupted removal that could not be put back is still the user's: its row stays.
        if (!FileRemover::existsAtPath(file->name()) && !hasAsideCopy(file->name())) {
            logInfo(logger(), "File '%@' no longer exists", file->name());
            return m_database->deleteFile(file->name(), error);
        }
        return m_database->restoreFile(file->name(), file->sha1(), error);
    });
}

void TrashSheetController::stopDeleting()
{
    m_stopped.store(true);
}

void TrashSheetController::fixSelection()
{
    setSelectionIndexes(m_selectionIndexes);
}

void TrashSheetController::close()
{
    if (!m_isRunning)
        Q_EMIT closeRequested();
}

void TrashSheetController::showHelp()
{
    Q_EMIT helpRequested(QString::fromLatin1(helpAnchor));
}

void TrashSheetController::pairsiftWindowDidBecomeMainNotification()
{
    updateLibraryPaths();
    m_filesModel->reloadData();
}

void TrashSheetController::updateLibraryPaths()
{
    m_iPhotoLibraryPath = m_photoLibraryHandlers ? m_photoLibraryHandlers->iPhotoLibraryPath() : QString();
    m_apertureLibraryPath = m_photoLibraryHandlers ? m_photoLibraryHandlers->apertureLibraryPath() : QString();
    Q_EMIT libraryPathsChanged();
}

void TrashSheetController::eventDidFail(const QString&, const Error& error)
{
    logError(logger(), "Event failed. %@", error.message());
}

} // namespace pairsift
