#pragma once

#include "model/FileItem.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace pairsift {

// Where a comparison run stands, handed to the progress block by value.
struct StageProgressInfo {
    // Files finished before the current one over the whole run, files dropped by earlier stages included.
    std::uint64_t doneCount = 0;
    // Input files times the number of stages.
    std::uint64_t totalCount = 0;
    // Bytes of the current file hashed so far and its size; both 0 before its first chunk.
    std::uint64_t fileBytesDone = 0;
    std::uint64_t fileBytesTotal = 0;
    // Set once the current file has been hashing for a whole second.
    bool fileProgressVisible = false;
};

// Called on the processing thread before every file and after every 256 KiB chunk; it must return
// quickly (copy the values, never wait for the UI). Setting *stop cancels the run.
using StageProgressBlock =
    std::function<void(const QString& stageName, const FileItemPtr& file, StageProgressInfo info, bool* stop)>;

} // namespace pairsift
