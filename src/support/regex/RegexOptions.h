#pragma once

#include <cstdint>

namespace pairsift {

// Pattern flags, handed to the engine unchanged.
using RXRegexOptions = std::uint32_t;

namespace RegexOption {
inline constexpr RXRegexOptions None = 0;
inline constexpr RXRegexOptions CaseInsensitive = 2;
inline constexpr RXRegexOptions Comments = 4;
inline constexpr RXRegexOptions Multiline = 8;
inline constexpr RXRegexOptions Literal = 16;
inline constexpr RXRegexOptions DotAll = 32;
inline constexpr RXRegexOptions UnicodeWordBoundaries = 256;
} // namespace RegexOption

} // namespace pairsift
