#include "model/digest/MurmurHash3.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>

namespace pairsift {

namespace {

constexpr std::uint32_t blockFactor1 = 0xcc9e2d51;
constexpr std::uint32_t blockFactor2 = 0x1b873593;

inline std::uint32_t scrambleBlock(std::uint32_t k)
{
    k *= blockFactor1;
    k = std::rotl(k, 15);
    return k * blockFactor2;
}

inline std::uint32_t mixBlock(std::uint32_t h1, std::uint32_t block)
{
    h1 ^= scrambleBlock(block);
    h1 = std::rotl(h1, 13);
    return h1 * 5 + 0xe6546b64;
}

inline std::uint32_t finalMix(std::uint32_t h)
{
    h ^= h >> 16;
    h *= 0x85ebca6b;
    h ^= h >> 13;
    h *= 0xc2b2ae35;
    h ^= h >> 16;
    return h;
}

// Blocks are little-endian; the copy from a known 4-byte-aligned address compiles to one plain load.
inline std::uint32_t loadAlignedWord(const unsigned char* word)
{
    std::uint32_t value;
    std::memcpy(&value, std::assume_aligned<4>(word), sizeof value);
    if constexpr (std::endian::native == std::endian::big)
        value = __builtin_bswap32(value);
    return value;
}

struct RunningState {
    std::uint32_t h1;
    std::uint32_t carry;
    std::uint32_t pending; // n: bytes waiting in the top of `carry`
};

inline void feedByte(RunningState& state, unsigned char byte)
{
    state.carry = (state.carry >> 8) | (std::uint32_t{byte} << 24);
    if (++state.pending == 4) {
        state.h1 = mixBlock(state.h1, state.carry);
        state.pending = 0;
    }
}

// One loop per carry count, so the bulk costs one aligned load and one mix per block. With pending
// bytes, each block is those bytes followed by the low bytes of the word; the word's remaining high
// bytes become the new pending ones.
template <unsigned Pending>
void feedAlignedWords(RunningState& state, const unsigned char* word, const unsigned char* end)
{
    std::uint32_t h1 = state.h1;
    std::uint32_t carry = state.carry;
    for (; word != end; word += 4) {
        const std::uint32_t value = loadAlignedWord(word);
        if constexpr (Pending == 0) {
            h1 = mixBlock(h1, value);
        } else {
            h1 = mixBlock(h1, (carry >> (32 - 8 * Pending)) | (value << (8 * Pending)));
            carry = value;
        }
    }
    state.h1 = h1;
    state.carry = carry;
}

} // namespace

void murmur3_32_process(std::uint32_t* h1, std::uint32_t* carry, const void* data, int length)
{
    if (length <= 0)
        return;
    auto bytes = static_cast<const unsigned char*>(data);
    auto remaining = static_cast<std::size_t>(length);
    RunningState state{*h1, *carry, *carry & 3};

    // Bytes before the next 4-byte boundary; when the chunk is shorter, the tail step takes them all.
    const std::size_t prefix = (0 - reinterpret_cast<std::uintptr_t>(bytes)) & 3;
    if (prefix != 0 && prefix <= remaining) {
        for (std::size_t i = 0; i < prefix; ++i)
            feedByte(state, bytes[i]);
        bytes += prefix;
        remaining -= prefix;
    }

    const unsigned char* wordsEnd = bytes + (remaining & ~std::size_t{3});
    switch (state.pending) {
    case 0: feedAlignedWords<0>(state, bytes, wordsEnd); break;
    case 1: feedAlignedWords<1>(state, bytes, wordsEnd); break;
    case 2: feedAlignedWords<2>(state, bytes, wordsEnd); break;
    default: feedAlignedWords<3>(state, bytes, wordsEnd); break;
    }

    for (std::size_t i = 0; i < (remaining & 3); ++i)
        feedByte(state, wordsEnd[i]);

    *h1 = state.h1;
    *carry = (state.carry & 0xFFFFFF00u) | state.pending;
}

std::uint32_t murmur3_32_result(std::uint32_t h1, std::uint32_t carry, std::uint32_t totalLength)
{
    const std::uint32_t pending = carry & 3;
    if (pending != 0)
        h1 ^= scrambleBlock(carry >> ((4 - pending) * 8));
    return finalMix(h1 ^ totalLength);
}

std::uint32_t murmur3_32(std::uint32_t seed, const void* data, int length)
{
    std::uint32_t h1 = seed;
    std::uint32_t carry = 0;
    murmur3_32_process(&h1, &carry, data, length);
    return murmur3_32_result(h1, carry, length > 0 ? static_cast<std::uint32_t>(length) : 0);
}

void murmur3_32_into(const void* data, int length, std::uint32_t seed, std::uint32_t* out)
{
    *out = murmur3_32(seed, data, length);
}

} // namespace pairsift
