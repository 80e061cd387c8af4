#pragma once

#include "platform/ProgressMailbox.h"

#include <QString>

#include <cstdint>

namespace pairsift {

// What the processing view shows of a run, as the worker last reported it. Publishing copies two
// implicitly shared strings and never allocates.
struct ProcessingProgress {
    QString stage;
    std::uint64_t total = 0;
    std::uint64_t done = 0;
    QString fileName;
    std::uint64_t fileTotal = 0;
    std::uint64_t fileDone = 0;
    bool fileProgressVisible = false;
};

using ProcessingProgressMailbox = ProgressMailbox<ProcessingProgress>;

} // namespace pairsift
