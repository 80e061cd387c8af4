#include "processing/ProcessingStage.h"

#include "platform/ConsoleLog.h"
#include "support/logging/SOLogger.h"

#include <chrono>

namespace pairsift {

ProcessingStage::ProcessingStage(QString name, std::shared_ptr<const FileGrouping> fileGrouping, SOLoggerPtr logger,
    std::shared_ptr<PairsiftDatabase> db)
    : m_name(std::move(name))
    , m_inFileGroups(std::move(fileGrouping))
    , m_logger(std::move(logger))
    , m_db(std::move(db))
{
}

ProcessingStage::~ProcessingStage() = default;

bool ProcessingStage::fileAdded(const FileItem&)
{
    return true;
}

bool ProcessingStage::finishStage()
{
    return true;
}

void ProcessingStage::keySettled(FileItem&, const std::optional<FileGroupKey>&)
{
}

FileGrouping ProcessingStage::processFiles(const FileGrouping& input, std::uint64_t doneCount,
    std::uint64_t totalCount, const StageProgressBlock& progress)
{
    const StageTexts& stageTexts = texts();
    const std::uint64_t inCount = input.count();
    FileGrouping output(outputKind());
    std::uint64_t done = doneCount;
    m_hasFailed = false;
    consoleLog(stageTexts.countIn, inCount, doneCount, totalCount);

    std::unique_ptr<StageReadAhead> readAhead;
    ContentSource source = [this](std::size_t, const FileItemPtr& file, const ChunkDoneBlock& chunkDone) {
        StageContent content;
        HashProgressBlock chunkProgress;
        if (chunkDone) {
            chunkProgress = [&](quint64 bytesDone, quint64 bytesTotal, bool* stop) {
                content.cancelled = chunkDone(bytesDone, bytesTotal);
                *stop = content.cancelled;
            };
        }
        content.key = contentKey(*file, chunkProgress);
        return content;
    };
    if (readsAhead() && m_readerCount > 0) {
        std::vector<FileItemPtr> files;
        files.reserve(inCount);
        input.enumerateGroups([&](const FileGroupKey&, const FileGrouping::Files& group, bool*) {
            files.insert(files.end(), group.begin(), group.end());
        });
        readAhead = std::make_unique<StageReadAhead>(std::move(files), m_readerCount,
            [this](const FileItem& file, const HashProgressBlock& chunkProgress) { return contentKey(file, chunkProgress); });
        source = [&readAhead](std::size_t index, const FileItemPtr&, const ChunkDoneBlock& chunkDone) {
            return readAhead->take(index, chunkDone);
        };
    }

    input.enumerateGroups([&](const FileGroupKey&, const FileGrouping::Files& files, bool* stopGroups) {
        for (const FileItemPtr& file : files) {
            // Every visited file counts, a cancelled or failed one too.
            const std::uint64_t fileDone = done++;
            if (processFile(fileDone - doneCount, file, fileDone, totalCount, progress, source, output)) {
                *stopGroups = true;
                return;
            }
        }
    });
    // Whatever was read past the end of the run is dropped.
    readAhead.reset();

    if (!finishStage())
        m_hasFailed = true;
    output.pruneSingleFileGroups();
    const std::uint64_t outCount = output.count();
    consoleLog(stageTexts.countOut, outCount, inCount - outCount, done);
    return output;
}

bool ProcessingStage::processFile(std::size_t index, const FileItemPtr& file, std::uint64_t doneCount,
    std::uint64_t totalCount, const StageProgressBlock& progress, const ContentSource& source, FileGrouping& output)
{
    StageProgressInfo info;
    info.doneCount = doneCount;
    info.totalCount = totalCount;
    bool cancelled = false;
    if (progress)
        progress(m_name, file, info, &cancelled);
    if (cancelled)
        return true;

    const std::int64_t started = now();
    ChunkDoneBlock chunkDone;
    if (progress) {
        chunkDone = [&](quint64 bytesDone, quint64 bytesTotal) {
            // Whole seconds only: files that take under a second never show their own bar.
            info.fileProgressVisible = (now() - started) / 1000 >= 1;
            info.fileBytesDone = bytesDone;
            info.fileBytesTotal = bytesTotal;
            progress(m_name, file, info, &cancelled);
            return cancelled;
        };
    }
    const StageContent content = source(index, file, chunkDone);
    keySettled(*file, content.key);

    const StageTexts& stageTexts = texts();
    if (content.cancelled) {
        if (stageTexts.cancelled)
            logWarning(m_logger, stageTexts.cancelled, file->name());
        return true;
    }
    if (!content.key) {
        logError(m_logger, stageTexts.failed, file->name());
        return false;
    }
    output.addFile(file, *content.key);
    if (!fileAdded(*file))
        m_hasFailed = true;
    return m_hasFailed;
}

std::int64_t ProcessingStage::now() const
{
    if (m_clock)
        return m_clock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace pairsift
