#include "processing/ProcessingStageSHA1.h"

#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

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

std::optional<FileGroupKey> ProcessingStageSHA1::contentKey(FileItem& file, const HashProgressBlock& chunkProgress)
{
    // Clears any digest the item had, so a failed read never keeps an old one.
    file.computeSHA1(chunkProgress);
    if (!file.sha1Digest())
        return std::nullopt;
    return FileGroupKey(file.sha1());
}

void ProcessingStageSHA1::fileAdded(const FileItem& file)
{
    // The file stays grouped: the results are rebuilt from the store, which then simply lacks this row's
    // digest.
    if (!db() || !db()->updateFile(file.name(), file.sha1()))
        logError(logger(), "Unable to update file '%@' SHA1 in database", file.name());
}

} // namespace pairsift
