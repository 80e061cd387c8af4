// pairsift-bench: a headless scan for measuring and cross-checking. It runs the program's own counting
// stage and comparison pipeline over the given locations with a store and settings in a temporary folder,
// then reloads the results from the store as the main window does.
//
//   pairsift-bench [--min-size BYTES] [--readers N] [--print-groups] [--log] [--store PATH] LOCATION...
//
// Standard error: one line per phase with its seconds, and with --log every line of the program's logger
// (what it skipped and why). Standard output: the summary line and, with --print-groups, every group's
// absolute paths (sorted; groups ordered by their first path, separated by an empty line). --store keeps
// the store at PATH instead of a temporary folder. --readers sets the helper threads each comparison stage
// reads ahead with (0: every file read in turn on the stage's thread). The last line on standard error is
// the peak resident memory. A walk or comparison that fails exits with 1, saying why; so does a --store
// that another program (or the application) holds. SIGINT and SIGTERM stop the run, remove the temporary
// folder and exit with 128 plus the signal's number.

#include "model/FileGroup.h"
#include "model/FileItem.h"
#include "model/Session.h"
#include "platform/SerialQueue.h"
#include "platform/UserDefaults.h"
#include "processing/ProcessingPipeline.h"
#include "scan/CountingViewController.h"
#include "locations/NormalizedLocations.h"
#include "settings/LocationItem.h"
#include "settings/PairsiftDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/PairsiftDatabase.h"
#include "store/StoreLock.h"
#include "support/logging/SOLogger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

using namespace pairsift;

