#pragma once

#include <QHashFunctions>

#include <cstdint>
#include <functional>

namespace pairsift {

// The identity of a file on this machine: two paths with the same (device, inode) are the same file
// (hard links, bind mounts, a location listed twice).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileId&, const FileId&) = default;
    friend auto operator<=>(const FileId&, const FileId&) = default;
};

inline size_t qHash(const FileId& id, size_t seed = 0)
{
    return qHashMulti(seed, id.device, id.inode);
}

} // namespace pairsift

template <>
struct std::hash<pairsift::FileId> {
    size_t operator()(const pairsift::FileId& id) const noexcept
    {
        return std::hash<std::uint64_t>()(id.inode) ^ (std::hash<std::uint64_t>()(id.device) * 0x9e3779b97f4a7c15ULL);
    }
};
