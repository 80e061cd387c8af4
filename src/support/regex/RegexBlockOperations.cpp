#include "support/regex/RegexBlockOperations.h"

#include "support/regex/RegexCore.h"
#include "support/regex/RegexEnumeration.h"

namespace pairsift {

namespace {

constexpr RegexCaller method(const char* selector)
{
    return {false, selector};
}

bool enumerate(const RegexCaller& caller, unsigned regexOp, const QString& subject, const QString& pattern,
               RXRegexOptions options, RegexRange range, Error* error, RXRegexEnumerationOptions enumerationOptions,
               const RegexMatchBlock& block)
{
    return rx_performEnumerationUsingBlock(caller, RXBlockEnumerationMatchOp, regexOp, pattern, options, subject,
                                           range, error, enumerationOptions, &block, nullptr)
        .isComplete;
}

RXEnumerationOutcome replace(const RegexCaller& caller, const QString& subject, const QString& pattern,
                             RXRegexOptions options, RegexRange range, Error* error,
                             RXRegexEnumerationOptions enumerationOptions, const RegexReplacementBlock& block)
{
    return rx_performEnumerationUsingBlock(caller, RXBlockEnumerationReplaceOp, RXCapturesArrayOp, pattern, options,
                                           subject, range, error, enumerationOptions, nullptr, &block);
}

qint64 replaceInPlace(const RegexCaller& caller, QString& receiver, const QString& pattern, RXRegexOptions options,
                      RegexRange range, Error* error, RXRegexEnumerationOptions enumerationOptions,
                      const RegexReplacementBlock& block)
{
    const RXEnumerationOutcome outcome =
        replace(caller, receiver, pattern, options, range, error, enumerationOptions, block);
    if (!outcome.isComplete || outcome.count == 0)
        return outcome.count;
    // The range is taken on the receiver as it is now, which the block may have changed: the whole string
    // means its current length, and the new text replaces whatever the block left there.
    RegexRange now = range;
    if (isPending(rx_resolveRange(static_cast<std::uint64_t>(receiver.size()), now)))
        rx_raiseArgumentException(caller, RegexExceptionKind::Range, QStringLiteral("Range or index out of bounds."));
    rx_replaceRange(receiver, now, outcome.replaced);
    return outcome.count;
}

} // namespace

bool enumerateStringsMatchedByRegex(const QString& subject, const QString& pattern, const RegexMatchBlock& block)
{
    return enumerate(method("enumerateStringsMatchedByRegex:usingBlock:"), RXCapturesArrayOp, subject, pattern, 0,
                     RegexRange::wholeString(), nullptr, RXRegexEnumerationNoOptions, block);
}

bool enumerateStringsMatchedByRegex(const QString& subject, const QString& pattern, RXRegexOptions options,
                                    RegexRange range, Error* error, RXRegexEnumerationOptions enumerationOptions,
                                    const RegexMatchBlock& block)
{
    return enumerate(method("enumerateStringsMatchedByRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                     RXCapturesArrayOp, subject, pattern, options, range, error, enumerationOptions, block);
}

bool enumerateStringsSeparatedByRegex(const QString& subject, const QString& pattern, const RegexMatchBlock& block)
{
    return enumerate(method("enumerateStringsSeparatedByRegex:usingBlock:"), RXSplitOp, subject, pattern, 0,
                     RegexRange::wholeString(), nullptr, RXRegexEnumerationNoOptions, block);
}

bool enumerateStringsSeparatedByRegex(const QString& subject, const QString& pattern, RXRegexOptions options,
                                      RegexRange range, Error* error, RXRegexEnumerationOptions enumerationOptions,
                                      const RegexMatchBlock& block)
{
    return enumerate(method("enumerateStringsSeparatedByRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                     RXSplitOp, subject, pattern, options, range, error, enumerationOptions, block);
}

QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern,
                                            const RegexReplacementBlock& block)
{
    return replace(method("stringByReplacingOccurrencesOfRegex:usingBlock:"), subject, pattern, 0,
                   RegexRange::wholeString(), nullptr, RXRegexEnumerationNoOptions, block)
        .replaced;
}

QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, RXRegexOptions options,
                                            RegexRange range, Error* error,
                                            RXRegexEnumerationOptions enumerationOptions,
                                            const RegexReplacementBlock& block)
{
    return replace(method("stringByReplacingOccurrencesOfRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                   subject, pattern, options, range, error, enumerationOptions, block)
        .replaced;
}

qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const RegexReplacementBlock& block)
{
    return replaceInPlace(method("replaceOccurrencesOfRegex:usingBlock:"), receiver, pattern, 0,
                          RegexRange::wholeString(), nullptr, RXRegexEnumerationNoOptions, block);
}

qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, RXRegexOptions options, RegexRange range,
                                 Error* error, RXRegexEnumerationOptions enumerationOptions,
                                 const RegexReplacementBlock& block)
{
    return replaceInPlace(method("replaceOccurrencesOfRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                          receiver, pattern, options, range, error, enumerationOptions, block);
}

} // namespace pairsift
