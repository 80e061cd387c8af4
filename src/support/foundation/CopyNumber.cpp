#include "support/foundation/CopyNumber.h"

#include "platform/PackageTypes.h"
#include "support/regex/RegexOperations.h"

#include <limits>

namespace pairsift {

namespace {

// The leading ASCII digits of `digits` as a number; other digits that the expressions accept (\d is any
// decimal digit) carry no value here. Too many digits give the largest value instead of wrapping.
qint64 integerValue(const QString& digits)
{
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (const QChar character : digits) {
        const char16_t unit = character.unicode();
        if (unit < u'0' || unit > u'9')
            break;
        const int digit = unit - u'0';
        if (value > (largest - digit) / 10)
            return largest;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

qint64 extractCopyNumber(const QString& path)
{
    // Long-lived pattern strings: their characters keep one address, by which the expression cache finds
    // their entries without hashing them (it still compares the characters).
    static const QString copyWord = QStringLiteral("(\\scopy)(?:(?:\\s)(\\d+))*");
    static const QString parenthesized = QStringLiteral("(?:\\()(\\d+)(?:\\))");

    const QString name = lastPathComponent(path);
    if (name.isEmpty())
        return 0;
    const std::optional<QStringList> copy = captureComponentsMatchedByRegex(name, copyWord);
    if (copy && !copy->isEmpty()) {
        if (copy->size() != 3)
            return 0;
        return copy->at(2).isEmpty() ? 1 : integerValue(copy->at(2));
    }
    const std::optional<QStringList> number = captureComponentsMatchedByRegex(name, parenthesized);
    return number && number->size() == 2 ? integerValue(number->at(1)) : 0;
}

} // namespace pairsift
