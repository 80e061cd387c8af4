#pragma once

#include "platform/Error.h"
#include "support/regex/RegexOptions.h"
#include "support/regex/RegexRange.h"

#include <QString>

#include <functional>
#include <span>

// Regular-expression operations that call a block once per match or split piece, callable from any thread.
//
// Each call searches its own copy of the subject with its own compiled expression and holds no lock while
// the block runs, so a block may use any operation of this layer and may even change the string being
// enumerated: the enumeration goes on reading its copy. Ranges count UTF-16 units in subject coordinates;
// a group that took no part in a match has RegexRange::notFound() and the string "". A block stops the
// enumeration by setting `stop`; that is a success. Arguments, options and errors behave as in
// RegexOperations.h; bad enumeration options throw RegexInvalidArgumentException.

namespace pairsift {

// One step: the ranges of a match followed by those of its captures (for a split, the piece followed by the
// separator's captures; a trailing piece comes alone), their strings in the same order (empty with
// RXRegexEnumerationCapturedStringsNotRequired), and the flag that stops the enumeration.
using RegexMatchBlock =
    std::function<void(std::span<const QString> capturedStrings, std::span<const RegexRange> capturedRanges, bool& stop)>;
// The same, answering the text that takes the match's place; a null QString deletes the match.
using RegexReplacementBlock = std::function<QString(std::span<const QString> capturedStrings,
                                                    std::span<const RegexRange> capturedRanges, bool& stop)>;

// Calls the block for every match; true when the enumeration ran to its end or was stopped, false when the
// pattern does not compile or the engine failed ("An unexpected error occurred." in `error`).
bool enumerateStringsMatchedByRegex(const QString& subject, const QString& pattern, const RegexMatchBlock& block);
bool enumerateStringsMatchedByRegex(const QString& subject, const QString& pattern, RXRegexOptions options,
                                    RegexRange range, Error* error, RXRegexEnumerationOptions enumerationOptions,
                                    const RegexMatchBlock& block);

// Calls the block for exactly the pieces that componentsSeparatedByRegex() returns.
bool enumerateStringsSeparatedByRegex(const QString& subject, const QString& pattern, const RegexMatchBlock& block);
bool enumerateStringsSeparatedByRegex(const QString& subject, const QString& pattern, RXRegexOptions options,
                                      RegexRange range, Error* error, RXRegexEnumerationOptions enumerationOptions,
                                      const RegexMatchBlock& block);

// The range's text with every match (up to a stop) replaced by the block's answer; a null QString on failure.
QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern,
                                            const RegexReplacementBlock& block);
QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, RXRegexOptions options,
                                            RegexRange range, Error* error,
                                            RXRegexEnumerationOptions enumerationOptions,
                                            const RegexReplacementBlock& block);

// The same in place: answers the number of replacements, -1 on failure. The new text replaces the range of
// the receiver as it is after the enumeration (for the form without a range, {0, its current length}), so it
// takes the place of anything the block changed there. A range that no longer fits the receiver (the block
// shortened it) raises RegexRangeException, and the receiver keeps the block's changes.
qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const RegexReplacementBlock& block);
qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, RXRegexOptions options, RegexRange range,
                                 Error* error, RXRegexEnumerationOptions enumerationOptions,
                                 const RegexReplacementBlock& block);

} // namespace pairsift
