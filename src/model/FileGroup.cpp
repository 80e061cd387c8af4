#include "model/FileGroup.h"

#include "model/PairsiftCompare.h"
#include "settings/LocationItem.h"
#include "support/logging/SOLogger.h"

#include <algorithm>
#include <vector>

namespace pairsift {

FileItemPtr FileGroup::head() const
{
    return m_files.isEmpty() ? nullptr : m_files.first();
}

QList<FileItemPtr> FileGroup::tail() const
{
    return m_files.isEmpty() ? QList<FileItemPtr>() : m_files.mid(1);
}

FileItemPtr FileGroup::fileAtIndex(quint64 index) const
{
    return index < count() ? m_files.at(static_cast<qsizetype>(index)) : nullptr;
}

QByteArray FileGroup::sha1() const
{
    const FileItemPtr first = head();
    return first ? first->sha1() : QByteArray();
}

QString FileGroup::fileName() const
{
    const FileItemPtr first = head();
    return first ? first->baseName() : QString();
}

quint64 FileGroup::fileSize() const
{
    const FileItemPtr first = head();
    return first ? first->totalSize() : 0;
}

quint64 FileGroup::markedCount() const
{
    const QList<FileItemPtr> files = m_files;
    return static_cast<quint64>(std::count_if(files.cbegin(), files.cend(),
        [](const FileItemPtr& file) { return file->markedForRemoval(); }));
}

quint64 FileGroup::totalSize() const
{
    return fileSize() * count();
}

quint64 FileGroup::markedSize() const
{
    return fileSize() * markedCount();
}

double FileGroup::wastedSpace() const
{
    if (m_files.isEmpty())
        return 0.0;
    return static_cast<double>(count() - 1) * static_cast<double>(fileSize());
}

bool FileGroup::shouldIgnore() const
{
    return markedCount() == count();
}

QList<FileItemPtr> FileGroup::selectedFiles() const
{
    QList<FileItemPtr> selected;
    const QList<FileItemPtr> files = m_files;
    std::copy_if(files.cbegin(), files.cend(), std::back_inserter(selected),
        [](const FileItemPtr& file) { return file->markedForRemoval(); });
    return selected;
}

FileItemPtr FileGroup::remainingFile() const
{
    const QList<FileItemPtr> files = m_files;
    const auto found = std::find_if(files.cbegin(), files.cend(),
        [](const FileItemPtr& file) { return !file->markedForRemoval(); });
    return found == files.cend() ? nullptr : *found;
}

void FileGroup::addFile(const FileItemPtr& file)
{
    m_files.append(file);
}

void FileGroup::markAllFiles(bool marked)
{
    const QList<FileItemPtr> files = m_files;
    for (const FileItemPtr& file : files)
        file->setMarkedForRemoval(marked);
}

void FileGroup::markFile(const FileItemPtr& file, bool selected)
{
    file->setMarkedForRemoval(selected);
}

void FileGroup::selectDuplicates()
{
    for (const FileItemPtr& file : tail())
        file->setMarkedForRemoval(true);
}

void FileGroup::populateFilesWithRemainingFile()
{
    const FileItemPtr remaining = remainingFile();
    if (!remaining)
        return;
    // Composed once for the group.
    const QString remainingName = remaining->name();
    const QList<FileItemPtr> files = m_files;
    for (const FileItemPtr& file : files) {
        // Files inside photo libraries are removed through their application: no link replaces them.
        if (!file->markedForRemoval() || !file->isRegularFile())
            continue;
        file->setRemainingFileName(remainingName);
        logInfo(m_logger, "File '%@' will be replaced by link to remaining file '%@'", file->name(), remainingName);
    }
}

void FileGroup::recordKeptCopy(const QList<FileItemPtr>& staged) const
{
    const auto kept = std::find_if(m_files.cbegin(), m_files.cend(),
        [&staged](const FileItemPtr& file) { return !staged.contains(file); });
    if (kept == m_files.cend())
        return;
    for (const FileItemPtr& file : staged) {
        if (file->isRegularFile())
            file->setRemainingFileName((*kept)->name());
    }
}

void FileGroup::enumerateFilesUsingBlock(const std::function<void(const FileItemPtr&)>& block) const
{
    const QList<FileItemPtr> files = m_files;
    for (const FileItemPtr& file : files)
        block(file);
}

void FileGroup::sortWithLocations(const QStringList& locationPaths, qint64 preferringFiles)
{
    // The location index is worked out once per file; a file under no location gets NotFound, which must
    // sort after every real index.
    struct Entry {
        quint64 locationRank;
        FileItemPtr file;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(m_files.size()));
    for (const FileItemPtr& file : std::as_const(m_files)) {
        // The first location the path starts with, as indexOfContainingDirectoryInLocationArray() finds it,
        // without composing the path.
        const auto location = std::find_if(locationPaths.cbegin(), locationPaths.cend(),
            [&file](const QString& path) { return file->nameStartsWith(path); });
        entries.push_back({location == locationPaths.cend() ? std::numeric_limits<quint64>::max()
                                                            : static_cast<quint64>(location - locationPaths.cbegin()),
            file});
    }
    const QList<FileSortDescriptor> descriptors = FileItem::sortDescriptors(preferringFiles == 0);
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& left, const Entry& right) {
        if (left.locationRank != right.locationRank)
            return left.locationRank < right.locationRank;
        return compareWithDescriptors(descriptors, *left.file, *right.file) < 0;
    });
    for (qsizetype position = 0; position < m_files.size(); ++position)
        m_files[position] = std::move(entries[static_cast<size_t>(position)].file);
}

void FileGroup::sortWithLocations(const QList<LocationItemPtr>& locations, qint64 preferringFiles)
{
    sortWithLocations(locationPaths(locations), preferringFiles);
}

qsizetype FileGroup::indexOfFileWithName(const QString& path) const
{
    const QList<FileItemPtr> files = m_files;
    const auto found = std::find_if(files.cbegin(), files.cend(),
        [&](const FileItemPtr& file) { return file->name() == path; });
    return found == files.cend() ? NotFound : found - files.cbegin();
}

qsizetype FileGroup::selectedFileIndexAfterRemovingFile(const FileItemPtr& file) const
{
    const qsizetype position = m_files.indexOf(file);
    if (position < 0)
        return NotFound;
    return position == 0 ? 0 : position - 1;
}

QString FileGroup::description() const
{
    QStringList lines;
    for (const FileItemPtr& file : m_files)
        lines.append(QStringLiteral("    ") + file->description());
    return QStringLiteral("(\n") + lines.join(QStringLiteral(",\n")) + QStringLiteral("\n)");
}

} // namespace pairsift
