#include "support/regex/RegexOperations.h"

#include "support/regex/RegexCache.h"
#include "support/regex/RegexCollector.h"
#include "support/regex/RegexCore.h"

namespace pairsift {

namespace {

constexpr RegexCaller method(const char* selector)
{
    return {false, selector};
}

constexpr RegexCaller classMethod(const char* selector)
{
    return {true, selector};
}

RegexRange firstMatch(const RegexCaller& caller, const QString& subject, const QString& pattern,
                      RXRegexOptions options, RegexRange range, qint64 capture, Error* error)
{
    const RegexOpResult result =
        rx_performRegexOp(caller, RXFirstMatchRangeOp, pattern, options, capture, subject, range, error);
    const auto* found = std::get_if<RegexRange>(&result);
    return found ? *found : RegexRange::notFound();
}

QString matchedText(const RegexCaller& caller, const QString& subject, const QString& pattern, RXRegexOptions options,
                    RegexRange range, qint64 capture, Error* error)
{
    const RegexRange found = firstMatch(caller, subject, pattern, options, range, capture, error);
    return found.isFound() ? rx_substring(subject, found) : QString();
}

template <typename Result>
std::optional<Result> collect(const RegexCaller& caller, unsigned op, const QString& subject, const QString& pattern,
                              RXRegexOptions options, RegexRange range, qint64 capture, Error* error,
                              const RegexKeysAndCaptures* keysAndCaptures = nullptr)
{
    RegexOpResult result =
        rx_performRegexOp(caller, op, pattern, options, capture, subject, range, error, keysAndCaptures);
    if (auto* collected = std::get_if<Result>(&result))
        return std::move(*collected);
    return std::nullopt;
}

RegexReplaced replaceAll(const RegexCaller& caller, unsigned op, const QString& subject, const QString& pattern,
                         const QString& replacement, RXRegexOptions options, RegexRange range, Error* error)
{
    RegexOpResult result =
        rx_performRegexOp(caller, op, pattern, options, 0, subject, range, error, nullptr, &replacement);
    if (auto* replaced = std::get_if<RegexReplaced>(&result))
        return std::move(*replaced);
    return {};
}

qint64 replaceInPlace(const RegexCaller& caller, QString& receiver, const QString& pattern,
                      const QString& replacement, RXRegexOptions options, RegexRange range, Error* error)
{
    const RegexReplaced replaced =
        replaceAll(caller, RXReplaceAllOp | RXOpMutableFlag, receiver, pattern, replacement, options, range, error);
    if (replaced.count > 0)
        rx_replaceRange(receiver, replaced.range, replaced.string);
    return replaced.count;
}

} // namespace

bool isMatchedByRegex(const QString& subject, const QString& pattern)
{
    return firstMatch(method("isMatchedByRegex:"), subject, pattern, 0, RegexRange::wholeString(), 0, nullptr)
        .isFound();
}

bool isMatchedByRegex(const QString& subject, const QString& pattern, RegexRange range)
{
    return firstMatch(method("isMatchedByRegex:inRange:"), subject, pattern, 0, range, 0, nullptr).isFound();
}

bool isMatchedByRegex(const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range,
                      Error* error)
{
    return firstMatch(method("isMatchedByRegex:options:inRange:error:"), subject, pattern, options, range, 0, error)
        .isFound();
}

RegexRange rangeOfRegex(const QString& subject, const QString& pattern)
{
    return firstMatch(method("rangeOfRegex:"), subject, pattern, 0, RegexRange::wholeString(), 0, nullptr);
}

RegexRange rangeOfRegex(const QString& subject, const QString& pattern, qint64 capture)
{
    return firstMatch(method("rangeOfRegex:capture:"), subject, pattern, 0, RegexRange::wholeString(), capture,
                      nullptr);
}

RegexRange rangeOfRegex(const QString& subject, const QString& pattern, RegexRange range)
{
    return firstMatch(method("rangeOfRegex:inRange:"), subject, pattern, 0, range, 0, nullptr);
}

RegexRange rangeOfRegex(const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range,
                        qint64 capture, Error* error)
{
    return firstMatch(method("rangeOfRegex:options:inRange:capture:error:"), subject, pattern, options, range,
                      capture, error);
}

QString stringByMatching(const QString& subject, const QString& pattern)
{
    return matchedText(method("stringByMatching:"), subject, pattern, 0, RegexRange::wholeString(), 0, nullptr);
}

QString stringByMatching(const QString& subject, const QString& pattern, qint64 capture)
{
    return matchedText(method("stringByMatching:capture:"), subject, pattern, 0, RegexRange::wholeString(), capture,
                       nullptr);
}

QString stringByMatching(const QString& subject, const QString& pattern, RegexRange range)
{
    return matchedText(method("stringByMatching:inRange:"), subject, pattern, 0, range, 0, nullptr);
}

QString stringByMatching(const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range,
                         qint64 capture, Error* error)
{
    return matchedText(method("stringByMatching:options:inRange:capture:error:"), subject, pattern, options, range,
                       capture, error);
}

qint64 captureCountForRegex(const QString& pattern)
{
    return rx_captureCount(classMethod("captureCountForRegex:"), pattern, 0, nullptr);
}

qint64 captureCountForRegex(const QString& pattern, RXRegexOptions options, Error* error)
{
    return rx_captureCount(classMethod("captureCountForRegex:options:error:"), pattern, options, error);
}

qint64 captureCount(const QString& pattern)
{
    return rx_captureCount(method("captureCount"), pattern, 0, nullptr);
}

qint64 captureCountWithOptions(const QString& pattern, RXRegexOptions options, Error* error)
{
    return rx_captureCount(method("captureCountWithOptions:error:"), pattern, options, error);
}

bool isRegexValid(const QString& pattern)
{
    return rx_captureCount(method("isRegexValid"), pattern, 0, nullptr) >= 0;
}

bool isRegexValidWithOptions(const QString& pattern, RXRegexOptions options, Error* error)
{
    return rx_captureCount(method("isRegexValidWithOptions:error:"), pattern, options, error) >= 0;
}

void clearStringCache()
{
    RegexCache::shared().clear();
}

std::optional<QStringList> componentsSeparatedByRegex(const QString& subject, const QString& pattern)
{
    return collect<QStringList>(method("componentsSeparatedByRegex:"), RXSplitOp, subject, pattern, 0,
                                RegexRange::wholeString(), 0, nullptr);
}

std::optional<QStringList> componentsSeparatedByRegex(const QString& subject, const QString& pattern, RegexRange range)
{
    return collect<QStringList>(method("componentsSeparatedByRegex:range:"), RXSplitOp, subject, pattern, 0, range, 0,
                                nullptr);
}

std::optional<QStringList> componentsSeparatedByRegex(const QString& subject, const QString& pattern,
                                                      RXRegexOptions options, RegexRange range, Error* error)
{
    return collect<QStringList>(method("componentsSeparatedByRegex:options:range:error:"), RXSplitOp, subject, pattern,
                                options, range, 0, error);
}

std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern)
{
    return collect<QStringList>(method("componentsMatchedByRegex:"), RXMatchedStringsOp, subject, pattern, 0,
                                RegexRange::wholeString(), 0, nullptr);
}

