#pragma once

#include "model/FileItem.h"
#include "removal/ClassifiedFiles.h"
#include "removal/FileRemover.h"
#include "platform/RunOutcome.h"
#include "platform/SBApplicationDelegate.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QTimer;

namespace pairsift {

class IconAndKindCache;
class PairsiftDatabase;
class PhotoLibraryHandlers;
class SerialQueue;
class SOLogger;
class TrashSheetFilesModel;
struct PhotoRemovalRun;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// A removal run's per-file work: answers whether the file was dealt with; setting `stop` ends the run's walk
// over the plain files before this file counts. Called on the removal queue, once per file.
using RemovalFileBlock = std::function<bool(const FileItemPtr& file, Error* error, bool* stop)>;

// The removal sheet without its window: the staged files, their error marks, the status line, the enabling
// rules and the three actions (Delete, Delete and link, Put back). Each run works on its own serial queue
// "com.lanternforges.Pairsift.staging"; every change a run makes to this object reaches it on the main
// thread, in order. The disk side of one file is FileRemover; the photo-library handlers sit behind
// PhotoLibraryHandlers; the window is TrashSheet (removal/views). Main thread only, except where marked.
// Made fresh for each showing of the sheet; destroying it stops and joins a running load or run.
class TrashSheetController : public QObject, public SBApplicationDelegate {
    Q_OBJECT
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)
    Q_PROPERTY(bool canStop READ canStop NOTIFY canStopChanged)
    Q_PROPERTY(bool canDelete READ canDelete CONSTANT)
    Q_PROPERTY(bool canDeleteAndLink READ canDeleteAndLink NOTIFY selectionChanged)
    Q_PROPERTY(bool canFixSelection READ canFixSelection CONSTANT)
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    Q_PROPERTY(QString automaticMessage READ automaticMessage WRITE setAutomaticMessage NOTIFY messageChanged)

public:
    static constexpr const char* helpAnchor = "pairsifttrash";
    // How often a run's progress, remaining count and file outcomes reach the sheet: often enough to follow,
    // rarely enough that a run of 100,000 files leaves the main thread free for the user (and for Stop).
    static constexpr int progressIntervalMs = 100;
    static const QString idleMessage;
    // The status after a run while files whose Trash move failed are listed.
    static const QString trashFailureMessage;
    static const QString loadingMessage;
    // The status when Delete, Delete and link or Put back is asked for without a selection.
    static const QString emptySelectionMessage;
    // Asks before files whose Trash move failed are deleted permanently: "Delete 2 files permanently?"
    // and why that cannot be undone.
    static QString permanentDeletionQuestion(quint64 count);
    static QString permanentDeletionWarning(quint64 count);

    explicit TrashSheetController(QObject* parent = nullptr);
    ~TrashSheetController() override;

    std::shared_ptr<PairsiftDatabase> database() const { return m_database; }
    void setDatabase(std::shared_ptr<PairsiftDatabase> database) { m_database = std::move(database); }
    // May be replaced at any time, also during a run; a null logger logs nothing. Any thread.
    SOLoggerPtr logger() const { return m_logger.load(); }
    void setLogger(SOLoggerPtr logger) { m_logger.store(std::move(logger)); }
    // The photo applications (PhotoLibraryRemoval with this sheet as delegate by default). Set before the
    // first run; without handlers photo-library files stay staged.
    void setPhotoLibraryHandlers(std::shared_ptr<PhotoLibraryHandlers> handlers);
    // The Trash and rename steps of the disk work: the window hands in the desktop Trash, tests a fake.
    // Without a Trash every move fails and the file stays staged. Set before the first run.
    void setFileSystem(RemovalFileSystem fileSystem) { m_fileSystem = std::move(fileSystem); }

    // The rows' icons, looked up once per type: the results list's cache. Without one the sheet keeps its
    // own. Set before the list loads; it must outlive this object.
    void setIcons(IconAndKindCache* icons) { m_icons = icons; }
    IconAndKindCache& icons();

    // Reads the staged rows, and the types their icons show, on a queue of its own and lists them in one
    // step; busy until then.
    void loadStagedFiles();

    // --- State ---
    const QList<FileItemPtr>& deletedFiles() const { return m_deletedFiles; }
    // Files removed (trashed, deleted, linked, removed from a photo library) or put back in this showing.
    const QList<FileItemPtr>& removedFiles() const { return m_removedFiles; }
    const QList<FileItemPtr>& restoredFiles() const { return m_restoredFiles; }
    // Full path → -1 for every file whose move to the Trash failed: the next Delete or Delete and link of
    // that file tries the Trash again and, when the Trash refuses it again, deletes it permanently once the
    // user has confirmed it.
    const QHash<QString, int>& fileErrors() const { return m_fileErrors; }
    bool hasErrorMark(const QString& path) const { return m_fileErrors.value(path) != 0; }
    // Why the last attempt on the file did not remove it ("its kept copy has changed"); empty when it did
    // not fail. The row shows the error image while there is one.
    QString failureReason(const QString& path) const { return m_failureReasons.value(path); }
    TrashSheetFilesModel* filesModel() const { return m_filesModel; }
    // The type whose icon the row shows, found when the list was read.
    const QString& listTypeName(int row) const { return m_listTypeNames.at(row); }

