#include "support/regex/RegexEnumeration.h"

#include "support/regex/RXBlockEnumerationHelper.h"
#include "support/regex/RegexCollector.h"
#include "support/regex/RegexCore.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace pairsift {

namespace {

constexpr RXRegexEnumerationOptions AllEnumerationOptions = RXRegexEnumerationCapturedStringsNotRequired
    | RXRegexEnumerationReleaseStringReturnedByBlock | RXRegexEnumerationReusedCapturedStrings;

bool areValid(RXRegexEnumerationOptions options, RXBlockEnumerationOp blockOp)
{
    if ((options & ~AllEnumerationOptions) != 0)
        return false;
    if ((options & RXRegexEnumerationCapturedStringsNotRequired) && (options & RXRegexEnumerationReusedCapturedStrings))
        return false;
    return !((options & RXRegexEnumerationReleaseStringReturnedByBlock) && blockOp == RXBlockEnumerationMatchOp);
}

bool blockFits(RXBlockEnumerationOp blockOp, unsigned regexOp, const RegexMatchBlock* matchBlock,
               const RegexReplacementBlock* replacementBlock)
{
    if (blockOp == RXBlockEnumerationReplaceOp)
        return regexOp == RXCapturesArrayOp && replacementBlock && *replacementBlock;
    return (regexOp == RXCapturesArrayOp || regexOp == RXSplitOp) && matchBlock && *matchBlock;
}

// Hands out the ranges of one step at a time: a match with its captures, or a split piece with the
// separator's captures after it.
class EnumerationSteps {
public:
    EnumerationSteps(RegexSearch& search, unsigned regexOp, qint64 captureCount)
        : m_search(search), m_op(regexOp), m_captureCount(captureCount)
    {
        m_found.findInRange = search.textRange();
    }

    // False when no step is left or the engine failed.
    bool next(std::span<const RegexRange>& ranges)
    {
        if (m_op == RXSplitOp)
            return nextPiece(ranges);
        m_found.ranges.clear();
        m_found.matchLimit = 1;
        if (!rx_findRanges(m_search, m_op, m_found, m_captureCount) || m_found.ranges.isEmpty())
            return false;
        ranges = {m_found.ranges.constData(), static_cast<std::size_t>(m_found.ranges.size())};
        return true;
    }

private:
    // Whether an empty piece is trailing (and dropped) is known only at the end, so the pieces are collected
    // once, as splitting collects them, and handed out in steps: the block sees exactly what splitting returns.
    bool nextPiece(std::span<const RegexRange>& ranges)
    {
        if (!m_isCollected) {
            m_isCollected = true;
            m_found.matchLimit = std::numeric_limits<qint64>::max();
            if (!rx_findRanges(m_search, RXSplitOp, m_found, m_captureCount))
                return false;
        }
        const qsizetype left = m_found.ranges.size() - m_next;
        if (left <= 0)
            return false;
        // A trailing piece has no separator, so no captures follow it.
        const qsizetype size = std::min(static_cast<qsizetype>(m_captureCount + 1), left);
        ranges = {m_found.ranges.constData() + m_next, static_cast<std::size_t>(size)};
        m_next += size;
        return true;
    }

    RegexSearch& m_search;
    unsigned m_op;
    qint64 m_captureCount;
    RXFindAll m_found;
    qsizetype m_next = 0;
    bool m_isCollected = false;
};

// One string per range, in a container kept for the whole enumeration so that its room is reused.
void makeStrings(const QString& subject, std::span<const RegexRange> ranges, bool isReused,
                 std::vector<QString>& strings)
{
    strings.resize(ranges.size());
    for (std::size_t index = 0; index < ranges.size(); ++index) {
        const RegexRange range = ranges[index];
        strings[index] = isReused && range.length > 0
            ? QString::fromRawData(subject.constData() + range.location, static_cast<qsizetype>(range.length))
            : rx_substring(subject, range);
    }
}

QStringView between(const QString& subject, std::uint64_t from, std::uint64_t to)
{
    return QStringView(subject).sliced(static_cast<qsizetype>(from), static_cast<qsizetype>(to - from));
}

} // namespace

