#include "support/regex/RegexCore.h"
#include "support/regex/RegexErrorReporting.h"
#include "support/regex/RegexOperations.h"

#include <gtest/gtest.h>

#include <unicode/utypes.h>

using namespace pairsift;

namespace {

QStringList keysOf(const RegexUserInfo& userInfo)
{
    QStringList keys;
    for (const auto& entry : userInfo)
        keys.append(entry.first);
    return keys;
}

} // namespace

TEST(RegexErrors, compileErrorOfALoneParenthesis)
{
    Error error;
    EXPECT_EQ(captureCountForRegex("(", 0, &error), -1);
    EXPECT_EQ(error.domain, "RXICURegexErrorDomain");
    EXPECT_EQ(error.code, U_REGEX_MISMATCHED_PAREN);
    EXPECT_EQ(error.description, "There was an error compiling the regular expression.");
    EXPECT_EQ(error.underlyingMessage, "The error U_REGEX_MISMATCHED_PAREN occurred at line 1, column 1: (<<HERE>>");
}

TEST(RegexErrors, userInfoKeysInOrder)
{
    const RegexParseError parseError{1, 1, "(", ""};
    RegexErrorContext context;
    context.pattern = "(";
    context.options = 8;
    context.parseError = &parseError;
    context.status = U_REGEX_MISMATCHED_PAREN;
    const RegexUserInfo compile = rx_makeErrorUserInfo(context, {{"NSLocalizedDescription", "d"}});
    EXPECT_EQ(keysOf(compile),
              (QStringList{"RXICURegexRegex", "RXICURegexRegexOptions", "RXICURegexErrorCode", "RXICURegexErrorName",
                           "RXICURegexLine", "RXICURegexOffset", "RXICURegexPreContext", "RXICURegexPostContext",
                           "NSLocalizedFailureReason", "NSLocalizedDescription"}));
    EXPECT_EQ(regexUserInfoValue(compile, RegexErrorKey::RegexOptions).toUInt(), 8u);
    EXPECT_EQ(regexUserInfoValue(compile, RegexErrorKey::ErrorName).toString(), "U_REGEX_MISMATCHED_PAREN");

    RegexErrorContext matching;
    matching.status = U_REGEX_STACK_OVERFLOW;
    matching.subject = "abc";
    matching.range = RegexRange{0, 3};
    matching.replacedCount = 2;
    const RegexUserInfo info = rx_makeErrorUserInfo(matching);
    EXPECT_EQ(keysOf(info), (QStringList{"RXICURegexRegex", "RXICURegexRegexOptions", "RXICURegexErrorCode",
                                         "RXICURegexErrorName", "RXICURegexSubjectString", "RXICURegexSubjectRange",
                                         "RXICURegexReplacedCount", "NSLocalizedFailureReason"}));
    EXPECT_EQ(regexUserInfoValue(info, RegexErrorKey::Regex).toString(), "<NULL regex>");
    EXPECT_EQ(regexUserInfoValue(info, RegexErrorKey::SubjectRange).value<RegexRange>(), (RegexRange{0, 3}));
    EXPECT_EQ(regexUserInfoValue(info, RegexErrorKey::FailureReason).toString(),
              "The error U_REGEX_STACK_OVERFLOW occurred.");
}

TEST(RegexErrors, borrowedTextsAreCopiedIntoTheUserInfo)
{
    QChar pattern[] = {u'('};
    QChar subject[] = {u'x', u'y'};
    RegexErrorContext context;
    context.pattern = QString::fromRawData(pattern, 1);
    context.subject = QString::fromRawData(subject, 2);
    const RegexUserInfo info = rx_makeErrorUserInfo(context);
    // The enumeration that lent the buffers moves on to its next piece.
    pattern[0] = u'[';
    subject[0] = u'z';
    EXPECT_EQ(regexUserInfoValue(info, RegexErrorKey::Regex).toString(), "(");
    EXPECT_EQ(regexUserInfoValue(info, RegexErrorKey::SubjectString).toString(), "xy");
}

TEST(RegexErrors, argumentFailuresCarryTheMethodPrefixOnce)
{
    struct Case {
        std::function<void()> call;
        QString name;
        QString reason;
    };
    const Case cases[] = {
        {[] { rangeOfRegex("abc", "b", RegexRange{1, 3}); }, "NSRangeException",
         "*** -[QString rangeOfRegex:inRange:]: Range or index out of bounds."},
        {[] { captureCountForRegex(QString()); }, "NSInvalidArgumentException",
         "*** +[QString captureCountForRegex:]: The regular expression argument is NULL."},
        {[] { captureCount(QString()); }, "NSInvalidArgumentException",
         "*** -[QString captureCount]: The regular expression argument is NULL."},
        {[] { stringByMatching(QString(), "a"); }, "NSInternalInconsistencyException",
         "*** -[QString stringByMatching:]: The match string argument is NULL."},
        {[] { componentsSeparatedByRegex("abc", QString()); }, "NSInvalidArgumentException",
         "*** -[QString componentsSeparatedByRegex:]: The regular expression argument is NULL."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        try {
            c.call();
            ADD_FAILURE() << "no exception";
        } catch (const RegexException& exception) {
            EXPECT_EQ(exception.name(), c.name);
            EXPECT_EQ(exception.reason(), c.reason);
            EXPECT_STREQ(exception.what(), c.reason.toUtf8().constData());
        }
    }
}

TEST(RegexErrors, engineFailureWhileMatchingThrowsAfterHandingThePatternBack)
{
    static const QString pattern = QStringLiteral("(a|b)*c");
    const QString subject(2000000, QLatin1Char('a'));
    for (int call = 0; call < 2; ++call) {
        try {
            isMatchedByRegex(subject, pattern);
            ADD_FAILURE() << "no exception";
        } catch (const RegexICUException& exception) {
            EXPECT_EQ(exception.name(), "RXICURegexException");
            EXPECT_EQ(exception.reason(), QStringLiteral("*** -[QString isMatchedByRegex:]: ICU regular expression "
                                                         "error #%1, U_REGEX_STACK_OVERFLOW.")
                                              .arg(int(U_REGEX_STACK_OVERFLOW)));
            EXPECT_EQ(regexUserInfoValue(exception.userInfo(), RegexErrorKey::Regex).toString(), pattern);
            EXPECT_FALSE(regexUserInfoValue(exception.userInfo(), RegexErrorKey::SubjectString).isValid());
        }
    }
    EXPECT_TRUE(isMatchedByRegex("abc", pattern));
}

TEST(RegexErrors, unknownOperationCodeIsABrokenInvariant)
{
    try {
        rx_performRegexOp({false, "test:"}, 9, "a", 0, 0, "abc", RegexRange::wholeString(), nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const RegexInternalInconsistencyException& exception) {
        EXPECT_EQ(exception.reason(), "Unknown regexOp code.");
        EXPECT_EQ(regexUserInfoValue(exception.userInfo(), u"file").toString(), "RegexCore");
        EXPECT_TRUE(regexUserInfoValue(exception.userInfo(), u"function").toString().contains("dispatch"));
    }
}

TEST(RegexErrors, methodReasonWithoutSelector)
{
    EXPECT_EQ(rx_formatMethodReason({true, nullptr}, "m"), "*** +[QString :NULL:]: m");
}
