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
// the peak resident memory. A walk or comparison that fails exits with 1.

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
#include "support/logging/SOLogger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace pairsift;

namespace {

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

// Runs the counting stage to its end on the event loop; false when it did not finish.
bool count(const QList<LocationItemPtr>& locations, const std::shared_ptr<PairsiftDatabase>& db,
    const std::shared_ptr<Session>& session, const SOLoggerPtr& logger)
{
    CountingViewController counting;
    QEventLoop loop;
    bool finished = false;
    counting.addFilesInLocations(locations, PairsiftDefaults::filterArray(), db, session, logger, [&](bool done) {
        finished = done;
        loop.quit();
    });
    loop.exec();
    return finished;
}

// Runs the pipeline on its own queue, as the processing view does, and times each stage by the moment
// its first progress report arrives. False when the run failed (its digests could not be stored).
bool compare(const Session& session, const std::shared_ptr<PairsiftDatabase>& db, const SOLoggerPtr& logger,
    int readers)
{
    FileGrouping bySize = session.fileGroupsBySize();
    bySize.pruneSingleFileGroups();
    ProcessingPipeline pipeline(std::move(bySize), logger, db);
    pipeline.setReaderCount(readers);

    QElapsedTimer clock;
    QString currentStage;
    QList<std::pair<QString, qint64>> stageStarts;
    SerialQueue queue(QStringLiteral("com.lanternforges.Pairsift.processing"));
    clock.start();
    queue.sync([&] {
        pipeline.processFilesWithProgress([&](const QString& stage, const FileItemPtr&, StageProgressInfo, bool*) {
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
    std::shared_ptr<PairsiftDatabase> db = PairsiftDatabase::databaseWithPath(storePath);
    if (!db) {
        std::fprintf(stderr, "pairsift-bench: cannot open the store %s\n", qPrintable(storePath));
        return 1;
    }
    // Standard error only, never the system log.
    const SOLoggerPtr logger = options->log ? std::make_shared<SOLogger>(QStringLiteral("pairsift-bench"),
                                                  SOLoggerOptionStandardError | SOLoggerOptionNoSystemLog)
                                            : nullptr;
    auto session = std::make_shared<Session>(db, logger);

    QElapsedTimer clock;
    clock.start();
    if (!count(locations, db, session, logger)) {
        std::fprintf(stderr, "pairsift-bench: the walk did not finish\n");
        return 1;
    }
    reportPhase("walk", clock.nsecsElapsed());
    const std::uint64_t fileCount = session->fileCount();

    if (!compare(*session, db, logger, options->readers)) {
        std::fprintf(stderr, "pairsift-bench: the comparison failed\n");
        return 1;
    }

    clock.restart();
    session->loadFilesFromDatabase();
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
