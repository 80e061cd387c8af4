#pragma once

#include "processing/ProcessingStage.h"

namespace pairsift {

// The reliable stage: key = the SHA-1 of the whole content, which it also writes to the store.
class ProcessingStageSHA1 : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;

protected:
    FileGroupingKind outputKind() const override;
    const StageTexts& texts() const override;
    std::optional<FileGroupKey> contentKey(FileItem& file, const HashProgressBlock& chunkProgress) override;
    void fileAdded(const FileItem& file) override;
};

} // namespace pairsift
