#include "processing/ProcessingStageMurmurHash.h"

namespace pairsift {

FileGroupingKind ProcessingStageMurmurHash::outputKind() const
{
    return FileGroupingByHash;
}

const StageTexts& ProcessingStageMurmurHash::texts() const
{
    static const StageTexts texts{
        "MurmurHash stage count in: %lu, done: %lu, total: %lu",
        "MurmurHash stage count out: %lu, difference: %lu, done: %lu",
        "User cancelled MurmurHash'ing file '%@'",
        "Unable to MurmurHash file '%@'.",
    };
    return texts;
}

std::optional<FileGroupKey> ProcessingStageMurmurHash::contentKey(const FileItem& file, const HashProgressBlock& chunkProgress)
{
    const std::optional<quint32> hash = file.computeMurmurHash(chunkProgress, locationFolders());
    if (!hash)
        return std::nullopt;
    return FileGroupKey(std::uint64_t{*hash});
}

bool ProcessingStageMurmurHash::readsAhead() const
{
    return true;
}

} // namespace pairsift
