#pragma once

#include "support/regex/RegexOperations.h"

#include <QList>
#include <QStringList>

#include <variant>

namespace pairsift {

// The operation codes of the central operation: the low 4 bits select it, the flags modify it. Code 2 is
// kept free for replacement.
enum RXRegexOp : unsigned {
    RXSplitOp = 1,
    RXFirstMatchRangeOp = 3,
    RXMatchedStringsOp = 4,
    RXAllCapturesOp = 5,
    RXCapturesArrayOp = 6,
    RXCaptureDictionaryOp = 7,
    RXCaptureDictionariesOp = 8,
    RXOpCodeMask = 0x0F,
    RXOpNestedArraysFlag = 0x20, // with RXAllCapturesOp: one array of captures per match
};

// What an operation answers; std::monostate is "nothing" (a pattern that does not compile).
using RegexOpResult = std::variant<std::monostate, RegexRange, QStringList, QList<QStringList>, RegexCaptureDictionary,
                                   QList<RegexCaptureDictionary>>;

} // namespace pairsift
