#include "processing/extras/ProcessingStageHeaders.h"

namespace pairsift {

namespace {
constexpr quint64 HeaderLength = 8;
}

FileGroupingKind ProcessingStageHeaders::outputKind() const
{
    return FileGroupingByHeader;
}

const StageTexts& ProcessingStageHeaders::texts() const
{
    static const StageTexts texts{
        "Head stage count in: %lu, done: %lu, total: %lu",
        "Head stage count out: %lu, difference: %lu, done: %lu",
        nullptr,
        "Unable to read header of file '%@'.",
    };
    return texts;
}

std::optional<FileGroupKey> ProcessingStageHeaders::contentKey(const FileItem& file, const HashProgressBlock&)
{
    const QByteArray head = file.readHead(HeaderLength);
    if (head.isNull())
        return std::nullopt;
    return FileGroupKey(head);
}

} // namespace pairsift
