#pragma once

#include "support/regex/RegexErrorReporting.h"
#include "support/regex/RegexOp.h"

#include <cstdint>

namespace pairsift {

// The one path of every operation: checks the arguments (throwing at once), lends the compiled pattern,
// checks the range, capture and keys, gives the engine the range's text, runs `op` and hands the pattern
// back. Failures found on the way are raised only after that; a pattern that does not compile answers
// std::monostate and fills `error`. `keysAndCaptures` is required by the dictionary operations only,
// `replacement` by RXReplaceAllOp only.
RegexOpResult rx_performRegexOp(const RegexCaller& caller, unsigned op, const QString& pattern, RXRegexOptions options,
                                qint64 capture, const QString& subject, RegexRange range, Error* error,
                                const RegexKeysAndCaptures* keysAndCaptures = nullptr,
                                const QString* replacement = nullptr);

// Capture count of a pattern on its own, -1 when it does not compile.
qint64 rx_captureCount(const RegexCaller& caller, const QString& pattern, RXRegexOptions options, Error* error);

// Throws at once for a null pattern or subject, as every operation does.
void rx_checkPatternAndSubject(const RegexCaller& caller, const QString& pattern, const QString& subject);

// Resolves a length meaning "to the end" and checks the range (without overflowing) and the subject's length.
RegexPending rx_resolveRange(std::uint64_t subjectLength, RegexRange& range);

// Puts `replaced` in place of the (resolved) range of `receiver`: the last step of the in-place replacements.
void rx_replaceRange(QString& receiver, RegexRange range, const QString& replaced);

} // namespace pairsift
