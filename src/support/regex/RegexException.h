#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <exception>
#include <utility>

namespace pairsift {

// The error domain and user-information keys of the regular-expression layer. Error codes are the engine's
// status values: errors above zero, warnings below.
inline constexpr QStringView RegexErrorDomain = u"RXICURegexErrorDomain";

namespace RegexErrorKey {
inline constexpr QStringView Regex = u"RXICURegexRegex";
inline constexpr QStringView RegexOptions = u"RXICURegexRegexOptions";
inline constexpr QStringView ErrorCode = u"RXICURegexErrorCode";
inline constexpr QStringView ErrorName = u"RXICURegexErrorName";
inline constexpr QStringView SubjectString = u"RXICURegexSubjectString";
inline constexpr QStringView SubjectRange = u"RXICURegexSubjectRange";
inline constexpr QStringView ReplacementString = u"RXICURegexReplacementString";
inline constexpr QStringView ReplacedString = u"RXICURegexReplacedString";
inline constexpr QStringView ReplacedCount = u"RXICURegexReplacedCount";
inline constexpr QStringView EnumerationOptions = u"RXICURegexEnumerationOptions";
inline constexpr QStringView Line = u"RXICURegexLine";
inline constexpr QStringView Offset = u"RXICURegexOffset";
inline constexpr QStringView PreContext = u"RXICURegexPreContext";
inline constexpr QStringView PostContext = u"RXICURegexPostContext";
inline constexpr QStringView FailureReason = u"NSLocalizedFailureReason";
inline constexpr QStringView Description = u"NSLocalizedDescription";
} // namespace RegexErrorKey

// Key and value pairs in the order they were added; a key is present only when it has a value.
using RegexUserInfo = QList<std::pair<QString, QVariant>>;

// The value stored under `key`, or an invalid QVariant.
QVariant regexUserInfoValue(const RegexUserInfo& userInfo, QStringView key);

enum class RegexExceptionKind { InvalidArgument, InternalInconsistency, Range, ICURegex };

// An exception of the regular-expression layer: a name ("NSInvalidArgumentException",
// "NSInternalInconsistencyException", "NSRangeException" or "RXICURegexException"), a reason and user info.
// Reasons of argument and engine failures start with "*** -[QString selector]: " (or "+[" for the
// operations on patterns alone); reasons of broken invariants are "Invalid parameter not satisfying: …".
class RegexException : public std::exception {
public:
    RegexException(RegexExceptionKind kind, QString reason, RegexUserInfo userInfo = {});

    RegexExceptionKind kind() const { return m_kind; }
    QString name() const;
    const QString& reason() const { return m_reason; }
    const RegexUserInfo& userInfo() const { return m_userInfo; }
    const char* what() const noexcept override { return m_what.constData(); }

    static QString nameOf(RegexExceptionKind kind);

private:
    RegexExceptionKind m_kind;
    QString m_reason;
    RegexUserInfo m_userInfo;
    QByteArray m_what;
};

class RegexInvalidArgumentException : public RegexException {
public:
    explicit RegexInvalidArgumentException(QString reason, RegexUserInfo userInfo = {})
        : RegexException(RegexExceptionKind::InvalidArgument, std::move(reason), std::move(userInfo)) {}
};

class RegexInternalInconsistencyException : public RegexException {
public:
    explicit RegexInternalInconsistencyException(QString reason, RegexUserInfo userInfo = {})
        : RegexException(RegexExceptionKind::InternalInconsistency, std::move(reason), std::move(userInfo)) {}
};

class RegexRangeException : public RegexException {
public:
    explicit RegexRangeException(QString reason, RegexUserInfo userInfo = {})
        : RegexException(RegexExceptionKind::Range, std::move(reason), std::move(userInfo)) {}
};

class RegexICUException : public RegexException {
public:
    explicit RegexICUException(QString reason, RegexUserInfo userInfo = {})
        : RegexException(RegexExceptionKind::ICURegex, std::move(reason), std::move(userInfo)) {}
};

// Throws the class that matches `kind`.
[[noreturn]] void throwRegexException(RegexExceptionKind kind, QString reason, RegexUserInfo userInfo = {});

} // namespace pairsift
