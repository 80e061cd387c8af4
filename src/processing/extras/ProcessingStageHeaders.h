#pragma once

#include "processing/ProcessingStage.h"

namespace pairsift {

// The header stage: key = the first 8 bytes of the file (fewer for a shorter one). Not part of the
// pipeline; it cannot be stopped during its single read.
class ProcessingStageHeaders : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;

protected:
    FileGroupingKind outputKind() const override;
    const StageTexts& texts() const override;
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override;
};

} // namespace pairsift
