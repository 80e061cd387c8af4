#pragma once

#include "processing/ProcessingStage.h"

namespace pairsift {

// The fast stage: key = the 32-bit MurmurHash3 of the whole content; every value, 0 included, is a key.
class ProcessingStageMurmurHash : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;

protected:
    FileGroupingKind outputKind() const override;
    const StageTexts& texts() const override;
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override;
    bool readsAhead() const override;
};

} // namespace pairsift
