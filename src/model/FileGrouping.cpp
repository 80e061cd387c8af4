#include "model/FileGrouping.h"

#include <QHashFunctions>

namespace pairsift {

std::uint64_t FileGroupKey::number() const
{
    const auto* number = std::get_if<std::uint64_t>(&m_value);
    return number ? *number : 0;
}

QByteArray FileGroupKey::bytes() const
{
    const auto* bytes = std::get_if<QByteArray>(&m_value);
    return bytes ? *bytes : QByteArray();
}

size_t FileGroupKeyHash::operator()(const FileGroupKey& key) const noexcept
{
    if (const auto* number = std::get_if<std::uint64_t>(&key.m_value))
        return std::hash<std::uint64_t>()(*number);
    return qHash(std::get<QByteArray>(key.m_value));
}

FileGrouping::FileGrouping(Groups files, FileGroupingKind groupedBy)
    : m_fileGroups(std::move(files))
    , m_groupedBy(groupedBy)
{
}

FileGrouping::FileGrouping(FileGroupingKind groupedBy)
    : FileGrouping(Groups(), groupedBy)
{
}

std::uint64_t FileGrouping::count() const
{
    return deepCount(m_fileGroups);
}

std::size_t FileGrouping::addFile(const FileItemPtr& file, const FileGroupKey& key)
{
    Files& files = m_fileGroups[key];
    files.push_back(file);
    return files.size();
}

void FileGrouping::pruneSingleFileGroups()
{
    std::erase_if(m_fileGroups, [](const auto& entry) { return entry.second.size() < 2; });
}

void FileGrouping::enumerateGroups(const GroupBlock& block) const
{
    std::vector<FileGroupKey> keys;
    keys.reserve(m_fileGroups.size());
    for (const auto& entry : m_fileGroups)
        keys.push_back(entry.first);

    bool stop = false;
    for (const FileGroupKey& key : keys) {
        const auto found = m_fileGroups.find(key);
        if (found == m_fileGroups.end())
            continue;
        block(found->first, found->second, &stop);
        if (stop)
            break;
    }
}

} // namespace pairsift
