#include "support/regex/RegexReplace.h"

#include "support/regex/RegexCollector.h"
#include "support/regex/RegexSearch.h"

#include <unicode/uregex.h>

#include <algorithm>
#include <limits>

namespace pairsift {

namespace {

constexpr std::uint64_t IntMax = std::numeric_limits<int32_t>::max();
// The engine counts in 32 bits: a result of this length or more cannot be written.
constexpr qint64 LongestReplacedExclusive = 0x7FFFFFFB;

struct ReplaceAllOutcome {
    qint64 written = 0;
    qint64 needed = 0; // summed in 64 bits: one call's length fits the engine, the total need not
    qint64 count = 0;
};

// A full destination is no failure: the engine goes on measuring, and the length needed decides a second pass.
void forgiveFullDestination(UErrorCode& status)
{
    if (status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING)
        status = U_ZERO_ERROR;
}

ReplaceAllOutcome rx_replaceAll(RegexSearch& search, const QString& replacement, QString& destination)
{
    URegularExpression* regex = search.regex();
    const auto* characters = reinterpret_cast<const UChar*>(replacement.constData());
    const auto length = static_cast<int32_t>(replacement.size());
    const auto capacity = static_cast<int32_t>(destination.size());
    auto* next = reinterpret_cast<UChar*>(destination.data());
    int32_t left = capacity;

    ReplaceAllOutcome outcome;
    UErrorCode status = U_ZERO_ERROR;
    uregex_reset(regex, 0, &status);
    if (status == U_INDEX_OUTOFBOUNDS_ERROR && search.textRange().length == 0)
        status = U_ZERO_ERROR;
    while (U_SUCCESS(status) && uregex_findNext(regex, &status)) {
        // Also copies the text between the previous match and this one.
        outcome.needed += uregex_appendReplacement(regex, characters, length, &next, &left, &status);
        ++outcome.count;
        forgiveFullDestination(status);
    }
    if (U_SUCCESS(status)) {
        outcome.needed += uregex_appendTail(regex, &next, &left, &status);
        forgiveFullDestination(status);
    }
    search.noteStatus(status);
    outcome.written = capacity - left;
    return outcome;
}

} // namespace

RegexPending rx_checkReplacementLimits(std::uint64_t rangeLength, std::uint64_t replacementLength)
{
    if (replacementLength >= IntMax || rangeLength / 2 + replacementLength * 2 >= IntMax)
        return RegexPendingException{RegexExceptionKind::Range,
                                     QStringLiteral("Replacement string length exceeds INT_MAX."),
                                     {}};
    return {};
}

RegexReplaced rx_replaceString(RegexSearch& search, const QString& subject, const QString& replacement,
                               bool isMutable, RegexPending& pending)
{
    const RegexRange range = search.textRange();
    RegexReplaced replaced{{}, -1, range};
    pending = rx_checkReplacementLimits(range.length, static_cast<std::uint64_t>(replacement.size()));
    if (isPending(pending))
        return replaced;

    const std::uint64_t firstCapacity =
        std::min(static_cast<std::uint64_t>(replacement.size()) * 2 + range.length + range.length / 2 + 16, IntMax - 1);
    QString destination(static_cast<qsizetype>(firstCapacity), Qt::Uninitialized);
    ReplaceAllOutcome outcome = rx_replaceAll(search, replacement, destination);
    if (search.hasFailed())
        return replaced;
    if (outcome.needed >= LongestReplacedExclusive) {
        pending = RegexPendingException{RegexExceptionKind::InternalInconsistency,
                                        QStringLiteral("Replaced string length exceeds INT_MAX."),
                                        {}};
        return replaced;
    }
    if (outcome.needed > outcome.written) {
        destination = QString(static_cast<qsizetype>(outcome.needed), Qt::Uninitialized);
        outcome = rx_replaceAll(search, replacement, destination);
        if (search.hasFailed())
            return replaced;
        if (outcome.written != outcome.needed) {
            pending = rx_makeAssertDictionary(
                QStringLiteral("Invalid parameter not satisfying: replacedLength == neededLength"));
            return replaced;
        }
    }
    replaced.count = outcome.count;
    if (outcome.count == 0)
        replaced.string = isMutable ? QString() : rx_substring(subject, range);
    else if (outcome.written == 0)
        replaced.string = QStringLiteral("");
    else {
        destination.truncate(static_cast<qsizetype>(outcome.written));
        replaced.string = std::move(destination);
    }
    return replaced;
}

} // namespace pairsift
