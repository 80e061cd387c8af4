#pragma once

#include "model/FileItem.h"
#include "model/NotFound.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace pairsift {

class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

class LocationItem;
using LocationItemPtr = std::shared_ptr<LocationItem>;

class FileGroup;
using FileGroupPtr = std::shared_ptr<FileGroup>;

// The files that share one SHA-1, in keep order once sorted: the first file is kept, every other one is
// a duplicate. Used on the main thread only; the loops that may run while marks change work on a
// snapshot of the files.
class FileGroup {
public:
    FileGroup() = default;
    explicit FileGroup(QList<FileItemPtr> files) : m_files(std::move(files)) {}

    const QList<FileItemPtr>& files() const { return m_files; }
    void setFiles(QList<FileItemPtr> files) { m_files = std::move(files); }
    const SOLoggerPtr& logger() const { return m_logger; }
    void setLogger(SOLoggerPtr logger) { m_logger = std::move(logger); }

    quint64 count() const { return static_cast<quint64>(m_files.size()); }
    // The kept file; null for an empty group.
    FileItemPtr head() const;
    // Every file but the first, in order (empty for an empty group).
    QList<FileItemPtr> tail() const;
    // Null when the index is not below count().
    FileItemPtr fileAtIndex(quint64 index) const;

    // Of head(); all files share the content, so head() stands for every file.
    QByteArray sha1() const;
    QString fileName() const;
    quint64 fileSize() const;

    quint64 markedCount() const;
    quint64 totalSize() const;
    quint64 markedSize() const;
    // (count − 1) × size, in double; 0 for an empty group.
    double wastedSpace() const;
    // Every file marked: staging leaves such a group alone.
    bool shouldIgnore() const;
    QList<FileItemPtr> selectedFiles() const;
    // The first unmarked file; null when every file is marked.
    FileItemPtr remainingFile() const;

    // Appends without any check (digest, duplicates).
    void addFile(const FileItemPtr& file);
    void markAllFiles(bool marked);
    // Sets the file's mark; the file is not looked up in the group.
    void markFile(const FileItemPtr& file, bool selected);
    // Marks every file but the first; the first file's mark is left alone.
    void selectDuplicates();
    // Gives each marked plain-folder file the remaining file's path as its link target.
    void populateFilesWithRemainingFile();
    // The same for files staged by hand: each plain-folder file of `staged` gets the group's first file
    // outside `staged` as its link target; nothing when every file is staged.
    void recordKeptCopy(const QList<FileItemPtr>& staged) const;
    void enumerateFilesUsingBlock(const std::function<void(const FileItemPtr&)>& block) const;

    // The keep rule: location order (the first listed location whose path prefixes the file's path; files
    // under none come last), then creation date, copy number and copy-aware path order. A prefer value of
    // 0 keeps older files and lower copy numbers first, any other value newer ones and higher numbers.
    // Files that tie on every key keep their order.
    void sortWithLocations(const QStringList& locationPaths, qint64 preferringFiles);
    void sortWithLocations(const QList<LocationItemPtr>& locations, qint64 preferringFiles);

    // The position of the first file whose name() equals the path; NotFound when none.
    qsizetype indexOfFileWithName(const QString& path) const;
    // The position the results list selects once this very file is taken out: one before it, 0 for the
    // first file, NotFound when the object is not in the group.
    qsizetype selectedFileIndexAfterRemovingFile(const FileItemPtr& file) const;

    QString description() const;

private:
    QList<FileItemPtr> m_files;
    SOLoggerPtr m_logger;
};

} // namespace pairsift
