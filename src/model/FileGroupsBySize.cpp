#include "model/FileGroupsBySize.h"

namespace pairsift {

std::size_t FileGroupsBySize::add(std::uint32_t position, std::uint64_t size)
{
    if (m_next.size() <= position)
        m_next.resize(static_cast<std::size_t>(position) + 1, NoPosition);
    const auto [found, isNew] = m_chains.try_emplace(size, Chain{position, position, 0});
    Chain& chain = found->second;
    if (!isNew)
        m_next[chain.last] = position;
    chain.last = position;
    return ++chain.count;
}

FileGrouping FileGroupsBySize::grouping(const std::vector<FileItemPtr>& files, std::uint32_t minimumCount) const
{
    FileGrouping::Groups groups;
    groups.reserve(m_chains.size());
    for (const auto& [size, chain] : m_chains) {
        if (chain.count < minimumCount)
            continue;
        FileGrouping::Files& group = groups[FileGroupKey(size)];
        group.reserve(chain.count);
        for (std::uint32_t position = chain.first; group.size() < chain.count; position = m_next[position])
            group.push_back(files[position]);
    }
    return FileGrouping(std::move(groups), FileGroupingBySize);
}

} // namespace pairsift
