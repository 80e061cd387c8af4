#include "processing/ProcessingStageSHA1.h"

#include "support/logging/SOLogger.h"

namespace pairsift {

ProcessingStageSHA1::~ProcessingStageSHA1() = default;

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
    const std::optional<Sha1Digest> digest = file.contentSHA1(chunkProgress);
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

bool ProcessingStageSHA1::fileAdded(const FileItem& file, const FileGroupKey& key)
{
    if (!m_hasUnstored) {
        m_oldestDigestTime = now();
        m_hasUnstored = true;
    }
    m_batch.emplace_back(file.name(), key.bytes());
    if (now() - m_oldestDigestTime >= batchMSecs)
        return storeDigests();
    return isStoring();
}

bool ProcessingStageSHA1::finishStage()
{
    const bool isStored = storeDigests();
    m_writer.reset();
    m_isRefusalLogged = false;
    return isStored;
}

void ProcessingStageSHA1::handOver()
{
    if (m_batch.empty())
        return;
    if (!m_writer)
        m_writer = std::make_unique<DigestWriter>(db());
    m_writer->write(std::move(m_batch));
    m_batch = {};
}

bool ProcessingStageSHA1::storeDigests()
{
    handOver();
    if (m_writer)
        m_writer->waitUntilWritten();
    m_hasUnstored = false;
    return isStoring();
}

bool ProcessingStageSHA1::isStoring()
{
    const std::size_t refused = m_writer ? m_writer->refusedCount() : 0;
    if (refused == 0)
        return true;
    // Without its digests the store's results would silently lack these files: the run fails.
    if (!m_isRefusalLogged)
        logError(logger(), "Unable to store the SHA1 of %lu files in database", static_cast<unsigned long>(refused));
    m_isRefusalLogged = true;
    return false;
}

} // namespace pairsift