RXEnumerationOutcome rx_performEnumerationUsingBlock(const RegexCaller& caller, RXBlockEnumerationOp blockOp,
                                                     unsigned regexOp, const QString& pattern, RXRegexOptions options,
                                                     const QString& subject, RegexRange range, Error* error,
                                                     RXRegexEnumerationOptions enumerationOptions,
                                                     const RegexMatchBlock* matchBlock,
                                                     const RegexReplacementBlock* replacementBlock)
{
    if (error)
        *error = Error{};
    if (!areValid(enumerationOptions, blockOp))
        rx_raiseArgumentException(caller, RegexExceptionKind::InvalidArgument,
                                  QStringLiteral("The RXRegexEnumerationOptions argument is not valid."));
    rx_checkPatternAndSubject(caller, pattern, subject);
    RegexPending pending = rx_resolveRange(static_cast<std::uint64_t>(subject.size()), range);
    if (!isPending(pending) && !blockFits(blockOp, regexOp, matchBlock, replacementBlock))
        pending = rx_makeAssertDictionary(QStringLiteral("Unknown blockEnumerationOp code."));
    if (isPending(pending))
        rx_raisePendingException(caller, pending);

    RXEnumerationOutcome outcome;
    RXBlockEnumerationHelper helper(pattern, options, subject, range, error, pending);
    if (isPending(pending))
        rx_raisePendingException(caller, pending);
    if (!helper)
        return outcome;

    const bool isReplacement = blockOp == RXBlockEnumerationReplaceOp;
    const bool wantsStrings = !(enumerationOptions & RXRegexEnumerationCapturedStringsNotRequired);
    const bool isReused = enumerationOptions & RXRegexEnumerationReusedCapturedStrings;
    const QString& text = helper.subject();
    EnumerationSteps steps(helper.search(), regexOp, helper.captureCount());
    std::vector<QString> strings;
    QString replaced;
    std::uint64_t copiedTo = range.location;
    qint64 count = 0;
    bool stop = false;
    std::span<const RegexRange> ranges;
    while (!stop && steps.next(ranges)) {
        const RegexRange first = ranges.front();
        if (!first.isFound() || first.location < copiedTo || first.end() > range.end()) {
            pending = rx_makeAssertDictionary(
                QStringLiteral("Invalid parameter not satisfying: NSMaxRange(capturedRanges[0]) <= NSMaxRange(range)"));
            break;
        }
        if (wantsStrings)
            makeStrings(text, ranges, isReused, strings);
        const std::span<const QString> capturedStrings =
            wantsStrings ? std::span<const QString>(strings) : std::span<const QString>();
        if (isReplacement) {
            replaced.append(between(text, copiedTo, first.location));
            replaced.append((*replacementBlock)(capturedStrings, ranges, stop));
            copiedTo = first.end();
        } else {
            (*matchBlock)(capturedStrings, ranges, stop);
        }
        ++count;
    }
    if (isPending(pending))
        rx_raisePendingException(caller, pending);

    const RegexSearch& search = helper.search();
    if (search.hasFailed()) {
        if (error && error->domain.isEmpty()) {
            RegexErrorContext context;
            context.pattern = pattern;
            context.options = options;
            context.status = search.status();
            context.subject = subject;
            context.range = range;
            context.enumerationOptions = enumerationOptions;
            if (isReplacement)
                context.replacedCount = count;
            rx_setError(error, search.status(),
                        rx_makeErrorUserInfo(context, {{RegexErrorKey::Description.toString(),
                                                        QStringLiteral("An unexpected error occurred.")}}));
        }
        return outcome;
    }
    outcome.isComplete = true;
    outcome.count = count;
    if (isReplacement) {
        if (count == 0) {
            outcome.replaced = rx_substring(text, range);
        } else {
            replaced.append(between(text, copiedTo, range.end()));
            // Every match deleted and nothing around them is "", not a failure.
            outcome.replaced = replaced.isNull() ? QStringLiteral("") : std::move(replaced);
        }
    }
    return outcome;
}

} // namespace pairsift
