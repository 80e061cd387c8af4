#include "model/PairsiftCompare.h"

#include "photolibs/ContainerType.h"
#include "settings/LocationItem.h"
#include "support/regex/RegexOperations.h"

#include <limits>
#include <optional>

namespace pairsift {

namespace {

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// The leading ASCII digits as a number, saturating; 0 when there are none.
qint64 leadingNumber(const QString& digits)
{
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (const QChar character : digits) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9'))
            break;
        const int digit = character.unicode() - '0';
        if (value > (largest - digit) / 10)
            return largest;
        value = value * 10 + digit;
    }
    return value;
}

// The number after the first " copy" in a lower-cased path (0 when no digits follow); nothing when the
// path has no such word.
std::optional<qint64> copyMatchNumber(const QString& lowered)
{
    static const QString copyPattern = QStringLiteral("(?: copy *)(\\d+)*");
    const std::optional<QStringList> captures = captureComponentsMatchedByRegex(lowered, copyPattern);
    if (!captures || captures->size() < 2)
        return std::nullopt;
    return leadingNumber(captures->at(1));
}

int containerClass(const QString& type)
{
    if (type == containerTypeAperture)
        return 2;
    return type == containerTypeiPhoto ? 1 : 0;
}

} // namespace

int pairsiftFileNameCompare(const QString& first, const QString& second)
{
    const QString firstLowered = first.toLower();
    const QString secondLowered = second.toLower();
    const std::optional<qint64> firstNumber = copyMatchNumber(firstLowered);
    const std::optional<qint64> secondNumber = copyMatchNumber(secondLowered);
    if (!firstNumber && !secondNumber)
        return sign(QString::compare(firstLowered, secondLowered, Qt::CaseInsensitive));
    if (!secondNumber)
        return -1;
    if (!firstNumber)
        return 1;
    // Larger copy numbers first.
    if (*firstNumber == *secondNumber)
        return 0;
    return *firstNumber > *secondNumber ? -1 : 1;
}

bool containsCopyWord(const QString& path)
{
    return copyMatchNumber(path.toLower()).has_value();
}

int pairsiftContainerCompare(const QString& first, const QString& second)
{
    return sign(containerClass(first) - containerClass(second));
}

qsizetype indexOfContainingDirectoryInLocationArray(const QString& path, const QStringList& locationPaths)
{
    for (qsizetype index = 0; index < locationPaths.size(); ++index) {
        if (path.startsWith(locationPaths.at(index)))
            return index;
    }
    return NotFound;
}

qsizetype indexOfContainingDirectoryInLocationArray(const QString& path, const QList<LocationItemPtr>& locations)
{
    return indexOfContainingDirectoryInLocationArray(path, locationPaths(locations));
}

QStringList locationPaths(const QList<LocationItemPtr>& locations)
{
    QStringList paths;
    paths.reserve(locations.size());
    for (const LocationItemPtr& location : locations)
        paths.append(location->path());
    return paths;
}

} // namespace pairsift
