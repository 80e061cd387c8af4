#pragma once

#include "processing/DigestBatchWriter.h"
#include "processing/ProcessingStage.h"

#include <chrono>
#include <memory>

namespace pairsift {

// The reliable stage: key = the SHA-1 of the whole content, which it also writes to the store, in
// batches committed at least every second and at the end of the stage, even a stopped one.
class ProcessingStageSHA1 : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;

    // The longest a digest is kept back.
    static constexpr std::chrono::milliseconds batchInterval{1000};

protected:
    FileGroupingKind outputKind() const override;
    const StageTexts& texts() const override;
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override;
    bool readsAhead() const override;
    void keySettled(FileItem& file, const std::optional<FileGroupKey>& key) override;
    bool fileAdded(const FileItemPtr& file, const FileGroupKey& key) override;
    bool finishStage() override;

private:
    // From the first digest of a run to its end.
    std::unique_ptr<DigestBatchWriter> m_digests;
};

} // namespace pairsift
