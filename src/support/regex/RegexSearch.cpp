#include "support/regex/RegexSearch.h"

#include <unicode/uregex.h>

namespace pairsift {

RegexSearch::RegexSearch(URegularExpression* regex, const QString& subject, RegexRange range)
    : m_regex(regex), m_setToRange(range)
{
    UErrorCode status = U_ZERO_ERROR;
    const auto* characters = reinterpret_cast<const UChar*>(subject.constData()) + range.location;
    // Setting the text also resets the matcher, so nothing of an earlier operation survives.
    uregex_setText(m_regex, characters, static_cast<int32_t>(range.length), &status);
    noteStatus(status);
}

bool RegexSearch::noteStatus(int engineStatus)
{
    if (engineStatus > 0) {
        if (m_status <= 0)
            m_status = engineStatus;
        return false;
    }
    if (engineStatus < 0 && m_status == 0)
        m_status = engineStatus;
    return !hasFailed();
}

bool RegexSearch::findNext()
{
    m_lastMatchRange = RegexRange::notFound();
    if (hasFailed())
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const bool found = uregex_findNext(m_regex, &status);
    if (!noteStatus(status) || !found)
        return false;
    const int32_t start = uregex_start(m_regex, 0, &status);
    const int32_t end = uregex_end(m_regex, 0, &status);
    if (!noteStatus(status))
        return false;
    m_lastMatchRange = {m_setToRange.location + static_cast<std::uint64_t>(start),
                        static_cast<std::uint64_t>(end - start)};
    return true;
}

RegexRange RegexSearch::captureRange(int group)
{
    UErrorCode status = U_ZERO_ERROR;
    const int32_t start = uregex_start(m_regex, group, &status);
    if (!noteStatus(status) || start < 0)
        return RegexRange::notFound();
    const int32_t end = uregex_end(m_regex, group, &status);
    if (!noteStatus(status))
        return RegexRange::notFound();
    return {m_setToRange.location + static_cast<std::uint64_t>(start), static_cast<std::uint64_t>(end - start)};
}

} // namespace pairsift
