#pragma once

#include "model/FileGrouping.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace pairsift {

// The files of a scan filed by size while counting, as positions in the session's list of files: one
// chain through the positions per size, four bytes a file, instead of a list of file pointers per size.
class FileGroupsBySize {
public:
    // Files the file at `position` under its size; answers that size's new file count.
    std::size_t add(std::uint32_t position, std::uint64_t size);
    // The groups of at least `minimumCount` files over `files` (the list the positions index); each
    // group's files in the order they were added.
    FileGrouping grouping(const std::vector<FileItemPtr>& files, std::uint32_t minimumCount) const;
    std::uint64_t groupCount() const { return m_chains.size(); }

private:
    static constexpr std::uint32_t NoPosition = UINT32_MAX;
    struct Chain {
        std::uint32_t first;
        std::uint32_t last;
        std::uint32_t count;
    };

    std::unordered_map<std::uint64_t, Chain> m_chains;
    // For each position, the next one of the same size; NoPosition ends a chain and marks files not filed.
    std::vector<std::uint32_t> m_next;
};

} // namespace pairsift
