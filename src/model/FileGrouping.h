#pragma once

#include "model/FileItem.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <variant>
#include <vector>

namespace pairsift {

// What the keys of a FileGrouping are.
enum FileGroupingKind : std::uint64_t {
    FileGroupingBySize = 0,   // a number: the file size in bytes
    FileGroupingByHeader = 1, // bytes: the first 8 bytes of the file
    FileGroupingByHash = 2,   // a number (32-bit MurmurHash3) or bytes (20-byte SHA-1)
};

// A group key: a number or a run of bytes, equal by value (7 as a size equals 7 as a hash).
class FileGroupKey {
public:
    FileGroupKey(std::uint64_t number) : m_value(number) {}
    FileGroupKey(const QByteArray& bytes) : m_value(bytes) {}

    // 0 for a bytes key.
    std::uint64_t number() const;
    // Empty for a number key.
    QByteArray bytes() const;

    friend bool operator==(const FileGroupKey&, const FileGroupKey&) = default;

private:
    std::variant<std::uint64_t, QByteArray> m_value;

    friend struct FileGroupKeyHash;
};

struct FileGroupKeyHash {
    size_t operator()(const FileGroupKey& key) const noexcept;
};

// The container the comparison stages hand on: key → the files that share it, tagged with what the key
// is. Not locked: one thread fills it, and it is read only once complete.
class FileGrouping {
public:
    using Files = std::vector<FileItemPtr>;
    using Groups = std::unordered_map<FileGroupKey, Files, FileGroupKeyHash>;
    // Called once per group; setting *stop ends the enumeration after this call.
    using GroupBlock = std::function<void(const FileGroupKey& key, const Files& files, bool* stop)>;

    FileGrouping(Groups files, FileGroupingKind groupedBy);
    explicit FileGrouping(FileGroupingKind groupedBy);

    const Groups& fileGroups() const { return m_fileGroups; }
    FileGroupingKind groupedBy() const { return m_groupedBy; }
    void setGroupedBy(FileGroupingKind kind) { m_groupedBy = kind; }

    // Number of keys.
    std::uint64_t groupCount() const { return m_fileGroups.size(); }
    // Number of files over all groups.
    std::uint64_t count() const;

    // Appends the file to the key's group (made on first use); answers that group's new size.
    std::size_t addFile(const FileItemPtr& file, const FileGroupKey& key);
    // Drops every group of fewer than two files.
    void pruneSingleFileGroups();
    // Over a snapshot of the keys, each with its current files, in no particular order.
    void enumerateGroups(const GroupBlock& block) const;

private:
    Groups m_fileGroups;
    FileGroupingKind m_groupedBy;
};

// The sum of the sizes of all values of a map; 0 for an empty one.
template <typename Map>
std::uint64_t deepCount(const Map& map)
{
    std::uint64_t total = 0;
    for (const auto& entry : map)
        total += entry.second.size();
    return total;
}

} // namespace pairsift
