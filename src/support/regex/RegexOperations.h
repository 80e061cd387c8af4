#pragma once

#include "platform/Error.h"
#include "support/regex/RegexException.h"
#include "support/regex/RegexOptions.h"
#include "support/regex/RegexRange.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// Regular-expression operations on QString subjects, callable from any thread.
//
// Every location, length and range counts UTF-16 units. The engine sees only the requested range of the
// subject, so "^", "$" and "\b" match at the range's edges. Defaults: options 0, the whole string, capture 0.
// A pattern that does not compile is no exception: the operation answers "nothing" (a null QString, false,
// RegexRange::notFound(), -1 or std::nullopt) and fills `error` when one is given; `error` is reset at the
// start of every call. Bad arguments and engine failures while matching throw a RegexException.
// The cache keeps its own copy of each pattern and finds it again by comparing characters. Keep frequently
// used patterns in a long-lived QString (a static): before it hashes a pattern the cache tries the entry
// used last and then the entry a small table holds for the address of the pattern's characters, so
// characters that stay where they are are found again without a hash.

namespace pairsift {

// Key and capture index pairs of the capture dictionaries; there is no limit on their number.
using RegexKeysAndCaptures = QList<std::pair<QString, int>>;
using RegexCaptureDictionary = QHash<QString, QString>;

// First match ----------------------------------------------------------------------------------------

bool isMatchedByRegex(const QString& subject, const QString& pattern);
bool isMatchedByRegex(const QString& subject, const QString& pattern, RegexRange range);
bool isMatchedByRegex(const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range,
                      Error* error = nullptr);

// The range of the first match, or of one of its captures; notFound() when there is none or the group took
// no part in the match.
RegexRange rangeOfRegex(const QString& subject, const QString& pattern);
RegexRange rangeOfRegex(const QString& subject, const QString& pattern, qint64 capture);
RegexRange rangeOfRegex(const QString& subject, const QString& pattern, RegexRange range);
RegexRange rangeOfRegex(const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range,
                        qint64 capture, Error* error = nullptr);

// The text of rangeOfRegex(): a null QString when there is none, "" (not null) for an empty match.
QString stringByMatching(const QString& subject, const QString& pattern);
QString stringByMatching(const QString& subject, const QString& pattern, qint64 capture);
QString stringByMatching(const QString& subject, const QString& pattern, RegexRange range);
QString stringByMatching(const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range,
                         qint64 capture, Error* error = nullptr);

// Patterns ------------------------------------------------------------------------------------------------

// Number of capture groups, -1 when the pattern does not compile. Leaves the compiled pattern cached.
qint64 captureCountForRegex(const QString& pattern);
qint64 captureCountForRegex(const QString& pattern, RXRegexOptions options, Error* error = nullptr);
qint64 captureCount(const QString& pattern);
qint64 captureCountWithOptions(const QString& pattern, RXRegexOptions options, Error* error = nullptr);

bool isRegexValid(const QString& pattern);
bool isRegexValidWithOptions(const QString& pattern, RXRegexOptions options, Error* error = nullptr);

// Empties the cache of compiled patterns.
void clearStringCache();

// Collections: std::nullopt only when the pattern does not compile; no match gives an empty collection.
// A group that took no part in a match gives "" in arrays and is left out of dictionaries. ---------------

// The pieces between matches, each followed by the separator's captures; trailing empty pieces (with the
// captures after them) are dropped.
std::optional<QStringList> componentsSeparatedByRegex(const QString& subject, const QString& pattern);
std::optional<QStringList> componentsSeparatedByRegex(const QString& subject, const QString& pattern, RegexRange range);
std::optional<QStringList> componentsSeparatedByRegex(const QString& subject, const QString& pattern,
                                                      RXRegexOptions options, RegexRange range, Error* error = nullptr);

// One string per match: the whole match, or one capture of it.
std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern);
std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern, qint64 capture);
std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern, RegexRange range);
std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                    RXRegexOptions options, RegexRange range, qint64 capture,
                                                    Error* error = nullptr);

// The first match and then each of its captures (captureCount + 1 strings).
std::optional<QStringList> captureComponentsMatchedByRegex(const QString& subject, const QString& pattern);
std::optional<QStringList> captureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                           RegexRange range);
std::optional<QStringList> captureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                           RXRegexOptions options, RegexRange range,
                                                           Error* error = nullptr);

// captureComponentsMatchedByRegex() for every match.
std::optional<QList<QStringList>> arrayOfCaptureComponentsMatchedByRegex(const QString& subject, const QString& pattern);
std::optional<QList<QStringList>> arrayOfCaptureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                                         RegexRange range);
std::optional<QList<QStringList>> arrayOfCaptureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                                         RXRegexOptions options, RegexRange range,
                                                                         Error* error = nullptr);

// Key to captured text for the first match; an empty dictionary when nothing matches.
std::optional<RegexCaptureDictionary> dictionaryByMatchingRegex(const QString& subject, const QString& pattern,
                                                                const RegexKeysAndCaptures& keysAndCaptures);
std::optional<RegexCaptureDictionary> dictionaryByMatchingRegex(const QString& subject, const QString& pattern,
                                                                RegexRange range,
                                                                const RegexKeysAndCaptures& keysAndCaptures);
std::optional<RegexCaptureDictionary> dictionaryByMatchingRegex(const QString& subject, const QString& pattern,
                                                                RXRegexOptions options, RegexRange range, Error* error,
                                                                const RegexKeysAndCaptures& keysAndCaptures);

// dictionaryByMatchingRegex() for every match.
std::optional<QList<RegexCaptureDictionary>> arrayOfDictionariesByMatchingRegex(
    const QString& subject, const QString& pattern, const RegexKeysAndCaptures& keysAndCaptures);
std::optional<QList<RegexCaptureDictionary>> arrayOfDictionariesByMatchingRegex(
    const QString& subject, const QString& pattern, RegexRange range, const RegexKeysAndCaptures& keysAndCaptures);
std::optional<QList<RegexCaptureDictionary>> arrayOfDictionariesByMatchingRegex(
    const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range, Error* error,
    const RegexKeysAndCaptures& keysAndCaptures);

// Replacement: every match in the range replaced by a template in the engine's syntax ("$1" is the text of
// group 1, a backslash makes the next character literal); a group the pattern lacks throws RegexICUException.
// The texts outside the range are not part of the new string. ------------------------------------------------

// The range's text with every match replaced; a null QString when the pattern does not compile.
QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, const QString& replacement);
QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, const QString& replacement,
                                            RegexRange range);
QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, const QString& replacement,
                                            RXRegexOptions options, RegexRange range, Error* error = nullptr);

// The same inside `receiver`, whose range is replaced in place. Answers the number of replacements, -1 when
// the pattern does not compile.
qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const QString& replacement);
qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const QString& replacement,
                                 RegexRange range);
qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const QString& replacement,
                                 RXRegexOptions options, RegexRange range, Error* error = nullptr);

} // namespace pairsift
