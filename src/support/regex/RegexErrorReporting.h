#pragma once

#include "platform/Error.h"
#include "support/regex/RegexException.h"
#include "support/regex/RegexOptions.h"
#include "support/regex/RegexRange.h"

#include <QString>

#include <optional>
#include <source_location>
#include <variant>

namespace pairsift {

// Where a pattern failed to compile, as the engine reported it.
struct RegexParseError {
    int line = -1;
    int offset = -1;
    QString preContext;
    QString postContext;
};

// What the user info of an error or exception describes; a value that is absent is left out.
struct RegexErrorContext {
    QString pattern;
    RXRegexOptions options = 0;
    const RegexParseError* parseError = nullptr;
    int status = 0;
    QString subject;
    std::optional<RegexRange> range;
    QString replacement;
    QString replaced;
    std::optional<qint64> replacedCount;
    std::optional<quint32> enumerationOptions;
};

// The public operation on whose behalf an exception is raised: "-[QString selector]" or "+[QString selector]".
struct RegexCaller {
    bool isClassMethod = false;
    const char* selector = nullptr;
};

// A failure recorded while a cached expression is in use; raised only after it has been handed back.
struct RegexPendingException {
    RegexExceptionKind kind;
    QString reason; // without the method prefix
    RegexUserInfo userInfo;
};

// A broken internal invariant.
struct RegexAssertionRecord {
    QString description;
    QString function;
    QString file;
    long line = 0;
    QString exceptionName;
};

using RegexPending = std::variant<std::monostate, RegexPendingException, RegexAssertionRecord>;

inline bool isPending(const RegexPending& pending)
{
    return !std::holds_alternative<std::monostate>(pending);
}

// The engine's name of a status ("U_REGEX_MISMATCHED_PAREN").
QString rx_errorName(int status);

RegexUserInfo rx_makeErrorUserInfo(const RegexErrorContext& context, RegexUserInfo extra = {});

// The "RXICURegexException" for an engine failure while matching (no subject in its user info).
RegexPendingException rx_exceptionForICUStatus(const QString& pattern, RXRegexOptions options, int status);

// A broken invariant: `description` is the failure ("Unknown regexOp code.") or
// "Invalid parameter not satisfying: <condition>".
RegexAssertionRecord rx_makeAssertDictionary(const QString& description,
                                             std::source_location where = std::source_location::current());

// "*** -[QString selector]: message"
QString rx_formatMethodReason(const RegexCaller& caller, const QString& message);

// Raises an argument failure found before anything was looked up.
[[noreturn]] void rx_raiseArgumentException(const RegexCaller& caller, RegexExceptionKind kind, const QString& message);

// Raises what an operation recorded, with the method prefix exactly once.
[[noreturn]] void rx_raisePendingException(const RegexCaller& caller, const RegexPending& pending);

// Fills `error` (when given) with the domain, the status and the user info's description and failure reason.
void rx_setError(Error* error, int status, const RegexUserInfo& userInfo);

} // namespace pairsift
