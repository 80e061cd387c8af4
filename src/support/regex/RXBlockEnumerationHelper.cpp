#include "support/regex/RXBlockEnumerationHelper.h"

namespace pairsift {

RXBlockEnumerationHelper::RXBlockEnumerationHelper(const QString& pattern, RXRegexOptions options,
                                                   const QString& subject, RegexRange range, Error* error,
                                                   RegexPending& pending)
    // Implicitly shared: copying costs nothing, and a change to the caller's string detaches the caller's.
    : m_subject(subject), m_regex(RegexCache::shared().lease(pattern, options, error, pending))
{
    if (!m_regex)
        return;
    m_search.emplace(m_regex.regex(), m_subject, range);
    if (m_search->hasFailed()) {
        pending = rx_exceptionForICUStatus(pattern, options, m_search->status());
        m_search.reset();
    }
}

} // namespace pairsift
