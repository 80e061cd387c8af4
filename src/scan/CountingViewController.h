#pragma once

#include "photolibs/ContainerType.h"
#include "platform/RunOutcome.h"
#include "scan/UnreadableFolders.h"
#include "settings/Filter.h"
#include "settings/LocationItem.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QTimer;

namespace pairsift {

class CountingScan;
class PairsiftDatabase;
class SerialQueue;
class Session;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The first half of a scan: walks the scan locations on the serial queue "com.lanternforges.Pairsift.counting",
// skips what the rules skip and hands every other regular file to the session, which stores it and files
// it by size. The counting view observes the properties; one controller serves every scan of a window.
class CountingViewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool userStopped READ userStopped NOTIFY userStoppedChanged)
    Q_PROPERTY(quint64 fileCount READ fileCount NOTIFY fileCountChanged)
    Q_PROPERTY(quint64 count READ count NOTIFY countChanged)
    Q_PROPERTY(bool counting READ isCounting NOTIFY countingChanged)

public:
    using CompletionBlock = std::function<void(bool finished)>;
    using OutcomeBlock = std::function<void(const RunOutcome& outcome)>;

    // How often the shown number follows the file count.
    static constexpr int refreshIntervalMSecs = 500;

    explicit CountingViewController(QObject* parent = nullptr);
    // Stops a running walk (its transaction is rolled back) and joins it; its completion is then not
    // called, since whoever waits for it is going away too.
    ~CountingViewController() override;

    // Main thread; returns at once. Prunes the store's live rows and walks the locations (in list order)
    // inside one store transaction, committed at the end or rolled back on stop. The outcome is posted to
    // the main thread exactly once, also when the walk throws: finished when the walk ran to its end and
    // was committed; stopped on the user's stop; failed, with the reason, when the store refused the work
    // (pruning, beginning, an insert, committing), when the walk threw, or when a scan is still running.
    void countFilesInLocations(const QList<LocationItemPtr>& locations, const QList<Filter>& filters,
        std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session, SOLoggerPtr logger,
        OutcomeBlock outcomeBlock);
    // The same, told only whether the walk finished.
    void addFilesInLocations(const QList<LocationItemPtr>& locations, const QList<Filter>& filters,
        std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session, SOLoggerPtr logger,
        CompletionBlock completionBlock);

    // Main thread: asks the walk to end after the current file.
    void stop();

    // Any thread. True when the entry is to be skipped: a system path; a path containing a filter's text
    // (case-sensitive, empty filters match nothing); in a photo library, a file that is not an image.
    static bool shouldIgnoreFile(const QString& path, const ContainerType& containerType,
        const QList<Filter>& filters, const SOLoggerPtr& logger);
    // addFile() and the walk itself live in CountingScan, which owns the state of one scan.

    // The counting state: the indicator animates and a timer copies fileCount into count twice a second.
    void startProgressIndicator();
    // Leaves the counting state; count keeps its last copied value.
    void stopProgressIndicator();
    // The timer's action.
    void timerFunction();

    bool userStopped() const { return m_userStopped.load(std::memory_order_relaxed); }
    std::uint64_t fileCount() const { return m_fileCount; }
    std::uint64_t count() const { return m_count; }
    bool isCounting() const { return m_uiTimer != nullptr; }
    // The folders the last finished walk could not read (locations and folders below them).
    const UnreadableFolders& unreadableFolders() const { return m_unreadableFolders; }
    // Null while no scan runs.
    QTimer* uiTimer() const { return m_uiTimer; }
    // The small-file settings, read when the controller is made and again at the start of every scan.
    bool ignoreSmallFiles() const { return m_ignoreSmallFiles; }
    double smallFileSize() const { return m_smallFileSize; }

Q_SIGNALS:
    void userStoppedChanged();
    void fileCountChanged();
    void countChanged();
    void countingChanged();

private:
    void readSmallFileSettings();
    void setUserStopped(bool userStopped);
    void setFileCount(std::uint64_t fileCount);
    void setCount(std::uint64_t count);
    // Counting queue: the location gets the unreadable status, with the reason, on the main thread.
    void noteUnreadableLocation(const LocationItemPtr& location, int error);
    // Main thread: the walk's one report.
    void finishScan(const RunOutcome& outcome, const OutcomeBlock& outcomeBlock);
    // Joins the finished or stopping walk; no walk runs afterwards.
    void releaseQueue();

    std::atomic<bool> m_userStopped{false};
    std::uint64_t m_fileCount = 0;
    std::uint64_t m_count = 0;
    UnreadableFolders m_unreadableFolders;
    QTimer* m_uiTimer = nullptr;
    bool m_ignoreSmallFiles = true;
    double m_smallFileSize = 0.0;

    // Both set from the start of a scan until its report.
    std::shared_ptr<CountingScan> m_scan;
    std::unique_ptr<SerialQueue> m_queue;
};

} // namespace pairsift
