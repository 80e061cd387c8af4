#pragma once

#include <cstdint>

// The 32-bit x86 MurmurHash3, computed incrementally over chunks that arrive one after the other.
// The running state is two words owned by the caller:
//   h1    — the running hash, starting as the seed;
//   carry — the bytes of an incomplete 4-byte block carried between calls: the two low bits hold their
//           count n (0..3), the n bytes sit in the top n bytes of the word, the earliest of them lowest.
// Whatever the chunk boundaries and buffer alignments, the result equals the one-shot hash of the whole
// content for the same seed. Nothing here allocates.
namespace pairsift {

// Folds `length` bytes at `data` into the state. A length of 0 (or less) changes nothing.
void murmur3_32_process(std::uint32_t* h1, std::uint32_t* carry, const void* data, int length);

// Finalises the state with the total number of bytes hashed (modulo 2^32).
std::uint32_t murmur3_32_result(std::uint32_t h1, std::uint32_t carry, std::uint32_t totalLength);

// One-shot hash of a buffer.
std::uint32_t murmur3_32(std::uint32_t seed, const void* data, int length);

// One-shot hash of a buffer, written to `out`.
void murmur3_32_into(const void* data, int length, std::uint32_t seed, std::uint32_t* out);

} // namespace pairsift
