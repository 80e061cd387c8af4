#include "scan/ProcessingTexts.h"

#include "platform/Format.h"

#include <algorithm>
#include <cmath>

namespace pairsift {

namespace {

// Far beyond any estimate worth showing, and still exact as a whole number of seconds.
constexpr double longestDuration = 1e12;

} // namespace

QString durationText(double seconds)
{
    // Also catches NaN, which fails every comparison.
    if (!(seconds > 0))
        seconds = 0;
    const auto whole = static_cast<std::uint64_t>(std::floor(std::min(seconds, longestDuration)));
    const QLatin1Char zero('0');
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600, 2, 10, zero)
        .arg(whole / 60 % 60, 2, 10, zero)
        .arg(whole % 60, 2, 10, zero);
}

QString percentageText(std::uint64_t done, std::uint64_t total)
{
    const double percentage = total == 0 ? 100.0 : static_cast<double>(done) * 100.0 / static_cast<double>(total);
    return formatString("%.1f%%", percentage);
}

QString elapsedText(double elapsedSeconds)
{
    return formatString("Elapsed: %@", durationText(elapsedSeconds));
}

QString remainingText(double elapsedSeconds, std::uint64_t done, std::uint64_t total)
{
    if (done >= total)
        return formatString("Remaining: %@", durationText(0));
    if (done == 0)
        return QStringLiteral("Remaining: --:--:--");
    const double remaining = elapsedSeconds / static_cast<double>(done) * static_cast<double>(total - done);
    return formatString("Remaining: %@", durationText(remaining));
}

} // namespace pairsift
