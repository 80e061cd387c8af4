#pragma once

#include "support/regex/RegexCache.h"
#include "support/regex/RegexSearch.h"

#include <optional>

namespace pairsift {

// The private state of one block enumeration: an expression of its own and its own copy of the subject, so
// the caller's block runs with no lock held, may use any operation of this layer, and may change the
// string it enumerates without disturbing the enumeration.
class RXBlockEnumerationHelper {
public:
    // Empty when the pattern does not compile (reported through `error`) or an engine failure was recorded
    // in `pending`. `range` must already be resolved and lie within the subject.
    RXBlockEnumerationHelper(const QString& pattern, RXRegexOptions options, const QString& subject,
                             RegexRange range, Error* error, RegexPending& pending);

    explicit operator bool() const { return m_search.has_value(); }
    qint64 captureCount() const { return m_regex.captureCount(); }
    // The copy: the caller's later changes to its string never reach it.
    const QString& subject() const { return m_subject; }
    RegexSearch& search() { return *m_search; }

private:
    const QString m_subject;
    RegexLease m_regex;
    std::optional<RegexSearch> m_search;
};

} // namespace pairsift