std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern, qint64 capture)
{
    return collect<QStringList>(method("componentsMatchedByRegex:capture:"), RXMatchedStringsOp, subject, pattern, 0,
                                RegexRange::wholeString(), capture, nullptr);
}

std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern, RegexRange range)
{
    return collect<QStringList>(method("componentsMatchedByRegex:range:"), RXMatchedStringsOp, subject, pattern, 0,
                                range, 0, nullptr);
}

std::optional<QStringList> componentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                    RXRegexOptions options, RegexRange range, qint64 capture,
                                                    Error* error)
{
    return collect<QStringList>(method("componentsMatchedByRegex:options:range:capture:error:"), RXMatchedStringsOp,
                                subject, pattern, options, range, capture, error);
}

std::optional<QStringList> captureComponentsMatchedByRegex(const QString& subject, const QString& pattern)
{
    return collect<QStringList>(method("captureComponentsMatchedByRegex:"), RXCapturesArrayOp, subject, pattern, 0,
                                RegexRange::wholeString(), 0, nullptr);
}

std::optional<QStringList> captureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                           RegexRange range)
{
    return collect<QStringList>(method("captureComponentsMatchedByRegex:range:"), RXCapturesArrayOp, subject, pattern,
                                0, range, 0, nullptr);
}

std::optional<QStringList> captureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                           RXRegexOptions options, RegexRange range, Error* error)
{
    return collect<QStringList>(method("captureComponentsMatchedByRegex:options:range:error:"), RXCapturesArrayOp,
                                subject, pattern, options, range, 0, error);
}

namespace {
constexpr unsigned CapturesOfAllMatches = RXAllCapturesOp | RXOpNestedArraysFlag;
} // namespace

std::optional<QList<QStringList>> arrayOfCaptureComponentsMatchedByRegex(const QString& subject, const QString& pattern)
{
    return collect<QList<QStringList>>(method("arrayOfCaptureComponentsMatchedByRegex:"), CapturesOfAllMatches, subject,
                                       pattern, 0, RegexRange::wholeString(), 0, nullptr);
}

std::optional<QList<QStringList>> arrayOfCaptureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                                         RegexRange range)
{
    return collect<QList<QStringList>>(method("arrayOfCaptureComponentsMatchedByRegex:range:"), CapturesOfAllMatches,
                                       subject, pattern, 0, range, 0, nullptr);
}

std::optional<QList<QStringList>> arrayOfCaptureComponentsMatchedByRegex(const QString& subject, const QString& pattern,
                                                                         RXRegexOptions options, RegexRange range,
                                                                         Error* error)
{
    return collect<QList<QStringList>>(method("arrayOfCaptureComponentsMatchedByRegex:options:range:error:"),
                                       CapturesOfAllMatches, subject, pattern, options, range, 0, error);
}

