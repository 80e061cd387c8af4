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

// Options of the block enumerations; only these three bits may be set.
using RXRegexEnumerationOptions = std::uint32_t;

inline constexpr RXRegexEnumerationOptions RXRegexEnumerationNoOptions = 0;
// The block gets ranges only: its strings are empty. Cannot be combined with the reused strings.
inline constexpr RXRegexEnumerationOptions RXRegexEnumerationCapturedStringsNotRequired = 0x200;
// Replacement blocks only. The returned string is the block's to give up; strings are values here, so
// nothing further is done with it.
inline constexpr RXRegexEnumerationOptions RXRegexEnumerationReleaseStringReturnedByBlock = 0x400;
// The strings point straight into the enumeration's own copy of the subject instead of being copied out:
// no allocation per step, but they are valid only until the enumeration returns.
inline constexpr RXRegexEnumerationOptions RXRegexEnumerationReusedCapturedStrings = 0x800;

} // namespace pairsift