    // Rows of deletedFiles(), in any order.
    const QList<int>& selectionIndexes() const { return m_selectionIndexes; }
    void setSelectionIndexes(const QList<int>& rows);
    QList<FileItemPtr> selectedFiles() const;

    double progress() const { return m_progress; }
    // A load or a run is in progress.
    bool isBusy() const { return m_busy; }
    // A removal run is in progress: the list is disabled and the sheet cannot be closed.
    bool isRunning() const { return m_isRunning; }
    bool isStopped() const { return m_stopped.load(); }
    bool canStop() const { return m_canStop; }
    bool canDelete() const { return true; }
    // Only plain-folder files are ever replaced by links; an empty selection also answers true.
    bool canDeleteAndLink() const { return m_canDeleteAndLink; }
    bool canFixSelection() const { return false; }
    // "Selected %lu file%s" while idle with a selection, else automaticMessage(); the report of the last
    // run stays until the selection changes.
    QString message() const;
    const QString& automaticMessage() const { return m_automaticMessage; }
    void setAutomaticMessage(const QString& message);
    const QString& iPhotoLibraryPath() const { return m_iPhotoLibraryPath; }
    const QString& apertureLibraryPath() const { return m_apertureLibraryPath; }

    // --- Actions ---
    // Both start at once and move the selected files to the Trash, marked ones included; the marked files
    // the Trash refuses again are then offered through permanentDeletionRequested().
    void deletePermanently();
    void deleteAndLink();
    // The user's answer to permanentDeletionRequested(): a run deletes those files permanently (or replaces
    // them by links), or nothing changes.
    void answerPermanentDeletion(bool isConfirmed);
    void putBack();
    void stopDeleting();
    void fixSelection();
    // Asks the window to close; refused while a run is in progress.
    void close();
    void showHelp();

    // The main window became main: the photo applications may have changed library.
    void pairsiftWindowDidBecomeMainNotification();
    void updateLibraryPaths();
    // A scripting request to a photo application failed. Any thread.
    void eventDidFail(const QString& event, const Error& error) override;

    static ClassifiedFiles classifyFiles(const QList<FileItemPtr>& files) { return ClassifiedFiles::classifyFiles(files); }

    // How the last run ended: finished, stopped by the user, or failed with the reason.
    const RunOutcome& runOutcome() const { return m_runOutcome; }

    // --- The engine ---
    // Starts a run over the selection and returns at once; `destination` is removedFiles or restoredFiles.
    void moveSelectedFilesIntoArray(QList<FileItemPtr>* destination, bool useExternalApps, RemovalFileBlock block);
    // The run's one finish step (main thread): the processed files leave the list for the destination.
    void finishMovingFilesIntoArray(QList<FileItemPtr>* destination, const QList<FileItemPtr>& processedFiles,
        const QString& message);
    // Removal queue: the disk work for one file; the error mark and the reason follow the outcome.
    RemovalResult deleteFile(const FileItemPtr& file);
    RemovalResult deleteAndLinkFile(const FileItemPtr& file);
    void logFileInfo(const QString& path) const;
    // Removal queue, after the plain files of a Delete run.
    void iPhotoHandler(PhotoRemovalRun& run);
    void apertureHandler(PhotoRemovalRun& run);

Q_SIGNALS:
    void progressChanged();
    void busyChanged();
    void runningChanged();
    void canStopChanged();
    void selectionChanged();
    void messageChanged();
    void libraryPathsChanged();
    // The list's rows were replaced or changed (loading, the end of a run, error marks).
    void filesChanged();
    void closeRequested();
    void helpRequested(const QString& anchor);
    // A run ended; the list and the status show its outcome.
    void runFinished();
    // A Delete or Delete and link ended with `count` marked files that the Trash refused again: whether
    // they may be deleted permanently is answered by answerPermanentDeletion().
    void permanentDeletionRequested(quint64 count);

private:
    void setBusy(bool busy);
    void setCanStop(bool canStop);
    void setProgress(double progress);
    void setRunning(bool running);
    // Removal queue → main thread, in order; dropped when this object is gone.
    void postToSheet(std::function<void()> work);
    // The outcome's mark and reason, and the run's count of files not removed (main thread).
    void applyOutcome(const QString& path, const RemovalResult& result);
    // The disk work with this sheet's logger, file system and stop flag. Any thread.
    FileRemover fileRemover() const;
    // Queues the outcome for the next showRunProgress(). Any thread.
    RemovalResult noteOutcome(const QString& path, RemovalResult result);
    // The progress timer: the outcomes queued since the last tick in one batch and, during the walk over the
    // plain files, the progress and the remaining count.
    void showRunProgress();
    void showProgress(std::uint64_t done);
    static QString remainingMessage(std::uint64_t remaining);
    // Removes the processed files' rows as contiguous ranges and keeps the files of `selected` that are
    // still listed selected.
    void removeProcessedRows(const QList<FileItemPtr>& processedFiles, const QList<FileItemPtr>& selected);
    // The per-file block of Delete and Delete and link around `remove`: the stop test, the disk work,
    // then the row of a file that has left its place (or was already gone) is deleted.
    RemovalFileBlock removalBlock(RemovalResult (TrashSheetController::*remove)(const FileItemPtr&));
    // No run, load or question is under way and files are selected; without a selection the status asks
    // for one.
    bool canStartAction();
    // Delete or Delete and link over the selection: to the Trash, or for good in the run that follows a yes.
    void startRemoval(RemovalResult (TrashSheetController::*remove)(const FileItemPtr&), bool useExternalApps);
    // At the end of a Trash run: asks about the marked files the Trash refused again.
    void askForPermanentDeletion();
    void runWorker(QList<FileItemPtr>* destination, bool useExternalApps, const QList<FileItemPtr>& selected,
        const ClassifiedFiles& classified, const RemovalFileBlock& block);
    // The status after a run: `message` (a photo-library or run failure, else "Idle."), then the count of
    // files this run did not remove for each reason, then the Trash-failure text while any file is marked.
    QString runReport(const QString& message) const;

