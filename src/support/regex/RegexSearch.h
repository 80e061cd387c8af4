#pragma once

#include "support/regex/RegexRange.h"

#include <QString>

struct URegularExpression;

namespace pairsift {

// One operation's walk over the matches in a range of a subject. The engine is given exactly the range's
// characters, in place, so anchors and word boundaries see the range's edges; the subject must outlive
// the search. Ranges come back in subject coordinates.
class RegexSearch {
public:
    RegexSearch(URegularExpression* regex, const QString& subject, RegexRange range);

    // The next match after the previous one (the first one on the first call). False when there is none
    // left or the engine failed; after an empty match the search moves on by one character.
    bool findNext();
    RegexRange matchRange() const { return m_lastMatchRange; }
    // The range of a group of the current match; notFound() when the group took no part in it.
    RegexRange captureRange(int group);

    URegularExpression* regex() const { return m_regex; }
    RegexRange textRange() const { return m_setToRange; }
    // The engine's status: 0, a warning (below zero) or the first error (above zero).
    int status() const { return m_status; }
    bool hasFailed() const { return m_status > 0; }
    // Keeps the first error (or a warning while there is none) of a call made on regex(); false once failed.
    bool noteStatus(int engineStatus);

private:
    URegularExpression* m_regex;
    RegexRange m_setToRange;
    RegexRange m_lastMatchRange = RegexRange::notFound();
    int m_status = 0;
};

} // namespace pairsift
