#include "support/regex/RegexCore.h"

#include "platform/Format.h"
#include "support/regex/RegexCache.h"
#include "support/regex/RegexCollector.h"
#include "support/regex/RegexReplace.h"
#include "support/regex/RegexSearch.h"

#include <limits>

namespace pairsift {

namespace {

constexpr std::uint64_t LongestSubject = std::numeric_limits<int32_t>::max() - 1;

RegexPendingException failure(RegexExceptionKind kind, QString reason)
{
    return {kind, std::move(reason), {}};
}

bool isDictionaryOp(unsigned code)
{
    return code == RXCaptureDictionaryOp || code == RXCaptureDictionariesOp;
}

RegexPending checkCaptures(unsigned code, qint64 capture, const RegexKeysAndCaptures* keysAndCaptures,
                           qint64 captureCount)
{
    if ((code == RXFirstMatchRangeOp || code == RXMatchedStringsOp) && (capture < 0 || capture > captureCount))
        return failure(RegexExceptionKind::InvalidArgument, QStringLiteral("The capture argument is not valid."));
    if (!isDictionaryOp(code))
        return {};
    const auto count = static_cast<unsigned long>(keysAndCaptures->size());
    for (unsigned long index = 0; index < count; ++index) {
        const auto& [key, keyCapture] = (*keysAndCaptures)[static_cast<qsizetype>(index)];
        if (key.isNull())
            return failure(RegexExceptionKind::InvalidArgument,
                           formatString("The capture key (key %lu of %lu) is NULL.", index + 1, count));
        if (keyCapture < 0 || keyCapture > captureCount)
            return failure(RegexExceptionKind::InvalidArgument,
                           formatString("The capture argument %d (capture %lu of %lu) for key '%@' is not valid.",
                                        keyCapture, index + 1, count, key));
    }
    return {};
}

RegexRange firstMatchRange(RegexSearch& search, qint64 capture)
{
    if (!search.findNext())
        return RegexRange::notFound();
    return capture == 0 ? search.matchRange() : search.captureRange(static_cast<int>(capture));
}

RegexOpResult dispatch(unsigned op, RegexSearch& search, const QString& subject, qint64 capture, qint64 captureCount,
                       const RegexKeysAndCaptures* keysAndCaptures, const QString* replacement, RegexPending& pending)
{
    const unsigned code = op & RXOpCodeMask;
    switch (code) {
    case RXReplaceAllOp:
        return rx_replaceString(search, subject, *replacement, (op & RXOpMutableFlag) != 0, pending);
    case RXFirstMatchRangeOp:
        return firstMatchRange(search, capture);
    case RXSplitOp:
    case RXMatchedStringsOp:
    case RXAllCapturesOp:
    case RXCapturesArrayOp:
    case RXCaptureDictionaryOp:
    case RXCaptureDictionariesOp: {
        RXFindAll findAll;
        findAll.findInRange = search.textRange();
        const bool isFirstMatchOnly = code == RXCapturesArrayOp || code == RXCaptureDictionaryOp;
        findAll.matchLimit = isFirstMatchOnly ? 1 : std::numeric_limits<qint64>::max();
        findAll.capture = capture;
        if (!rx_findRanges(search, op, findAll, captureCount))
            return {};
        if (isDictionaryOp(code))
            return rx_makeDictionary(subject, op, findAll, captureCount, *keysAndCaptures);
        return rx_makeArray(subject, op, findAll, captureCount);
    }
    default:
        pending = rx_makeAssertDictionary(QStringLiteral("Unknown regexOp code."));
        return {};
    }
}

bool isNothing(const RegexOpResult& result)
{
    if (const auto* replaced = std::get_if<RegexReplaced>(&result))
        return replaced->string.isNull();
    const auto* range = std::get_if<RegexRange>(&result);
    return range ? !range->isFound() : std::holds_alternative<std::monostate>(result);
}

} // namespace

void rx_checkPatternAndSubject(const RegexCaller& caller, const QString& pattern, const QString& subject)
{
    if (pattern.isNull())
        rx_raiseArgumentException(caller, RegexExceptionKind::InvalidArgument,
                                  QStringLiteral("The regular expression argument is NULL."));
    if (subject.isNull())
        rx_raiseArgumentException(caller, RegexExceptionKind::InternalInconsistency,
                                  QStringLiteral("The match string argument is NULL."));
}

RegexPending rx_resolveRange(std::uint64_t subjectLength, RegexRange& range)
{
    if (range.location > subjectLength
        || (range.length != RegexRange::ToEnd && range.length > subjectLength - range.location))
        return failure(RegexExceptionKind::Range, QStringLiteral("Range or index out of bounds."));
    if (range.length == RegexRange::ToEnd)
        range.length = subjectLength - range.location;
    if (subjectLength > LongestSubject)
        return failure(RegexExceptionKind::Range, QStringLiteral("String length exceeds INT_MAX."));
    return {};
}

void rx_replaceRange(QString& receiver, RegexRange range, const QString& replaced)
{
    receiver.replace(static_cast<qsizetype>(range.location), static_cast<qsizetype>(range.length), replaced);
}

RegexOpResult rx_performRegexOp(const RegexCaller& caller, unsigned op, const QString& pattern, RXRegexOptions options,
                                qint64 capture, const QString& subject, RegexRange range, Error* error,
                                const RegexKeysAndCaptures* keysAndCaptures, const QString* replacement)
{
    if (error)
        *error = Error{};
    rx_checkPatternAndSubject(caller, pattern, subject);
    const bool isReplacement = (op & RXOpCodeMask) == RXReplaceAllOp;
    if (isReplacement && (!replacement || replacement->isNull()))
        rx_raiseArgumentException(caller, RegexExceptionKind::InvalidArgument,
                                  QStringLiteral("The replacement string argument is NULL."));
    if (isDictionaryOp(op & RXOpCodeMask) && !keysAndCaptures)
        rx_raiseArgumentException(caller, RegexExceptionKind::InvalidArgument,
                                  QStringLiteral("The keys argument is NULL."));

    RegexPending pending;
    RegexOpResult result;
    int status = 0;
    {
        const RegexLease lease = RegexCache::shared().lease(pattern, options, error, pending);
        if (!isPending(pending))
            pending = rx_resolveRange(static_cast<std::uint64_t>(subject.size()), range);
        if (!isPending(pending) && lease)
            pending = checkCaptures(op & RXOpCodeMask, capture, keysAndCaptures, lease.captureCount());
        if (!isPending(pending) && lease) {
            RegexSearch search(lease.regex(), subject, range);
            result = dispatch(op, search, subject, capture, lease.captureCount(), keysAndCaptures, replacement,
                              pending);
            status = search.status();
        }
    }
    if (status > 0 && !isPending(pending))
        pending = rx_exceptionForICUStatus(pattern, options, status);
    if (isPending(pending))
        rx_raisePendingException(caller, pending);

    if (error && status < 0 && isNothing(result)) {
        RegexErrorContext context;
        context.pattern = pattern;
        context.options = options;
        context.status = status;
        context.subject = subject;
        context.range = range;
        if (const auto* replaced = std::get_if<RegexReplaced>(&result)) {
            context.replacement = *replacement;
            context.replacedCount = replaced->count;
        }
        rx_setError(error, status,
                    rx_makeErrorUserInfo(context, {{RegexErrorKey::Description.toString(),
                                                    QStringLiteral("The ICU library returned an unexpected error.")}}));
    }
    return result;
}

qint64 rx_captureCount(const RegexCaller& caller, const QString& pattern, RXRegexOptions options, Error* error)
{
    if (error)
        *error = Error{};
    if (pattern.isNull())
        rx_raiseArgumentException(caller, RegexExceptionKind::InvalidArgument,
                                  QStringLiteral("The regular expression argument is NULL."));
    RegexPending pending;
    const qint64 count = RegexCache::shared().captureCount(pattern, options, error, pending);
    if (isPending(pending))
        rx_raisePendingException(caller, pending);
    return count;
}

} // namespace pairsift
