#pragma once

#include "model/FileGrouping.h"
#include "processing/ProcessingStage.h"
#include "processing/StageProgress.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pairsift {

// The end of a comparison run: true when the user did not stop it, and the pipeline's final grouping.
using ProcessingCompletionBlock = std::function<void(bool finished, const FileGrouping& grouping)>;

// Narrows a by-size grouping to groups of identical content: the fast stage, then the reliable one,
// each fed the previous one's output, with one progress count from 0 to totalFiles() over the run.
class ProcessingPipeline {
public:
    using Stages = std::vector<std::unique_ptr<ProcessingStage>>;

    // The fast and the reliable stage, both built on the grouping, the logger and the store, sharing
    // their helper threads.
    ProcessingPipeline(FileGrouping fileGroupingBySize, SOLoggerPtr logger, std::shared_ptr<PairsiftDatabase> db);
    // Runs the given stages in order.
    ProcessingPipeline(std::shared_ptr<const FileGrouping> fileGroupingBySize, Stages stages);

    const std::shared_ptr<const FileGrouping>& inFileGroups() const { return m_inFileGroups; }
    const Stages& stages() const { return m_stages; }
    // Gives every stage the same helpers during a run, `count` threads (0: each stage reads on its loop's
    // thread). Until this is called, stages given to the pipeline keep their own.
    void setReaderCount(int count);

    // The input file count times the number of stages.
    std::uint64_t totalFiles() const;

    // Called on the processing thread; blocks until the last stage ends. Unreadable files are logged and
    // left out by the stages. A stop from `progress` ends the running stage; every later stage then stops
    // at its first progress call, so the answer is the nearly empty output of the last stage. The answer is
    // the last stage's output, keyed by SHA-1, without single-file groups. When a stage could not keep
    // its results (the store refused the digests) or ended by an exception, the run ends there with an
    // error line and an empty grouping, and hasFailed() tells.
    FileGrouping processFilesWithProgress(const StageProgressBlock& progress);
    // The last run failed: its results were not stored and must not be shown as found.
    bool hasFailed() const { return m_hasFailed; }
    // Why the last run failed, in words for the user; empty unless it failed.
    const QString& failureReason() const { return m_failureReason; }

private:
    void shareReaders(int count);
    FileGrouping runStages(const StageProgressBlock& progress);
    void fail(const QString& reason);

    std::shared_ptr<const FileGrouping> m_inFileGroups;
    Stages m_stages;
    SOLoggerPtr m_logger;
    bool m_hasFailed = false;
    QString m_failureReason;
    std::optional<int> m_sharedReaderCount;
};

} // namespace pairsift
