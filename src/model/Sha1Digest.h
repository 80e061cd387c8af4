#pragma once

#include <QByteArray>
#include <QHashFunctions>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>

namespace pairsift {

// A SHA-1 digest held by value: 20 bytes, no heap, usable as a hash key.
class Sha1Digest {
public:
    static constexpr qsizetype Size = 20;

    Sha1Digest() = default;
    explicit Sha1Digest(const std::array<std::uint8_t, Size>& bytes) : m_bytes(bytes) {}

    // The digest of exactly 20 bytes of data; nothing for any other length (a null or damaged value).
    static std::optional<Sha1Digest> fromByteArray(const QByteArray& data)
    {
        if (data.size() != Size)
            return std::nullopt;
        Sha1Digest digest;
        std::memcpy(digest.m_bytes.data(), data.constData(), Size);
        return digest;
    }

    QByteArray toByteArray() const { return QByteArray(reinterpret_cast<const char*>(m_bytes.data()), Size); }
    const std::array<std::uint8_t, Size>& bytes() const { return m_bytes; }

    friend bool operator==(const Sha1Digest&, const Sha1Digest&) = default;
    friend auto operator<=>(const Sha1Digest&, const Sha1Digest&) = default;

private:
    std::array<std::uint8_t, Size> m_bytes{};
};

inline size_t qHash(const Sha1Digest& digest, size_t seed = 0)
{
    return qHashBits(digest.bytes().data(), Sha1Digest::Size, seed);
}

} // namespace pairsift

template <>
struct std::hash<pairsift::Sha1Digest> {
    size_t operator()(const pairsift::Sha1Digest& digest) const noexcept
    {
        // The bytes of a digest are already uniformly spread: the first word is a good hash.
        size_t value;
        std::memcpy(&value, digest.bytes().data(), sizeof value);
        return value;
    }
};
