#include "platform/Format.h"

#include <cstring>
#include <cstdio>
#include <locale.h>
#include <string>

namespace pairsift {

std::int64_t FormatArgument::signedValue() const
{
    switch (m_kind) {
    case Kind::Signed: return m_signed;
    case Kind::Unsigned:
    case Kind::Pointer: return static_cast<std::int64_t>(m_unsigned);
    case Kind::Floating: return static_cast<std::int64_t>(m_floating);
    case Kind::Text: return m_text.toLongLong();
    }
    return 0;
}

std::uint64_t FormatArgument::unsignedValue() const
{
    switch (m_kind) {
    case Kind::Signed: return static_cast<std::uint64_t>(m_signed);
    case Kind::Unsigned:
    case Kind::Pointer: return m_unsigned;
    case Kind::Floating: return static_cast<std::uint64_t>(m_floating);
    case Kind::Text: return m_text.toULongLong();
    }
    return 0;
}

double FormatArgument::floatingValue() const
{
    switch (m_kind) {
    case Kind::Signed: return static_cast<double>(m_signed);
    case Kind::Unsigned:
    case Kind::Pointer: return static_cast<double>(m_unsigned);
    case Kind::Floating: return m_floating;
    case Kind::Text: return m_text.toDouble();
    }
    return 0.0;
}

namespace {

// Numbers are printed in the "C" locale whatever the process locale is, so "%1.2f" always gives "1.50".
class CLocaleScope {
public:
    CLocaleScope() : m_previous(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(m_previous); }

private:
    static locale_t cLocale()
    {
        static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        return locale;
    }
    locale_t m_previous;
};

struct Conversion {
    std::string flags;     // "-+ 0#"
    std::string width;     // digits
    std::string precision; // ".digits" or empty
    char specifier = 0;
};

bool isFlag(char c)
{
    return c == '-' || c == '+' || c == ' ' || c == '0' || c == '#';
}

bool isTextConversion(char c)
{
    return c == '@' || c == 's' || c == 'S' || c == 'c' || c == 'C';
}

bool isNumberConversion(char c)
{
    return c != 0 && std::strchr("diuxXopfFeEgGaA", c) != nullptr;
}

bool isLengthModifier(char c)
{
    return c == 'h' || c == 'l' || c == 'q' || c == 'L' || c == 'z' || c == 'j' || c == 't';
}

// Reads one conversion after '%'; returns the position after it, or the start when it is malformed.
const char* parseConversion(const char* cursor, Conversion& conversion)
{
    while (isFlag(*cursor))
        conversion.flags += *cursor++;
    while (*cursor >= '0' && *cursor <= '9')
        conversion.width += *cursor++;
    if (*cursor == '.') {
        conversion.precision += *cursor++;
        while (*cursor >= '0' && *cursor <= '9')
            conversion.precision += *cursor++;
    }
    while (isLengthModifier(*cursor))
        ++cursor;
    conversion.specifier = *cursor;
    return *cursor ? cursor + 1 : cursor;
}

QString printNumber(const Conversion& conversion, const FormatArgument& argument)
{
    std::string pattern = "%" + conversion.flags + conversion.width + conversion.precision;
    char buffer[512];
    CLocaleScope cLocale;
    switch (conversion.specifier) {
    case 'd':
    case 'i':
        pattern += "lld";
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), static_cast<long long>(argument.signedValue()));
        break;
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        pattern += "ll";
        pattern += conversion.specifier;
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), static_cast<unsigned long long>(argument.unsignedValue()));
        break;
    case 'p':
        std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(argument.unsignedValue()));
        break;
    default: // f F e E g G a A
        pattern += conversion.specifier;
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), argument.floatingValue());
        break;
    }
    return QString::fromLatin1(buffer);
}

QString printText(const Conversion& conversion, const FormatArgument& argument)
{
    QString text;
    if (argument.kind() == FormatArgument::Kind::Text)
        text = argument.text().isNull() ? QStringLiteral("(null)") : argument.text();
    else if (argument.kind() == FormatArgument::Kind::Floating)
        text = printNumber(Conversion{{}, {}, {}, 'g'}, argument);
    else if (argument.kind() == FormatArgument::Kind::Signed)
        text = QString::number(argument.signedValue());
    else
        text = QString::number(argument.unsignedValue());

    if (conversion.precision.size() > 1)
        text.truncate(std::stoi(conversion.precision.substr(1)));
    if (!conversion.width.empty()) {
        const int width = std::stoi(conversion.width);
        const bool leftAligned = conversion.flags.find('-') != std::string::npos;
        text = leftAligned ? text.leftJustified(width) : text.rightJustified(width);
    }
    return text;
}

} // namespace

QString formatArguments(const char* format, std::initializer_list<FormatArgument> arguments)
{
    QString result;
    if (!format)
        return result;
    auto next = arguments.begin();
    const char* literalStart = format;
    const char* cursor = format;
    while (*cursor) {
        if (*cursor != '%') {
            ++cursor;
            continue;
        }
        result += QString::fromUtf8(literalStart, cursor - literalStart);
        if (cursor[1] == '%') {
            result += QLatin1Char('%');
            cursor += 2;
            literalStart = cursor;
            continue;
        }
        Conversion conversion;
        const char* after = parseConversion(cursor + 1, conversion);
        if (conversion.specifier == 0) { // a lone '%' at the end stays as it is
            literalStart = cursor;
            cursor = after;
            break;
        }
        if (!isTextConversion(conversion.specifier) && !isNumberConversion(conversion.specifier)) {
            // Not a conversion: the '%' stays as written and the text after it is read as text again.
            literalStart = cursor++;
            continue;
        }
        if (next != arguments.end()) {
            const FormatArgument& argument = *next++;
            if (conversion.specifier == 'c' || conversion.specifier == 'C')
                result += QChar(static_cast<char16_t>(argument.unsignedValue()));
            else if (isTextConversion(conversion.specifier))
                result += printText(conversion, argument);
            else
                result += printNumber(conversion, argument);
        }
        cursor = after;
        literalStart = cursor;
    }
    result += QString::fromUtf8(literalStart, cursor - literalStart);
    return result;
}

QString describeList(const QStringList& elements)
{
    if (elements.isEmpty())
        return QStringLiteral("(\n)");
    return QStringLiteral("(\n    ") + elements.join(QStringLiteral(",\n    ")) + QStringLiteral("\n)");
}

} // namespace pairsift
