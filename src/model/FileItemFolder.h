#pragma once

#include <QByteArray>
#include <QString>

namespace pairsift {

// The folder part of file items' paths, kept once per distinct folder and shared by the files in it: a
// handle to an entry of one process-wide table, which frees an entry with its last handle. Handles may
// be made, copied and dropped on any thread.
class FileItemFolder {
public:
    FileItemFolder() = default;
    // The entry of `path`, made when it is new (the root's folder is the empty text).
    static FileItemFolder of(QStringView path);

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

private:
    explicit FileItemFolder(Entry* entry) : m_entry(entry) {}
    void release() noexcept;

    Entry* m_entry = nullptr;
};

} // namespace pairsift
