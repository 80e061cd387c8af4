#pragma once

#include "support/regex/RegexErrorReporting.h"
#include "support/regex/RegexOp.h"

namespace pairsift {

// The one path of every operation: checks the arguments (throwing at once), lends the compiled pattern,
// checks the range, capture and keys, gives the engine the range's text, runs `op` and hands the pattern
// back. Failures found on the way are raised only after that; a pattern that does not compile answers
// std::monostate and fills `error`. `keysAndCaptures` is required by the dictionary operations only.
RegexOpResult rx_performRegexOp(const RegexCaller& caller, unsigned op, const QString& pattern, RXRegexOptions options,
                                qint64 capture, const QString& subject, RegexRange range, Error* error,
                                const RegexKeysAndCaptures* keysAndCaptures = nullptr);

// Capture count of a pattern on its own, -1 when it does not compile.
qint64 rx_captureCount(const RegexCaller& caller, const QString& pattern, RXRegexOptions options, Error* error);

} // namespace pairsift
