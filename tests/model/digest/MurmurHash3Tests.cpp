#include "model/digest/MurmurHash3.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

namespace pairsift {
namespace {

// The published algorithm written the plain way: whole buffer, byte by byte, no carry word.
std::uint32_t referenceHash(const std::uint8_t* data, std::size_t length, std::uint32_t seed)
{
    const std::uint32_t c1 = 0xcc9e2d51;
    const std::uint32_t c2 = 0x1b873593;
    std::uint32_t h = seed;
    for (std::size_t i = 0; i + 4 <= length; i += 4) {
        std::uint32_t k = data[i] | data[i + 1] << 8 | data[i + 2] << 16 | std::uint32_t{data[i + 3]} << 24;
        k *= c1;
        k = std::rotl(k, 15);
        k *= c2;
        h ^= k;
        h = std::rotl(h, 13);
        h = h * 5 + 0xe6546b64;
    }
    const std::uint8_t* tail = data + (length & ~std::size_t{3});
    std::uint32_t k = 0;
    switch (length & 3) {
    case 3: k ^= tail[2] << 16; [[fallthrough]];
    case 2: k ^= tail[1] << 8; [[fallthrough]];
    case 1:
        k ^= tail[0];
        k *= c1;
        k = std::rotl(k, 15);
        k *= c2;
        h ^= k;
    }
    h ^= static_cast<std::uint32_t>(length);
    h ^= h >> 16;
    h *= 0x85ebca6b;
    h ^= h >> 13;
    h *= 0xc2b2ae35;
    h ^= h >> 16;
    return h;
}

std::uint32_t referenceHash(const std::vector<std::uint8_t>& bytes, std::uint32_t seed)
{
    return referenceHash(bytes.data(), bytes.size(), seed);
}

std::vector<std::uint8_t> randomBytes(std::size_t length, std::mt19937& random)
{
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// A copy of some bytes whose first byte sits at a chosen offset (0..3) from a 16-byte boundary, so the
// hash sees every alignment of its input buffers.
class PlacedBytes {
public:
    PlacedBytes(const std::uint8_t* bytes, std::size_t length, unsigned alignment)
        : m_storage(length / 4 + 2)
        , m_length(length)
        , m_alignment(alignment)
    {
        if (length > 0)
            std::memcpy(data(), bytes, length);
    }
    std::uint8_t* data() { return reinterpret_cast<std::uint8_t*>(m_storage.data()) + m_alignment; }
    int length() const { return static_cast<int>(m_length); }

private:
    std::vector<std::uint32_t> m_storage;
    std::size_t m_length;
    unsigned m_alignment;
};

struct Chunk {
    std::size_t length;
    unsigned alignment;
};

// Feeds the bytes chunk after chunk, each chunk from its own buffer at its own alignment.
std::uint32_t incrementalHash(const std::vector<std::uint8_t>& bytes, const std::vector<Chunk>& chunks,
                              std::uint32_t seed)
{
    std::uint32_t h1 = seed;
    std::uint32_t carry = 0;
    std::size_t offset = 0;
    for (const Chunk& chunk : chunks) {
        PlacedBytes placed(bytes.data() + offset, chunk.length, chunk.alignment);
        murmur3_32_process(&h1, &carry, placed.data(), placed.length());
        offset += chunk.length;
    }
    EXPECT_EQ(offset, bytes.size()) << "chunks must cover the input";
    return murmur3_32_result(h1, carry, static_cast<std::uint32_t>(bytes.size()));
}

TEST(MurmurHash3, matchesPublishedVectors)
{
    struct Vector {
        std::string_view text;
        std::uint32_t seed;
        std::uint32_t expected;
    };
    using namespace std::string_view_literals;
    const Vector vectors[] = {
        {""sv, 0, 0},
        {""sv, 1, 0x514E28B7},
        {""sv, 0xffffffff, 0x81F16F39},
        {"\0\0\0\0"sv, 0, 0x2362F9DE},
        {"\xff\xff\xff\xff"sv, 0, 0x76293B50},
        {"\x21\x43\x65\x87"sv, 0, 0xF55B516B},
        {"\x21\x43\x65\x87"sv, 0x5082EDEE, 0x2362F9DE},
        {"\x21\x43\x65"sv, 0, 0x7E4A8634},
        {"\x21\x43"sv, 0, 0xA0F7B07A},
        {"\x21"sv, 0, 0x72661CF4},
        {"aaaa"sv, 0x9747b28c, 0x5A97808A},
        {"abcd"sv, 0x9747b28c, 0xF0478627},
        {"abc"sv, 0x9747b28c, 0xC84A62DD},
        {"ab"sv, 0x9747b28c, 0x74875592},
        {"a"sv, 0x9747b28c, 0x7FA09EA6},
        {"Hello, world!"sv, 1234, 0xFAF6CDB3},
        {"Hello, world!"sv, 0x9747b28c, 0x24884CBA},
        {"The quick brown fox jumps over the lazy dog"sv, 0x9747b28c, 0x2FA826CD},
    };
    for (const Vector& vector : vectors) {
        SCOPED_TRACE(testing::Message() << "\"" << vector.text << "\" seed " << std::hex << vector.seed);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(vector.text.data());
        const int length = static_cast<int>(vector.text.size());
        EXPECT_EQ(referenceHash(bytes, vector.text.size(), vector.seed), vector.expected);
        for (unsigned alignment = 0; alignment < 4; ++alignment) {
            PlacedBytes placed(bytes, vector.text.size(), alignment);
            EXPECT_EQ(murmur3_32(vector.seed, placed.data(), length), vector.expected);
            std::uint32_t out = ~vector.expected;
            murmur3_32_into(placed.data(), length, vector.seed, &out);
            EXPECT_EQ(out, vector.expected);
        }
    }
}

TEST(MurmurHash3, oneShotMatchesReferenceForManyLengthsSeedsAndAlignments)
{
    std::mt19937 random(7);
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 300; ++length)
        lengths.push_back(length);
    lengths.insert(lengths.end(), {1021, 4096, 4099, 65537, 262143, 262144, 262147});
    for (const std::size_t length : lengths) {
        const std::vector<std::uint8_t> bytes = randomBytes(length, random);
        for (const std::uint32_t seed : {0u, 1u, 0x9747b28cu, 0xffffffffu}) {
            const std::uint32_t expected = referenceHash(bytes, seed);
            for (unsigned alignment = 0; alignment < 4; ++alignment) {
                PlacedBytes placed(bytes.data(), length, alignment);
                ASSERT_EQ(murmur3_32(seed, placed.data(), placed.length()), expected)
                    << "length " << length << " seed " << seed << " alignment " << alignment;
            }
        }
    }
}

TEST(MurmurHash3, everyTwoWaySplitAtEveryAlignmentMatchesOneShot)
{
    std::mt19937 random(11);
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::vector<std::uint8_t> bytes = randomBytes(length, random);
        const std::uint32_t expected = referenceHash(bytes, 0x9747b28c);
        for (std::size_t split = 0; split <= length; ++split) {
            for (unsigned first = 0; first < 4; ++first) {
                for (unsigned second = 0; second < 4; ++second) {
                    ASSERT_EQ(incrementalHash(bytes, {{split, first}, {length - split, second}}, 0x9747b28c), expected)
                        << "length " << length << " split " << split << " alignments " << first << "/" << second;
                }
            }
        }
    }
}

TEST(MurmurHash3, randomChunkingsWithEmptyChunksMatchOneShot)
{
    std::mt19937 random(13);
    for (int round = 0; round < 3000; ++round) {
        const std::vector<std::uint8_t> bytes = randomBytes(random() % 2000, random);
        const std::uint32_t seed = round % 3 == 0 ? 0 : static_cast<std::uint32_t>(random());
        std::vector<Chunk> chunks;
        for (std::size_t covered = 0; covered < bytes.size();) {
            // Mostly small chunks, so every carry count meets every alignment; now and then a long one.
            const std::size_t wanted = random() % 8 == 0 ? random() % 600 : random() % 9;
            const std::size_t length = std::min(wanted, bytes.size() - covered);
            chunks.push_back({length, static_cast<unsigned>(random() % 4)});
            covered += length;
        }
        chunks.push_back({0, static_cast<unsigned>(random() % 4)});
        ASSERT_EQ(incrementalHash(bytes, chunks, seed), referenceHash(bytes, seed))
            << "round " << round << ", " << bytes.size() << " bytes in " << chunks.size() << " chunks";
    }
}

// The file reader's loop: 256 KiB reads until one comes up short, the empty read included.
TEST(MurmurHash3, fileSizedInputsInReadSizedChunksMatchOneShot)
{
    constexpr std::size_t readSize = 262144;
    std::mt19937 random(17);
    for (const std::size_t size : {std::size_t{0}, readSize - 1, readSize, readSize + 1, 2 * readSize, 3 * readSize}) {
        const std::vector<std::uint8_t> bytes = randomBytes(size, random);
        std::vector<std::uint8_t> buffer(readSize);
        std::uint32_t h1 = 0;
        std::uint32_t carry = 0;
        std::size_t offset = 0;
        int reads = 0;
        for (;;) {
            const std::size_t count = std::min(readSize, size - offset);
            if (count > 0)
                std::memcpy(buffer.data(), bytes.data() + offset, count);
            murmur3_32_process(&h1, &carry, buffer.data(), static_cast<int>(count));
            offset += count;
            ++reads;
            if (count < readSize)
                break;
        }
        EXPECT_EQ(reads, static_cast<int>(size / readSize) + 1) << size;
        EXPECT_EQ(murmur3_32_result(h1, carry, static_cast<std::uint32_t>(size)), referenceHash(bytes, 0)) << size;
    }
}

TEST(MurmurHash3, emptyOrNegativeChunkLeavesTheStateAlone)
{
    std::uint32_t h1 = 0x12345678;
    std::uint32_t carry = 0xAABBCC02;
    const std::uint8_t byte = 0x5a;
    murmur3_32_process(&h1, &carry, nullptr, 0);
    murmur3_32_process(&h1, &carry, &byte, 0);
    murmur3_32_process(&h1, &carry, &byte, -1);
    EXPECT_EQ(h1, 0x12345678u);
    EXPECT_EQ(carry, 0xAABBCC02u);
    EXPECT_EQ(murmur3_32(0, &byte, -5), murmur3_32(0, nullptr, 0));
}

TEST(MurmurHash3, carryWithoutPendingBytesAddsNothingAtTheEnd)
{
    for (const std::uint32_t upperBytes : {0x00000000u, 0xABCDEF00u, 0xFFFFFF00u, 0x01000000u}) {
        for (const std::uint32_t length : {0u, 4u, 0xFFFFFFFCu}) {
            EXPECT_EQ(murmur3_32_result(0xDEADBEEF, upperBytes, length), murmur3_32_result(0xDEADBEEF, 0, length))
                << std::hex << upperBytes << " " << length;
        }
    }
}

} // namespace
} // namespace pairsift
