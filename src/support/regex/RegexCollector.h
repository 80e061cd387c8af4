#pragma once

#include "support/regex/RegexOp.h"
#include "support/regex/RegexRange.h"

#include <QVarLengthArray>

namespace pairsift {

class RegexSearch;

// The collector's working record for one operation: the ranges found, a group per match.
struct RXFindAll {
    // A few matches' worth lives inline; more grow on the heap without limit.
    QVarLengthArray<RegexRange, 32> ranges;
    RegexRange findInRange;
    qint64 matchLimit = 0;
    qint64 capture = 0;
    int addedSplitRanges = 0;
};

// The text of a range: "" (never null) when it is empty or missing, the subject itself when it is all of it.
QString rx_substring(const QString& subject, RegexRange range);

// Searches `findAll.findInRange` and records, per match:
//   RXSplitOp: the piece before the match, then captures 1 to n;
//   RXMatchedStringsOp: the whole match, or capture `findAll.capture`;
//   the captures operations: the whole match, then captures 1 to n.
// A group that took no part is recorded as notFound(). Splitting adds the piece after the last match, or
// drops trailing empty pieces with their captures. Returns false when the engine failed.
bool rx_findRanges(RegexSearch& search, unsigned op, RXFindAll& findAll, qint64 captureCount);

// Strings for the ranges: "" for an empty (or missing) range, else the subject's text. A QStringList, or
// with RXOpNestedArraysFlag one list of captureCount + 1 strings per match.
RegexOpResult rx_makeArray(const QString& subject, unsigned op, const RXFindAll& findAll, qint64 captureCount);

// Key to captured text per match; a key whose group took no part is left out. One dictionary for
// RXCaptureDictionaryOp (empty when nothing matched), a list of them for RXCaptureDictionariesOp.
RegexOpResult rx_makeDictionary(const QString& subject, unsigned op, const RXFindAll& findAll, qint64 captureCount,
                                const RegexKeysAndCaptures& keysAndCaptures);

} // namespace pairsift
