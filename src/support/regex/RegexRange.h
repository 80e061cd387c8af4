#pragma once

#include <cstdint>
#include <limits>

namespace pairsift {

// A stretch of a subject in UTF-16 units. {NotFound, 0} means "no range"; a length of ToEnd in a
// requested range means "from the location to the end of the subject".
struct RegexRange {
    static constexpr std::uint64_t NotFound = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    static constexpr std::uint64_t ToEnd = std::numeric_limits<std::uint64_t>::max();

    std::uint64_t location = NotFound;
    std::uint64_t length = 0;

    static constexpr RegexRange notFound() { return {NotFound, 0}; }
    static constexpr RegexRange wholeString() { return {0, ToEnd}; }

    constexpr bool isFound() const { return location != NotFound; }
    constexpr std::uint64_t end() const { return location + length; }
    friend constexpr bool operator==(const RegexRange&, const RegexRange&) = default;
};

} // namespace pairsift
