#include "processing/ProcessingStageSHA1.h"

namespace pairsift {

FileGroupingKind ProcessingStageSHA1::outputKind() const
{
    return FileGroupingByHash;
}

const StageTexts& ProcessingStageSHA1::texts() const
{
    static const StageTexts texts{
        "SHA1 stage count in: %lu, done: %lu, total: %lu",
        "SHA1 stage count out: %lu, difference: %lu, done: %lu",
        "User cancelled hashing file '%@'",
        "Unable to hash file '%@'.",
    };
    return texts;
}

std::optional<FileGroupKey> ProcessingStageSHA1::contentKey(const FileItem& file, const HashProgressBlock& chunkProgress)
{
    const std::optional<Sha1Digest> digest = file.contentSHA1(chunkProgress, locationFolders());
    if (!digest)
        return std::nullopt;
    return FileGroupKey(digest->toByteArray());
}

bool ProcessingStageSHA1::readsAhead() const
{
    return true;
}

void ProcessingStageSHA1::keySettled(FileItem& file, const std::optional<FileGroupKey>& key)
{
    // Clears any digest the item had, so a failed read never keeps an old one.
    file.setSha1(key ? key->bytes() : QByteArray());
}

bool ProcessingStageSHA1::fileAdded(const FileItemPtr& file, const FileGroupKey& key)
{
    if (!m_digests)
        m_digests = std::make_unique<DigestBatchWriter>(db(), logger(), batchInterval);
    // The key is the digest contentKey() made, always 20 bytes.
    return m_digests->add(file, *Sha1Digest::fromByteArray(key.bytes()));
}

bool ProcessingStageSHA1::finishStage()
{
    const std::unique_ptr<DigestBatchWriter> digests = std::move(m_digests);
    return !digests || digests->finish();
}

} // namespace pairsift