    std::shared_ptr<PairsiftDatabase> m_database;
    std::atomic<std::shared_ptr<SOLogger>> m_logger;
    std::shared_ptr<PhotoLibraryHandlers> m_photoLibraryHandlers;
    RemovalFileSystem m_fileSystem = RemovalFileSystem::withTrash({});
    TrashSheetFilesModel* m_filesModel = nullptr;
    IconAndKindCache* m_icons = nullptr;
    std::unique_ptr<IconAndKindCache> m_ownIcons;

    QList<FileItemPtr> m_deletedFiles;
    // Beside m_deletedFiles, row for row.
    QList<QString> m_listTypeNames;
    QList<FileItemPtr> m_removedFiles;
    QList<FileItemPtr> m_restoredFiles;
    QHash<QString, int> m_fileErrors;
    QHash<QString, QString> m_failureReasons;
    // The files the running (or last) Delete, Delete and link or Put back did not remove, in order, and why.
    QList<std::pair<QString, RemovalResult>> m_runProblems;
    // The disk work of the running (or last) Delete or Delete and link; null for Put back.
    RemovalResult (TrashSheetController::*m_removalOfRun)(const FileItemPtr&) = nullptr;
    // The run deletes its marked files permanently: it follows the user's yes.
    bool m_isPermanentRun = false;
    // Marked files the Trash refused again in the running run; asked about at its end.
    QSet<QString> m_pathsToConfirm;
    bool m_isAwaitingConfirmation = false;
    // The status shows the last run's report rather than the selection.
    bool m_isShowingRunReport = false;
    RunOutcome m_runOutcome = RunOutcome::finished();
    // The marks when the running run started: the removal queue reads only these.
    QSet<QString> m_marksAtRunStart;
    QList<int> m_selectionIndexes;
    // Follows the selection: the sheet asks on every change of its state.
    bool m_canDeleteAndLink = true;
    // The running run's outcomes not yet shown, and its count of files done (written by the removal queue).
    std::mutex m_pendingMutex;
    QList<std::pair<QString, RemovalResult>> m_pendingOutcomes;
    std::atomic<std::uint64_t> m_runDone{0};
    std::uint64_t m_runTotal = 0;
    std::uint64_t m_shownDone = 0;
    // The running run's walk over the plain files has ended: only the photo-library handlers report now.
    bool m_isPlainWalkOver = false;
    QTimer* m_progressTimer = nullptr;

    double m_progress = 0.0;
    bool m_busy = false;
    bool m_isRunning = false;
    bool m_canStop = true;
    // Written on the main thread, read by the removal queue between files.
    std::atomic<bool> m_stopped{false};
    QString m_automaticMessage;
    QString m_iPhotoLibraryPath;
    QString m_apertureLibraryPath;

    std::unique_ptr<SerialQueue> m_loadQueue;
    std::unique_ptr<SerialQueue> m_runQueue;
};

} // namespace pairsift