std::optional<RegexCaptureDictionary> dictionaryByMatchingRegex(const QString& subject, const QString& pattern,
                                                                const RegexKeysAndCaptures& keysAndCaptures)
{
    return collect<RegexCaptureDictionary>(method("dictionaryByMatchingRegex:withKeysAndCaptures:"),
                                           RXCaptureDictionaryOp, subject, pattern, 0, RegexRange::wholeString(), 0,
                                           nullptr, &keysAndCaptures);
}

std::optional<RegexCaptureDictionary> dictionaryByMatchingRegex(const QString& subject, const QString& pattern,
                                                                RegexRange range,
                                                                const RegexKeysAndCaptures& keysAndCaptures)
{
    return collect<RegexCaptureDictionary>(method("dictionaryByMatchingRegex:range:withKeysAndCaptures:"),
                                           RXCaptureDictionaryOp, subject, pattern, 0, range, 0, nullptr,
                                           &keysAndCaptures);
}

std::optional<RegexCaptureDictionary> dictionaryByMatchingRegex(const QString& subject, const QString& pattern,
                                                                RXRegexOptions options, RegexRange range, Error* error,
                                                                const RegexKeysAndCaptures& keysAndCaptures)
{
    return collect<RegexCaptureDictionary>(method("dictionaryByMatchingRegex:options:range:error:withKeysAndCaptures:"),
                                           RXCaptureDictionaryOp, subject, pattern, options, range, 0, error,
                                           &keysAndCaptures);
}

std::optional<QList<RegexCaptureDictionary>> arrayOfDictionariesByMatchingRegex(
    const QString& subject, const QString& pattern, const RegexKeysAndCaptures& keysAndCaptures)
{
    return collect<QList<RegexCaptureDictionary>>(method("arrayOfDictionariesByMatchingRegex:withKeysAndCaptures:"),
                                                  RXCaptureDictionariesOp, subject, pattern, 0,
                                                  RegexRange::wholeString(), 0, nullptr, &keysAndCaptures);
}

std::optional<QList<RegexCaptureDictionary>> arrayOfDictionariesByMatchingRegex(
    const QString& subject, const QString& pattern, RegexRange range, const RegexKeysAndCaptures& keysAndCaptures)
{
    return collect<QList<RegexCaptureDictionary>>(
        method("arrayOfDictionariesByMatchingRegex:range:withKeysAndCaptures:"), RXCaptureDictionariesOp, subject,
        pattern, 0, range, 0, nullptr, &keysAndCaptures);
}

std::optional<QList<RegexCaptureDictionary>> arrayOfDictionariesByMatchingRegex(
    const QString& subject, const QString& pattern, RXRegexOptions options, RegexRange range, Error* error,
    const RegexKeysAndCaptures& keysAndCaptures)
{
    return collect<QList<RegexCaptureDictionary>>(
        method("arrayOfDictionariesByMatchingRegex:options:range:error:withKeysAndCaptures:"),
        RXCaptureDictionariesOp, subject, pattern, options, range, 0, error, &keysAndCaptures);
}

QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, const QString& replacement)
{
    return replaceAll(method("stringByReplacingOccurrencesOfRegex:withString:"), RXReplaceAllOp, subject, pattern,
                      replacement, 0, RegexRange::wholeString(), nullptr)
        .string;
}

QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, const QString& replacement,
                                            RegexRange range)
{
    return replaceAll(method("stringByReplacingOccurrencesOfRegex:withString:range:"), RXReplaceAllOp, subject,
                      pattern, replacement, 0, range, nullptr)
        .string;
}

QString stringByReplacingOccurrencesOfRegex(const QString& subject, const QString& pattern, const QString& replacement,
                                            RXRegexOptions options, RegexRange range, Error* error)
{
    return replaceAll(method("stringByReplacingOccurrencesOfRegex:withString:options:range:error:"), RXReplaceAllOp,
                      subject, pattern, replacement, options, range, error)
        .string;
}

qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const QString& replacement)
{
    return replaceInPlace(method("replaceOccurrencesOfRegex:withString:"), receiver, pattern, replacement, 0,
                          RegexRange::wholeString(), nullptr);
}

qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const QString& replacement,
                                 RegexRange range)
{
    return replaceInPlace(method("replaceOccurrencesOfRegex:withString:range:"), receiver, pattern, replacement, 0,
                          range, nullptr);
}

qint64 replaceOccurrencesOfRegex(QString& receiver, const QString& pattern, const QString& replacement,
                                 RXRegexOptions options, RegexRange range, Error* error)
{
    return replaceInPlace(method("replaceOccurrencesOfRegex:withString:options:range:error:"), receiver, pattern,
                          replacement, options, range, error);
}

} // namespace pairsift
