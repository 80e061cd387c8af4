#include "support/regex/RegexException.h"

namespace pairsift {

QVariant regexUserInfoValue(const RegexUserInfo& userInfo, QStringView key)
{
    for (const auto& [entryKey, value] : userInfo) {
        if (entryKey == key)
            return value;
    }
    return {};
}

RegexException::RegexException(RegexExceptionKind kind, QString reason, RegexUserInfo userInfo)
    : m_kind(kind), m_reason(std::move(reason)), m_userInfo(std::move(userInfo)), m_what(m_reason.toUtf8())
{
}

QString RegexException::name() const
{
    return nameOf(m_kind);
}

QString RegexException::nameOf(RegexExceptionKind kind)
{
    switch (kind) {
    case RegexExceptionKind::InvalidArgument:
        return QStringLiteral("NSInvalidArgumentException");
    case RegexExceptionKind::InternalInconsistency:
        return QStringLiteral("NSInternalInconsistencyException");
    case RegexExceptionKind::Range:
        return QStringLiteral("NSRangeException");
    case RegexExceptionKind::ICURegex:
        return QStringLiteral("RXICURegexException");
    }
    return {};
}

void throwRegexException(RegexExceptionKind kind, QString reason, RegexUserInfo userInfo)
{
    switch (kind) {
    case RegexExceptionKind::InvalidArgument:
        throw RegexInvalidArgumentException(std::move(reason), std::move(userInfo));
    case RegexExceptionKind::InternalInconsistency:
        throw RegexInternalInconsistencyException(std::move(reason), std::move(userInfo));
    case RegexExceptionKind::Range:
        throw RegexRangeException(std::move(reason), std::move(userInfo));
    case RegexExceptionKind::ICURegex:
        throw RegexICUException(std::move(reason), std::move(userInfo));
    }
    throw RegexException(kind, std::move(reason), std::move(userInfo));
}

} // namespace pairsift
