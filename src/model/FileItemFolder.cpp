#include "model/FileItemFolder.h"

#include "model/FileItemName.h"
#include "model/PairsiftCompare.h"

#include <QFile>
#include <QHashFunctions>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace pairsift {

struct FileItemFolder::Entry {
    QString text;
    QByteArray bytes;
    // Of the text, kept so the table never hashes a stored folder again.
    size_t hash = 0;
    // Goes from 1 to 0, and from 0 to 1, only under the table's lock, so a lookup never revives an
    // entry that is being freed.
    std::atomic<quint32> handles{0};
    // -1 until worked out, then 0 or 1.
    mutable std::atomic<int> copyWord{-1};
};

namespace {

// A folder's text with its hash: a lookup hashes its text once, and walking a bucket compares hashes
// before texts.
struct FolderKey {
    QStringView text;
    size_t hash;

    explicit FolderKey(QStringView path) : text(path), hash(qHash(path)) {}
    explicit FolderKey(const FileItemFolder::Entry& entry) : text(entry.text), hash(entry.hash) {}
    friend bool operator==(const FolderKey& left, const FolderKey& right)
    {
        return left.hash == right.hash && left.text == right.text;
    }
};

struct FolderKeyHash {
    size_t operator()(const FolderKey& key) const noexcept { return key.hash; }
};

// Never destroyed: handles may outlive static destruction (thread-local ones, items freed late).
struct FolderTable {
    std::mutex mutex;
    // Keys view their entry's text.
    std::unordered_map<FolderKey, FileItemFolder::Entry*, FolderKeyHash> entries;
};

FolderTable& folderTable()
{
    static auto* table = new FolderTable;
    return *table;
}

// Files come folder by folder, from the walk, and from the store a few folders at a time (the copies of
// one group): the folders this thread met last are found without the table, most recent first.
std::array<FileItemFolder, 4>& recentFolders()
{
    thread_local std::array<FileItemFolder, 4> recent;
    return recent;
}

// The first recent folder `isMatch` accepts, moved to the front; null when none is.
template <typename Match>
FileItemFolder recentFolder(const Match& isMatch)
{
    std::array<FileItemFolder, 4>& recent = recentFolders();
    for (std::size_t index = 0; index < recent.size(); ++index) {
        if (!recent[index].isNull() && isMatch(recent[index])) {
            std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(index),
                recent.begin() + static_cast<std::ptrdiff_t>(index) + 1);
            return recent.front();
        }
    }
    return {};
}

FileItemFolder madeRecent(FileItemFolder found)
{
    // The handle it pushes out may be the last of its folder: never called under the table's lock.
    std::array<FileItemFolder, 4>& recent = recentFolders();
    std::rotate(recent.begin(), recent.end() - 1, recent.end());
    recent.front() = found;
    return found;
}

} // namespace

FileItemFolder FileItemFolder::of(QStringView path)
{
    FileItemFolder found = recentFolder([path](const FileItemFolder& folder) { return folder.text() == path; });
    if (!found.isNull())
        return found;
    return madeRecent(lookUp(path));
}

FileItemFolder FileItemFolder::ofEncoded(QByteArrayView path)
{
    FileItemFolder found = recentFolder([path](const FileItemFolder& folder) { return folder.bytes() == path; });
    if (!found.isNull())
        return found;
    // The table is keyed by text: most folders are ASCII, widened here without an allocation.
    QVarLengthArray<char16_t, 256> ascii;
    if (std::all_of(path.begin(), path.end(), [](char byte) { return static_cast<signed char>(byte) >= 0; })) {
        ascii.resize(path.size());
        std::copy(path.begin(), path.end(), ascii.begin());
        return madeRecent(lookUp(QStringView(ascii.data(), ascii.size())));
    }
    return madeRecent(lookUp(FileItemName::textOf(path)));
}

FileItemFolder FileItemFolder::Cache::ofEncoded(QByteArrayView path)
{
    const size_t hash = qHash(path);
    // A folder takes the first free slot from its hash's own and keeps it; only when all of them are
    // taken does it push one out.
    Slot* slot = nullptr;
    for (std::size_t probe = 0; probe < ProbeCount; ++probe) {
        slot = &m_slots[(hash + probe) % SlotCount];
        if (slot->folder.isNull())
            break;
        if (slot->hash == hash && slot->folder.bytes() == path)
            return slot->folder;
    }
    slot->folder = FileItemFolder::ofEncoded(path);
    slot->hash = hash;
    return slot->folder;
}

FileItemFolder FileItemFolder::lookUp(QStringView path)
{
    FolderTable& table = folderTable();
    const FolderKey key(path);
    const std::lock_guard lock(table.mutex);
    auto known = table.entries.find(key);
    if (known == table.entries.end()) {
        auto* entry = new Entry;
        // Never null, so the root's folder still starts with an empty prefix.
        entry->text = path.isNull() ? QStringLiteral("") : path.toString();
        entry->bytes = QFile::encodeName(entry->text);
        entry->hash = key.hash;
        known = table.entries.emplace(FolderKey(*entry), entry).first;
    }
    known->second->handles.fetch_add(1, std::memory_order_relaxed);
    return FileItemFolder(known->second);
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
            table.entries.erase(FolderKey(*m_entry));
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
