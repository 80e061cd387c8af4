#include "model/FileItemFolder.h"

#include "model/PairsiftCompare.h"

#include <QFile>
#include <QHashFunctions>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace pairsift {

struct FileItemFolder::Entry {
    QString text;
    QByteArray bytes;
    // Goes from 1 to 0, and from 0 to 1, only under the table's lock, so a lookup never revives an
    // entry that is being freed.
    std::atomic<quint32> handles{0};
    // -1 until worked out, then 0 or 1.
    mutable std::atomic<int> copyWord{-1};
};

namespace {

// Looked up by a view of the path, so a folder already there costs no allocation.
struct FolderHash {
    using is_transparent = void;
    size_t operator()(QStringView path) const noexcept { return qHash(path); }
};

// Never destroyed: handles may outlive static destruction (thread-local ones, items freed late).
struct FolderTable {
    std::mutex mutex;
    std::unordered_map<QString, FileItemFolder::Entry*, FolderHash, std::equal_to<>> entries;
};

FolderTable& folderTable()
{
    static auto* table = new FolderTable;
    return *table;
}

} // namespace

FileItemFolder FileItemFolder::of(QStringView path)
{
    // Files come folder by folder, from the walk, and from the store a few folders at a time (the
    // copies of one group): the folders met last are found without the table.
    thread_local std::array<FileItemFolder, 4> recent;
    for (std::size_t index = 0; index < recent.size(); ++index) {
        if (!recent[index].isNull() && recent[index].text() == path) {
            std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(index),
                recent.begin() + static_cast<std::ptrdiff_t>(index) + 1);
            return recent.front();
        }
    }
    FolderTable& table = folderTable();
    FileItemFolder found;
    {
        const std::lock_guard lock(table.mutex);
        auto known = table.entries.find(path);
        if (known == table.entries.end()) {
            auto* entry = new Entry;
            // Never null, so the root's folder still starts with an empty prefix.
            entry->text = path.isNull() ? QStringLiteral("") : path.toString();
            entry->bytes = QFile::encodeName(entry->text);
            known = table.entries.emplace(entry->text, entry).first;
        }
        known->second->handles.fetch_add(1, std::memory_order_relaxed);
        found = FileItemFolder(known->second);
    }
    // Outside the lock: the handle it pushes out may be the last of its folder.
    std::rotate(recent.begin(), recent.end() - 1, recent.end());
    recent.front() = found;
    return found;
}

FileItemFolder::FileItemFolder(const FileItemFolder& other)
    : m_entry(other.m_entry)
{
    if (m_entry)
        m_entry->handles.fetch_add(1, std::memory_order_relaxed);
}

FileItemFolder::FileItemFolder(FileItemFolder&& other) noexcept
    : m_entry(std::exchange(other.m_entry, nullptr))
{
}

FileItemFolder& FileItemFolder::operator=(FileItemFolder other) noexcept
{
    std::swap(m_entry, other.m_entry);
    return *this;
}

FileItemFolder::~FileItemFolder()
{
    release();
}

void FileItemFolder::release() noexcept
{
    if (!m_entry)
        return;
    quint32 count = m_entry->handles.load(std::memory_order_relaxed);
    while (count > 1) {
        if (m_entry->handles.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel))
            return;
    }
    // Perhaps the last handle: only under the lock, where no lookup can take the entry meanwhile.
    FolderTable& table = folderTable();
    Entry* freed = nullptr;
    {
        const std::lock_guard lock(table.mutex);
        if (m_entry->handles.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            table.entries.erase(m_entry->text);
            freed = m_entry;
        }
    }
    delete freed;
    m_entry = nullptr;
}

const QString& FileItemFolder::text() const
{
    static const QString null;
    return m_entry ? m_entry->text : null;
}

const QByteArray& FileItemFolder::bytes() const
{
    static const QByteArray null;
    return m_entry ? m_entry->bytes : null;
}

bool FileItemFolder::containsCopyWord() const
{
    if (!m_entry)
        return false;
    int known = m_entry->copyWord.load(std::memory_order_relaxed);
    if (known < 0) {
        known = pairsift::containsCopyWord(m_entry->text) ? 1 : 0;
        m_entry->copyWord.store(known, std::memory_order_relaxed);
    }
    return known == 1;
}

} // namespace pairsift