namespace {

// The signal that interrupted the run, 0 while none did; the handler also writes it to the pipe, which
// wakes the event loop.
std::atomic<int> interruption{0};
int interruptionPipe[2] = {-1, -1};

extern "C" void noteInterruption(int signal)
{
    interruption.store(signal);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(interruptionPipe[1], &byte, 1);
}

bool installInterruptionHandlers()
{
    if (::pipe2(interruptionPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = noteInterruption;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

bool isInterrupted()
{
    return interruption.load() != 0;
}

struct Options {
    std::optional<qint64> minimumSize;
    bool printGroups = false;
    bool log = false;
    int readers = ProcessingStage::defaultReaderCount;
    QString storePath;
    QStringList locations;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (argument == QLatin1String("--print-groups")) {
            options.printGroups = true;
        } else if (argument == QLatin1String("--log")) {
            options.log = true;
        } else if (argument == QLatin1String("--store") && index + 1 < arguments.size()) {
            options.storePath = arguments[++index];
        } else if (argument == QLatin1String("--readers") && index + 1 < arguments.size()) {
            bool isNumber = false;
            options.readers = arguments[++index].toInt(&isNumber);
            if (!isNumber || options.readers < 0)
                return std::nullopt;
        } else if (argument == QLatin1String("--min-size") && index + 1 < arguments.size()) {
            bool isNumber = false;
            const qint64 bytes = arguments[++index].toLongLong(&isNumber);
            if (!isNumber || bytes < 0)
                return std::nullopt;
            options.minimumSize = bytes;
        } else if (argument.startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            options.locations.append(argument);
        }
    }
    if (options.locations.isEmpty())
        return std::nullopt;
    return options;
}

void applySmallFileThreshold(std::optional<qint64> minimumSize)
{
    if (!minimumSize)
        return; // the registered default
    UserDefaults& defaults = UserDefaults::standard();
    // Empty files are never candidates, so a threshold of one byte or less is no threshold at all.
    defaults.setValue(SettingsKey::IgnoreSmallFiles, *minimumSize > 1);
    defaults.setValue(SettingsKey::SmallFileSize, *minimumSize > 1 ? *minimumSize : 100);
    defaults.setValue(SettingsKey::SmallFileSizeUnit, 0); // bytes
}

void reportPhase(const char* phase, qint64 nanoseconds)
{
    std::fprintf(stderr, "%-22s %9.3f s\n", phase, static_cast<double>(nanoseconds) / 1e9);
}

// Runs the counting stage to its end on the event loop, which an interruption stops.
RunOutcome count(const QList<LocationItemPtr>& locations, const std::shared_ptr<PairsiftDatabase>& db,
    const std::shared_ptr<Session>& session, const SOLoggerPtr& logger)
{
    CountingViewController counting;
    QEventLoop loop;
    RunOutcome outcome = RunOutcome::stopped();
    QSocketNotifier interrupted(interruptionPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupted, &QSocketNotifier::activated, &counting, &CountingViewController::stop);
    counting.countFilesInLocations(locations, PairsiftDefaults::filterArray(), db, session, logger,
        [&](const RunOutcome& ended) {
            outcome = ended;
            loop.quit();
        });
    // A signal that came before the notifier existed.
    if (isInterrupted())
        counting.stop();
    loop.exec();
    return outcome;
}

// Runs the pipeline on its own queue, as the processing view does, and times each stage by the moment
// its first progress report arrives. False when the run failed (its digests could not be stored).
bool compare(const Session& session, const std::shared_ptr<PairsiftDatabase>& db, const SOLoggerPtr& logger,
    int readers)
{
    ProcessingPipeline pipeline(session.candidateGroupsBySize(), logger, db);
    pipeline.setReaderCount(readers);

    QElapsedTimer clock;
    QString currentStage;
    QList<std::pair<QString, qint64>> stageStarts;
    SerialQueue queue(QStringLiteral("com.lanternforges.Pairsift.processing"));
    clock.start();
    queue.sync([&] {
        pipeline.processFilesWithProgress([&](const QString& stage, const FileItemPtr&, StageProgressInfo, bool* stop) {
            *stop = isInterrupted();
            if (stage != currentStage) {
                currentStage = stage;
                stageStarts.append({stage, clock.nsecsElapsed()});
            }
        });
    });
    const qint64 end = clock.nsecsElapsed();

    const char* const phases[] = {"fast comparison", "reliable comparison"};
    for (qsizetype index = 0; index < 2; ++index) {
        const qint64 start = index < stageStarts.size() ? stageStarts[index].second : end;
        const qint64 stop = index + 1 < stageStarts.size() ? stageStarts[index + 1].second : end;
        reportPhase(phases[index], index < stageStarts.size() ? stop - start : 0);
    }
    if (pipeline.hasFailed())
        std::fprintf(stderr, "pairsift-bench: the comparison failed: %s\n", qPrintable(db->lastFailure()));
    return !pipeline.hasFailed();
}

// This program's own high-water mark: unlike the resource usage's, it does not start from the memory of
// the process that started it.
void reportPeakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            std::fprintf(stderr, "%-22s %9lld KiB\n", "peak memory", line.mid(6).trimmed().split(' ').first().toLongLong());
    }
}

void printGroups(const Session& session)
{
    QList<QStringList> groups;
    for (const auto& [digest, group] : session.fileGroupsByHash()) {
        QStringList paths;
        for (const FileItemPtr& file : group->files())
            paths.append(file->name());
        paths.sort();
        groups.append(paths);
    }
    std::sort(groups.begin(), groups.end(),
        [](const QStringList& first, const QStringList& second) { return first.first() < second.first(); });
    for (qsizetype index = 0; index < groups.size(); ++index) {
        if (index > 0)
            std::fputs("\n", stdout);
        for (const QString& path : groups[index])
            std::printf("%s\n", QFile::encodeName(path).constData());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(application.arguments());
    if (!options) {
        std::fprintf(stderr,
            "usage: pairsift-bench [--min-size BYTES] [--readers N] [--print-groups] [--log] [--store PATH] "
            "LOCATION...\n");
        return 2;
    }
    if (!installInterruptionHandlers()) {
        std::fprintf(stderr, "pairsift-bench: cannot handle interruptions\n");
        return 1;
    }
    // Removed on every way out of main(), an interrupted run's too.
    QTemporaryDir workspace;
    if (!workspace.isValid()) {
        std::fprintf(stderr, "pairsift-bench: cannot create a temporary folder\n");
        return 1;
    }
    UserDefaults::setConfigurationFolder(workspace.filePath(QStringLiteral("settings")));
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    applySmallFileThreshold(options->minimumSize);

    QList<LocationItemPtr> locations;
    for (const QString& path : options->locations) {
        const QFileInfo folder(path);
        if (!folder.isDir()) {
            std::fprintf(stderr, "pairsift-bench: not a folder: %s\n", qPrintable(path));
            return 2;
        }
        locations.append(LocationItem::withPath(folder.absoluteFilePath()));
    }
    locations = normalizedLocations(locations, true);

    const QString storePath =
        options->storePath.isEmpty() ? workspace.filePath(QStringLiteral("PairsiftData.db3")) : options->storePath;
    // The application's own lock: two programs on one store would delete each other's rows.
    const StoreLock lock(storePath);
    if (!lock.isLocked()) {
        if (lock.state() == StoreLock::State::HeldElsewhere)
            std::fprintf(stderr, "pairsift-bench: the store %s is in use by another program\n", qPrintable(storePath));
        else
            std::fprintf(stderr, "pairsift-bench: cannot lock the store %s: %s\n", qPrintable(storePath),
                qPrintable(lock.failureReason()));
        return 1;
    }
    QString failureReason;
    std::shared_ptr<PairsiftDatabase> db = PairsiftDatabase::databaseWithPath(storePath, &failureReason);
    if (!db) {
        std::fprintf(stderr, "pairsift-bench: cannot open the store %s: %s\n", qPrintable(storePath),
            qPrintable(failureReason));
        return 1;
    }
    // Standard error only, never the system log.
    const SOLoggerPtr logger = options->log ? std::make_shared<SOLogger>(QStringLiteral("pairsift-bench"),
                                                  SOLoggerOptionStandardError | SOLoggerOptionNoSystemLog)
                                            : nullptr;
    auto session = std::make_shared<Session>(db, logger);

    QElapsedTimer clock;
    clock.start();
    const RunOutcome walk = count(locations, db, session, logger);
    if (isInterrupted()) {
        std::fprintf(stderr, "pairsift-bench: interrupted\n");
        return 128 + interruption.load();
    }
    if (!walk.isFinished()) {
        std::fprintf(stderr, "pairsift-bench: the walk did not finish: %s\n",
            walk.hasFailed() ? qPrintable(walk.reason()) : "stopped");
        return 1;
    }
    reportPhase("walk", clock.nsecsElapsed());
    const std::uint64_t fileCount = session->fileCount();

    const bool isCompared = compare(*session, db, logger, options->readers);
    if (isInterrupted()) {
        std::fprintf(stderr, "pairsift-bench: interrupted\n");
        return 128 + interruption.load();
    }
    if (!isCompared)
        return 1;

    clock.restart();
    // As the main window does: the scan's items are never shown, so they go before the results are read.
    session->clear();
    bool isComplete = false;
    session->replaceFiles(Session::readFilesWithDigest(*db, &isComplete));
    if (!isComplete) {
        std::fprintf(stderr, "pairsift-bench: the results could not be read: %s\n", qPrintable(db->lastFailure()));
        return 1;
    }
    session->sortFilesInGroupsWithLocations(locations);
    reportPhase("reload", clock.nsecsElapsed());

    std::uint64_t duplicates = 0;
    for (const auto& [digest, group] : session->fileGroupsByHash())
        duplicates += group->count() - 1;
    std::printf("files: %llu  groups: %llu  duplicates: %llu  wasted: %.0f\n",
        static_cast<unsigned long long>(fileCount), static_cast<unsigned long long>(session->groupCount()),
        static_cast<unsigned long long>(duplicates), session->wastedSpace());
    if (options->printGroups) {
        std::fputs("\n", stdout);
        printGroups(*session);
    }
    reportPeakMemory();
    return 0;
}
