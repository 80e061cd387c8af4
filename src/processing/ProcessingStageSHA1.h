#pragma once

#include "processing/ProcessingStage.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace pairsift {

// The reliable stage: key = the SHA-1 of the whole content, which it also writes to the store. The
// digests are kept back and written in one short transaction once the oldest has waited a second, and
// at the end of the stage, even a stopped one: one disk synchronisation per batch instead of one per
// file, and no transaction stays open while files are read, so no other store user waits on a batch.
class ProcessingStageSHA1 : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;

    // The longest a digest is kept back, in milliseconds.
    static constexpr std::int64_t batchMSecs = 1000;

protected:
    FileGroupingKind outputKind() const override;
    const StageTexts& texts() const override;
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override;
    bool readsAhead() const override;
    void keySettled(FileItem& file, const std::optional<FileGroupKey>& key) override;
    bool fileAdded(const FileItem& file, const FileGroupKey& key) override;
    bool finishStage() override;

private:
    // Writes the digests kept back; false, with an error line, when the store refused them.
    bool storeDigests();

    std::vector<std::pair<QString, QByteArray>> m_digests;
    std::int64_t m_oldestDigestTime = 0;
};

} // namespace pairsift
