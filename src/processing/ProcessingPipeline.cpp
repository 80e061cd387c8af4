#include "processing/ProcessingPipeline.h"

#include "processing/ProcessingStageMurmurHash.h"
#include "processing/ProcessingStageSHA1.h"
#include "support/logging/SOLogger.h"

#include <optional>

namespace pairsift {

namespace {

ProcessingPipeline::Stages comparisonStages(const std::shared_ptr<const FileGrouping>& grouping,
    const SOLoggerPtr& logger, const std::shared_ptr<PairsiftDatabase>& db)
{
    ProcessingPipeline::Stages stages;
    stages.push_back(std::make_unique<ProcessingStageMurmurHash>(
        QStringLiteral("Performing fast comparison\u2026"), grouping, logger, db));
    stages.push_back(std::make_unique<ProcessingStageSHA1>(
        QStringLiteral("Performing reliable comparison\u2026"), grouping, logger, db));
    return stages;
}

} // namespace

ProcessingPipeline::ProcessingPipeline(FileGrouping fileGroupingBySize, SOLoggerPtr logger,
    std::shared_ptr<PairsiftDatabase> db)
    : m_inFileGroups(std::make_shared<const FileGrouping>(std::move(fileGroupingBySize)))
    , m_stages(comparisonStages(m_inFileGroups, logger, db))
    , m_logger(std::move(logger))
{
    setReaderCount(ProcessingStage::defaultReaderCount);
}

ProcessingPipeline::ProcessingPipeline(std::shared_ptr<const FileGrouping> fileGroupingBySize, Stages stages)
    : m_inFileGroups(std::move(fileGroupingBySize))
    , m_stages(std::move(stages))
{
}

void ProcessingPipeline::setReaderCount(int count)
{
    m_sharedReaderCount = count;
}

void ProcessingPipeline::shareReaders(int count)
{
    const auto readers = count > 0 ? std::make_shared<ReaderTeam>(count) : nullptr;
    for (const std::unique_ptr<ProcessingStage>& stage : m_stages)
        stage->setReaders(readers);
}

std::uint64_t ProcessingPipeline::totalFiles() const
{
    return m_inFileGroups->count() * m_stages.size();
}

FileGrouping ProcessingPipeline::processFilesWithProgress(const StageProgressBlock& progress)
{
    if (!m_sharedReaderCount)
        return runStages(progress);
    // The helpers live for the run only: an idle pipeline holds no threads.
    shareReaders(*m_sharedReaderCount);
    FileGrouping output = runStages(progress);
    shareReaders(0);
    return output;
}

FileGrouping ProcessingPipeline::runStages(const StageProgressBlock& progress)
{
    const std::uint64_t total = totalFiles();
    const FileGrouping* current = m_inFileGroups.get();
    std::optional<FileGrouping> output;
    std::uint64_t done = 0;
    std::uint64_t dropped = 0;
    m_hasFailed = false;

    for (const std::unique_ptr<ProcessingStage>& stage : m_stages) {
        const std::uint64_t inCount = current->count();
        FileGrouping out = stage->processFiles(*current, done, total, progress);
        if (stage->hasFailed()) {
            m_hasFailed = true;
            logError(m_logger, "Unable to store the digests of this comparison");
            return FileGrouping(FileGroupingByHash);
        }
        // A file dropped here is credited once to every later stage, so the count ends at the total.
        dropped += inCount - out.count();
        done += inCount + dropped;
        output = std::move(out);
        current = &*output;
    }
    Q_ASSERT_X(!output || output->groupedBy() == FileGroupingByHash, "ProcessingPipeline",
        "The final file grouping must be by SHA1");
    // Without stages the answer is a copy of the input, which the pipeline keeps.
    return output ? std::move(*output) : *m_inFileGroups;
}

} // namespace pairsift
