#include "processing/ProcessingStageSHA1.h"

#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <algorithm>

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

bool ProcessingStageSHA1::fileAdded(const FileItem& file, const FileGroupKey& key)
{
    if (m_digests.empty())
        m_oldestDigestTime = now();
    m_digests.emplace_back(file.name(), key.bytes());
    return now() - m_oldestDigestTime < batchMSecs || storeDigests();
}

bool ProcessingStageSHA1::finishStage()
{
    return storeDigests();
}

bool ProcessingStageSHA1::storeDigests()
{
    if (m_digests.empty())
        return true;
    // In path order the store finds each row next to the previous one's instead of anywhere in its file.
    std::sort(m_digests.begin(), m_digests.end(),
        [](const auto& first, const auto& second) { return first.first < second.first; });
    // Without its digests the store's results would silently lack these files: the run fails.
    const bool isStored = db() && db()->updateFiles(m_digests);
    if (!isStored)
        logError(logger(), "Unable to store the SHA1 of %lu files in database", static_cast<unsigned long>(m_digests.size()));
    m_digests.clear();
    return isStored;
}

} // namespace pairsift
