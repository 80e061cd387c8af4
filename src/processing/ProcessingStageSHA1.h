#pragma once

#include "processing/DigestWriter.h"
#include "processing/ProcessingStage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace pairsift {

// The reliable stage: key = the SHA-1 of the whole content, which it also writes to the store. The
// digests go to the store in batches, each in one short transaction on a writer thread while hashing
// goes on; once the oldest digest not yet known to be stored has waited a second, and at the end of
// the stage (a stopped one too), the stage waits until everything is stored. So there is one disk
// synchronisation per batch instead of one per file, and no transaction stays open while files are
// read, so no other store user waits on a batch.
class ProcessingStageSHA1 : public ProcessingStage {
public:
    using ProcessingStage::ProcessingStage;
    ~ProcessingStageSHA1() override;

    // The longest a digest waits to be stored, in milliseconds.
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
    // Hands the digests kept back to the writer.
    void handOver();
    // Stores every digest kept back or handed over, and waits for that.
    bool storeDigests();
    // False, after one error line per run, once the store refused digests.
    bool isStoring();

    std::unique_ptr<DigestWriter> m_writer;
    DigestWriter::Digests m_batch;
    bool m_hasUnstored = false;
    bool m_isRefusalLogged = false;
    std::int64_t m_oldestDigestTime = 0;
};

} // namespace pairsift
