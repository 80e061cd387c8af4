#pragma once

#include "support/regex/RegexOperations.h"

#include <QList>
#include <QStringList>

#include <variant>

namespace pairsift {

// The operation codes of the central operation: the low 4 bits select it, the flags modify it.
enum RXRegexOp : unsigned {
    RXSplitOp = 1,
    RXReplaceAllOp = 2,
    RXFirstMatchRangeOp = 3,
    RXMatchedStringsOp = 4,
    RXAllCapturesOp = 5,
    RXCapturesArrayOp = 6,
    RXCaptureDictionaryOp = 7,
    RXCaptureDictionariesOp = 8,
    RXOpCodeMask = 0x0F,
    RXOpMutableFlag = 0x10, // with RXReplaceAllOp: the result replaces the range inside the subject
    RXOpNestedArraysFlag = 0x20, // with RXAllCapturesOp: one array of captures per match
};

// What a replacement answers: the range's text with every match replaced, the number of replacements and the
// range it was made for. With RXOpMutableFlag the string is null when nothing was replaced.
struct RegexReplaced {
    QString string;
    qint64 count = -1;
    RegexRange range;
};

// What an operation answers; std::monostate is "nothing" (a pattern that does not compile).
using RegexOpResult = std::variant<std::monostate, RegexRange, QStringList, QList<QStringList>, RegexCaptureDictionary,
                                   QList<RegexCaptureDictionary>, RegexReplaced>;

} // namespace pairsift
