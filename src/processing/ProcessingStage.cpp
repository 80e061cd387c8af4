#include "processing/ProcessingStage.h"

#include "platform/ConsoleLog.h"
#include "support/logging/SOLogger.h"

#include <QScopeGuard>

#include <algorithm>
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

// The file the loop handles, shared with the chunk block that is built once per run.
struct ProcessingStage::CurrentFile {
    const StageProgressBlock& progress;
    ChunkDoneBlock chunkDone;
    const FileItemPtr* file = nullptr;
    StageProgressInfo info;
    std::int64_t started = 0;
    bool cancelled = false;
};

void ProcessingStage::setReaderCount(int count)
{
    m_readerCount = count;
    m_readers.reset();
}

void ProcessingStage::setReaders(std::shared_ptr<ReaderTeam> readers)
{
    m_readerCount = readers ? readers->size() : 0;
    m_readers = std::move(readers);
}

bool ProcessingStage::fileAdded(const FileItemPtr&, const FileGroupKey&)
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
    m_hasFailed = false;
    consoleLog(stageTexts.countIn, inCount, doneCount, totalCount);

    CurrentFile current{progress, {}};
    current.info.totalCount = totalCount;
    if (progress) {
        current.chunkDone = [this, &current](quint64 bytesDone, quint64 bytesTotal) {
            // Whole seconds only: files that take under a second never show their own bar.
            current.info.fileProgressVisible = (now() - current.started) / 1000 >= 1;
            current.info.fileBytesDone = bytesDone;
            current.info.fileBytesTotal = bytesTotal;
            current.progress(m_name, *current.file, current.info, &current.cancelled);
            return current.cancelled;
        };
    }

    // Opened before any helper starts, closed when the run ends however it ends; a location that cannot
    // be opened fails its files' reads.
    m_locationFolders = std::make_unique<LocationFolders>();
    const auto closeFolders = qScopeGuard([this] { m_locationFolders.reset(); });
    const std::vector<const FileGrouping::Files*> groups = largestFirst(input);
    // The files in the order the loop takes them, which is the order the helpers claim them.
    std::vector<const FileItem*> files;
    files.reserve(inCount);
    for (const FileGrouping::Files* group : groups) {
        for (const FileItemPtr& file : *group) {
            m_locationFolders->add(*file);
            files.push_back(file.get());
        }
    }
    std::unique_ptr<StageReadAhead> readAhead;
    if (readsAhead() && m_readerCount > 0) {
        if (!m_readers)
            m_readers = std::make_shared<ReaderTeam>(m_readerCount);
        readAhead = std::make_unique<StageReadAhead>(std::move(files), *m_readers,
            [this](const FileItem& file, const HashProgressBlock& chunkProgress) { return contentKey(file, chunkProgress); });
    }

    // The input is not changed while the run lasts.
    std::uint64_t done = doneCount;
    bool isEnded = false;
    for (const FileGrouping::Files* group : groups) {
        for (const FileItemPtr& file : *group) {
            // Every visited file counts, a cancelled or failed one too.
            current.info.doneCount = done++;
            isEnded = processFile(current.info.doneCount - doneCount, file, current, readAhead.get(), output);
            if (isEnded)
                break;
        }
        if (isEnded)
            break;
    }
    // Whatever was read past the end of the run is dropped.
    readAhead.reset();

    if (!finishStage())
        m_hasFailed = true;
    output.pruneSingleFileGroups();
    const std::uint64_t outCount = output.count();
    consoleLog(stageTexts.countOut, outCount, inCount - outCount, done);
    return output;
}

// Biggest files first: the helpers take the long reads while many short ones remain to keep the others
// busy, instead of one large file read alone at the end. Equal sizes keep the input's order.
std::vector<const FileGrouping::Files*> ProcessingStage::largestFirst(const FileGrouping& input)
{
    std::vector<const FileGrouping::Files*> groups;
    groups.reserve(input.fileGroups().size());
    for (const auto& [key, group] : input.fileGroups()) {
        if (!group.empty())
            groups.push_back(&group);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const FileGrouping::Files* left, const FileGrouping::Files* right) {
        return left->front()->totalSize() > right->front()->totalSize();
    });
    return groups;
}

bool ProcessingStage::processFile(std::size_t index, const FileItemPtr& file, CurrentFile& current,
    StageReadAhead* readAhead, FileGrouping& output)
{
    current.file = &file;
    current.cancelled = false;
    current.info.fileBytesDone = 0;
    current.info.fileBytesTotal = 0;
    current.info.fileProgressVisible = false;
    if (current.progress) {
        current.progress(m_name, file, current.info, &current.cancelled);
        if (current.cancelled)
            return true;
        current.started = now();
    }

    const StageContent content =
        readAhead ? readAhead->take(index, current.chunkDone) : readContent(*file, current.chunkDone);
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
    if (!fileAdded(file, *content.key))
        m_hasFailed = true;
    return m_hasFailed;
}

StageContent ProcessingStage::readContent(const FileItem& file, const ChunkDoneBlock& chunkDone)
{
    StageContent content;
    HashProgressBlock chunkProgress;
    if (chunkDone) {
        chunkProgress = [&](quint64 bytesDone, quint64 bytesTotal, bool* stop) {
            content.cancelled = chunkDone(bytesDone, bytesTotal);
            *stop = content.cancelled;
        };
    }
    content.key = contentKey(file, chunkProgress);
    return content;
}

std::int64_t ProcessingStage::now() const
{
    if (m_clock)
        return m_clock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace pairsift
