#include "support/regex/RegexErrorReporting.h"

#include "platform/Format.h"

#include <unicode/utypes.h>

namespace pairsift {

namespace {

const QString SourceFile = QStringLiteral("RegexCore");

void add(RegexUserInfo& userInfo, QStringView key, QVariant value)
{
    userInfo.append({key.toString(), std::move(value)});
}

// An enumeration hands its block texts that borrow the subject's buffer; an error kept after the
// enumeration must not point into it.
QString ownedText(const QString& text)
{
    return text.isNull() ? QString() : QString(text.constData(), text.size());
}

} // namespace

QString rx_errorName(int status)
{
    return QString::fromLatin1(u_errorName(static_cast<UErrorCode>(status)));
}

RegexUserInfo rx_makeErrorUserInfo(const RegexErrorContext& context, RegexUserInfo extra)
{
    namespace Key = RegexErrorKey;
    RegexUserInfo userInfo;
    const QString errorName = rx_errorName(context.status);
    add(userInfo, Key::Regex, context.pattern.isNull() ? QStringLiteral("<NULL regex>") : ownedText(context.pattern));
    add(userInfo, Key::RegexOptions, QVariant::fromValue<quint32>(context.options));
    add(userInfo, Key::ErrorCode, QVariant::fromValue<qint32>(context.status));
    add(userInfo, Key::ErrorName, errorName);
    if (!context.subject.isNull())
        add(userInfo, Key::SubjectString, ownedText(context.subject));
    if (context.range)
        add(userInfo, Key::SubjectRange, QVariant::fromValue(*context.range));
    if (!context.replacement.isNull())
        add(userInfo, Key::ReplacementString, ownedText(context.replacement));
    if (!context.replaced.isNull())
        add(userInfo, Key::ReplacedString, ownedText(context.replaced));
    if (context.replacedCount)
        add(userInfo, Key::ReplacedCount, QVariant::fromValue<qint64>(*context.replacedCount));
    if (context.enumerationOptions)
        add(userInfo, Key::EnumerationOptions, QVariant::fromValue<quint32>(*context.enumerationOptions));

    const RegexParseError* parseError = context.parseError;
    if (parseError && parseError->line != -1) {
        add(userInfo, Key::Line, parseError->line);
        add(userInfo, Key::Offset, parseError->offset);
        add(userInfo, Key::PreContext, parseError->preContext);
        add(userInfo, Key::PostContext, parseError->postContext);
        add(userInfo, Key::FailureReason,
            formatString("The error %@ occurred at line %d, column %d: %@<<HERE>>%@", errorName, parseError->line,
                         parseError->offset, parseError->preContext, parseError->postContext));
    } else {
        add(userInfo, Key::FailureReason, formatString("The error %@ occurred.", errorName));
    }
    userInfo.append(std::move(extra));
    return userInfo;
}

RegexPendingException rx_exceptionForICUStatus(const QString& pattern, RXRegexOptions options, int status)
{
    RegexErrorContext context;
    context.pattern = pattern;
    context.options = options;
    context.status = status;
    return {RegexExceptionKind::ICURegex,
            formatString("ICU regular expression error #%d, %s.", status, rx_errorName(status)),
            rx_makeErrorUserInfo(context)};
}

RegexAssertionRecord rx_makeAssertDictionary(const QString& description, std::source_location where)
{
    return {description, QString::fromUtf8(where.function_name()),
            SourceFile, static_cast<long>(where.line()),
            RegexException::nameOf(RegexExceptionKind::InternalInconsistency)};
}

QString rx_formatMethodReason(const RegexCaller& caller, const QString& message)
{
    const char* selector = caller.selector ? caller.selector : ":NULL:";
    return formatString("*** %@[%@ %@]: %@", caller.isClassMethod ? "+" : "-", "QString", selector, message);
}

void rx_raiseArgumentException(const RegexCaller& caller, RegexExceptionKind kind, const QString& message)
{
    throwRegexException(kind, rx_formatMethodReason(caller, message));
}

void rx_raisePendingException(const RegexCaller& caller, const RegexPending& pending)
{
    if (const auto* exception = std::get_if<RegexPendingException>(&pending))
        throwRegexException(exception->kind, rx_formatMethodReason(caller, exception->reason), exception->userInfo);
    const auto& record = std::get<RegexAssertionRecord>(pending);
    throw RegexInternalInconsistencyException(
        record.description,
        {{QStringLiteral("function"), record.function},
         {QStringLiteral("file"), record.file},
         {QStringLiteral("line"), QVariant::fromValue<qint64>(record.line)}});
}

void rx_setError(Error* error, int status, const RegexUserInfo& userInfo)
{
    setError(error, RegexErrorDomain.toString(), status,
             regexUserInfoValue(userInfo, RegexErrorKey::Description).toString(),
             regexUserInfoValue(userInfo, RegexErrorKey::FailureReason).toString());
}

} // namespace pairsift
