#pragma once

#include "model/ContentOpen.h"
#include "model/FileGrouping.h"
#include "processing/StageProgress.h"
#include "processing/StageReadAhead.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace pairsift {

class PairsiftDatabase;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The texts of one stage: the console lines around its run and the log lines of a file it leaves out.
struct StageTexts {
    // "… count in: %lu, done: %lu, total: %lu" with the input count, the done and the total argument.
    const char* countIn;
    // "… count out: %lu, difference: %lu, done: %lu" with the output count, input − output, the end done.
    const char* countOut;
    // Warning with the path when a stop lands during the content operation; null when it cannot.
    const char* cancelled;
    // Error with the path when the content operation fails.
    const char* failed;
};

// One comparison stage: computes a content key for every file of a grouping and answers a new grouping
// keyed by it, without the groups left with a single file. The loop is shared; a stage supplies only
// its content operation, its key and its texts.
class ProcessingStage {
public:
    // Milliseconds on a monotonic clock.
    using Clock = std::function<std::int64_t()>;

    ProcessingStage(QString name, std::shared_ptr<const FileGrouping> fileGrouping, SOLoggerPtr logger,
        std::shared_ptr<PairsiftDatabase> db);
    virtual ~ProcessingStage();

    ProcessingStage(const ProcessingStage&) = delete;
    ProcessingStage& operator=(const ProcessingStage&) = delete;

    // The title shown to the user and passed to every progress call.
    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    const SOLoggerPtr& logger() const { return m_logger; }
    const std::shared_ptr<PairsiftDatabase>& db() const { return m_db; }
    // The grouping given at construction; processFiles() works on the one passed to it.
    const std::shared_ptr<const FileGrouping>& inFileGroups() const { return m_inFileGroups; }

    // Replaces the clock that decides when a file's own progress becomes visible.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Helper threads a stage that reads ahead uses (see readsAhead()), started on first use; 0 reads
    // every file on the loop's own thread, one after the other.
    static constexpr int defaultReaderCount = 16;
    void setReaderCount(int count);
    // Reads ahead with these helpers, which other stages may share (null: on the loop's own thread).
    void setReaders(std::shared_ptr<ReaderTeam> readers);

    // Called on the processing thread; blocks until every file is handled. `doneCount` and `totalCount`
    // are the run's (see StageProgressInfo). A file that cannot be read is logged with its path and left
    // out. A stop from `progress` ends the stage after the current file; the output so far is returned,
    // pruned, like a finished one. When the stage cannot keep its results (the store refused them) it
    // ends at once and hasFailed() tells.
    FileGrouping processFiles(const FileGrouping& input, std::uint64_t doneCount, std::uint64_t totalCount,
        const StageProgressBlock& progress);
    // The last processFiles() could not keep its results; they are not to be trusted.
    bool hasFailed() const { return m_hasFailed; }

protected:
    virtual FileGroupingKind outputKind() const = 0;
    virtual const StageTexts& texts() const = 0;
    // The file's content key; nothing when the content cannot be read. `chunkProgress` is called after
    // every chunk read, and setting its stop flag ends the read (the key is then discarded).
    virtual std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) = 0;
    // True when contentKey() may run on helper threads ahead of the loop: it then touches no shared state
    // and reports progress after every whole FileItem::ChunkSize chunk, as FileChunkReader does. The loop
    // still makes every progress call, log line and output change itself, in the files' order, and a
    // key computed past a stop is dropped.
    virtual bool readsAhead() const { return false; }
    // On the loop's thread once the file's key is settled (nothing when it failed or was stopped
    // before its last chunk), before it joins the output.
    virtual void keySettled(FileItem& file, const std::optional<FileGroupKey>& key);
    // After the file joined the output under `key`; false when the stage cannot go on.
    virtual bool fileAdded(const FileItemPtr& file, const FileGroupKey& key);
    // At the end of every run of the stage, a stopped one too; false when what the stage kept back could
    // not be stored.
    virtual bool finishStage();
    // Milliseconds on the stage's clock.
    std::int64_t now() const;
    // While processFiles() runs: the open folders of its files' locations, for contentKey() to open
    // each file below its location.
    const LocationFolders* locationFolders() const { return m_locationFolders.get(); }

private:
    struct CurrentFile;

    // Answers whether the run ends at this file: cancelled, or the stage failed.
    // The input's groups in the order the run visits them.
    static std::vector<const FileGrouping::Files*> largestFirst(const FileGrouping& input);
    bool processFile(std::size_t index, const FileItemPtr& file, CurrentFile& current, StageReadAhead* readAhead,
        FileGrouping& output);
    // The file's content read on the loop's own thread.
    StageContent readContent(const FileItem& file, const ChunkDoneBlock& chunkDone);

    QString m_name;
    std::shared_ptr<const FileGrouping> m_inFileGroups;
    SOLoggerPtr m_logger;
    std::shared_ptr<PairsiftDatabase> m_db;
    Clock m_clock;
    bool m_hasFailed = false;
    int m_readerCount = defaultReaderCount;
    std::shared_ptr<ReaderTeam> m_readers;
    std::unique_ptr<LocationFolders> m_locationFolders;
};

} // namespace pairsift
