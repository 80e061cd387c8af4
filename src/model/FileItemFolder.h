#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <vector>

namespace pairsift {

// The folder part of file items' paths, kept once per distinct folder and shared by the files in it: a
// handle to an entry of one process-wide table, which frees an entry with its last handle. Handles may
// be made, copied and dropped on any thread.
class FileItemFolder {
public:
    FileItemFolder() = default;
    // The entry of `path`, made when it is new (the root's folder is the empty text).
    static FileItemFolder of(QStringView path);
    // The same for the folder's file-system bytes, which must be UTF-8 that decoding gives back (the
    // store's paths): a folder met last is found by its bytes, without decoding them.
    static FileItemFolder ofEncoded(QByteArrayView path);

    FileItemFolder(const FileItemFolder& other);
    FileItemFolder(FileItemFolder&& other) noexcept;
    FileItemFolder& operator=(FileItemFolder other) noexcept;
    ~FileItemFolder();

    // No folder: a path without a separator.
    bool isNull() const { return !m_entry; }
    const QString& text() const;
    // The folder's file-system bytes.
    const QByteArray& bytes() const;
    // Whether the folder holds the word copy after a space, as the copy-aware order looks for it;
    // worked out once per folder.
    bool containsCopyWord() const;

    // One entry, one folder: equal handles name equal folders and unequal ones different folders.
    friend bool operator==(const FileItemFolder& left, const FileItemFolder& right) { return left.m_entry == right.m_entry; }

    // One folder's text, bytes and handle count; only the table makes them.
    struct Entry;

    // The folders one reader met, found again without the table.
    class Cache;

private:
    explicit FileItemFolder(Entry* entry) : m_entry(entry) {}
    // The table's entry of `path`, made when it is new.
    static FileItemFolder lookUp(QStringView path);
    void release() noexcept;

    Entry* m_entry = nullptr;
};

// The folders one reader met, found again by their bytes without the table: for a reader that meets
// the same few thousand folders over and over in no particular order (the store's rows come a group's
// copies at a time). Holds its folders until it goes.
class FileItemFolder::Cache {
public:
    // ofEncoded(), answered here when this cache met the folder before.
    FileItemFolder ofEncoded(QByteArrayView path);

private:
    struct Slot {
        size_t hash = 0;
        FileItemFolder folder;
    };
    static constexpr std::size_t SlotCount = 4096;
    static constexpr std::size_t ProbeCount = 8;
    std::vector<Slot> m_slots = std::vector<Slot>(SlotCount);
};

} // namespace pairsift
