#pragma once

#include "support/regex/RegexErrorReporting.h"
#include "support/regex/RegexOp.h"

#include <cstdint>

namespace pairsift {

class RegexSearch;

// Refuses a template that could break the engine's 32-bit lengths. Only the searched range counts, and the
// sum is taken in 64 bits so that it cannot wrap.
RegexPending rx_checkReplacementLimits(std::uint64_t rangeLength, std::uint64_t replacementLength);

// Replaces every match in the search's text by `replacement`, in the engine's template syntax. The result
// holds the range's text only. A first pass sized at one and a half times the range plus twice the template
// usually suffices; otherwise it measures the exact length, and a second pass writes it. Engine failures
// (such as a template naming a group the pattern lacks) stay in the search's status and give a count of -1.
RegexReplaced rx_replaceString(RegexSearch& search, const QString& subject, const QString& replacement,
                               bool isMutable, RegexPending& pending);

} // namespace pairsift
