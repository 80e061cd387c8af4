#include "support/foundation/SizeFormatting.h"

#include "platform/Format.h"

#include <array>
#include <cstdint>

namespace pairsift {

QString stringWithDiskSpace(double bytes)
{
    // Converting a negative or NaN double to an unsigned integer is undefined; neither is a size.
    if (!(bytes > 0.0))
        bytes = 0.0;
    // 1023, not 1024: a value that would print as "1023.xx" is shown in the next unit instead.
    constexpr double threshold = 1023.0;
    if (bytes < threshold)
        return formatString("%lu B", static_cast<std::uint64_t>(bytes));

    static constexpr std::array<const char*, 4> unitFormats = {"%1.2f KB", "%1.2f MB", "%1.2f GB", "%1.2f TB"};
    double value = bytes;
    for (std::size_t unit = 0;; ++unit) {
        value /= 1024.0;
        if (value < threshold || unit + 1 == unitFormats.size())
            return formatString(unitFormats[unit], value);
    }
}

} // namespace pairsift
