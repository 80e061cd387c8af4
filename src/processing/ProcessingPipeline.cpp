#include "processing/ProcessingPipeline.h"

#include "processing/ProcessingStageMurmurHash.h"
#include "processing/ProcessingStageSHA1.h"
#include "platform/RunOutcome.h"
#include "store/PairsiftDatabase.h"
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
    m_hasFailed = false;
    m_failureReason.clear();
    std::optional<FileGrouping> output;
    // Whatever a stage throws (no memory, no threads, a bug) ends the run as failed, never as finished.
    const RunOutcome outcome = outcomeOf([&] {
        // The helpers live for the run only: an idle pipeline holds no threads.
        if (m_sharedReaderCount)
            shareReaders(*m_sharedReaderCount);
        output = runStages(progress);
        return RunOutcome::finished();
    });
    if (m_sharedReaderCount)
        shareReaders(0);
    if (!outcome.hasFailed())
        return std::move(*output);
    logError(m_logger, "The comparison ended by an exception: %@", outcome.reason());
    fail(outcome.reason());
    return FileGrouping(FileGroupingByHash);
}

void ProcessingPipeline::fail(const QString& reason)
{
    m_hasFailed = true;
    m_failureReason = reason;
}

FileGrouping ProcessingPipeline::runStages(const StageProgressBlock& progress)
{
    const std::uint64_t total = totalFiles();
    const FileGrouping* current = m_inFileGroups.get();
    std::optional<FileGrouping> output;
    std::uint64_t done = 0;
    std::uint64_t dropped = 0;

    for (const std::unique_ptr<ProcessingStage>& stage : m_stages) {
        const std::uint64_t inCount = current->count();
        FileGrouping out = stage->processFiles(*current, done, total, progress);
        if (stage->hasFailed()) {
            logError(m_logger, "Unable to store the digests of this comparison");
            // The store has just said why, in its own words.
            const QString storeFailure = stage->db() ? stage->db()->lastFailure() : QString();
            fail(storeFailure.isEmpty() ? QStringLiteral("Unable to store the digests of this comparison.") : storeFailure);
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
