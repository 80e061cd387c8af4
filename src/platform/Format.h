#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace pairsift {

// Anything with a description, like the platform objects that "%@" prints.
template <typename T>
concept Describable = requires(const T& value) {
    { value.description() } -> std::convertible_to<QString>;
};

// One argument of a printf-style text. "%@" prints text (or a description); the numeric
// conversions take integers, floating values and booleans (as 0 or 1).
class FormatArgument {
public:
    enum class Kind { Text, Signed, Unsigned, Floating, Pointer };

    FormatArgument(const QString& text) : m_kind(Kind::Text), m_text(text) {}
    FormatArgument(const char* text) : m_kind(Kind::Text), m_text(text ? QString::fromUtf8(text) : QString()) {}
    FormatArgument(const QByteArray& utf8) : m_kind(Kind::Text), m_text(QString::fromUtf8(utf8)) {}
    FormatArgument(const std::string& utf8) : m_kind(Kind::Text), m_text(QString::fromStdString(utf8)) {}
    FormatArgument(bool value) : m_kind(Kind::Signed), m_signed(value ? 1 : 0) {}
    template <std::signed_integral T>
    FormatArgument(T value) : m_kind(Kind::Signed), m_signed(value) {}
    template <std::unsigned_integral T>
    FormatArgument(T value) : m_kind(Kind::Unsigned), m_unsigned(value) {}
    template <std::floating_point T>
    FormatArgument(T value) : m_kind(Kind::Floating), m_floating(static_cast<double>(value)) {}
    template <typename T>
        requires std::is_enum_v<T>
    FormatArgument(T value) : FormatArgument(static_cast<std::underlying_type_t<T>>(value)) {}
    FormatArgument(const void* pointer) : m_kind(Kind::Pointer), m_unsigned(reinterpret_cast<std::uintptr_t>(pointer)) {}
    template <Describable T>
    FormatArgument(const T& value) : m_kind(Kind::Text), m_text(value.description()) {}

    Kind kind() const { return m_kind; }
    const QString& text() const { return m_text; }
    std::int64_t signedValue() const;
    std::uint64_t unsignedValue() const;
    double floatingValue() const;

private:
    Kind m_kind;
    QString m_text;
    std::int64_t m_signed = 0;
    std::uint64_t m_unsigned = 0;
    double m_floating = 0.0;
};

// Formats a printf-style text taken verbatim from the system's own texts ("%@", "%s", "%d", "%ld",
// "%lu", "%llu", "%i", "%u", "%x", "%f", "%1.2f", "%.1f", "%02d", "%%" …). Independent of the locale:
// the decimal separator is always ".". A missing argument prints nothing; a null text prints "(null)".
QString formatArguments(const char* format, std::initializer_list<FormatArgument> arguments);

template <typename... Arguments>
QString formatString(const char* format, const Arguments&... arguments)
{
    return formatArguments(format, {FormatArgument(arguments)...});
}

// An array of texts as "%@" prints one: "(", one element per indented line, ")".
QString describeList(const QStringList& elements);

} // namespace pairsift
