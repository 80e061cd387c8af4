#pragma once

#include "support/regex/RegexBlockOperations.h"
#include "support/regex/RegexErrorReporting.h"

namespace pairsift {

enum RXBlockEnumerationOp : unsigned {
    RXBlockEnumerationMatchOp = 1, // call a block per step
    RXBlockEnumerationReplaceOp = 2, // replace each match by what the block answers
};

struct RXEnumerationOutcome {
    bool isComplete = false; // ran to its end or was stopped; false after a failure
    qint64 count = -1; // steps taken; -1 after a failure
    QString replaced; // replacement: the range's text with the blocks' answers in place of the matches
};

// The driver of the block operations: checks the options and the range (throwing at once), makes the
// enumeration's private expression and subject, then runs the steps with no lock held. `regexOp` is
// RXCapturesArrayOp (per match) or RXSplitOp (per piece, match blocks only). A pattern that does not
// compile fails through `error`; an engine failure while searching fails with "An unexpected error occurred.".
RXEnumerationOutcome rx_performEnumerationUsingBlock(const RegexCaller& caller, RXBlockEnumerationOp blockOp,
                                                     unsigned regexOp, const QString& pattern, RXRegexOptions options,
                                                     const QString& subject, RegexRange range, Error* error,
                                                     RXRegexEnumerationOptions enumerationOptions,
                                                     const RegexMatchBlock* matchBlock,
                                                     const RegexReplacementBlock* replacementBlock);

} // namespace pairsift
