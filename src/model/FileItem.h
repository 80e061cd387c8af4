#pragma once

#include "model/FileId.h"
#include "model/FileItemFolder.h"
#include "model/FileItemName.h"
#include "model/FileSortDescriptor.h"
#include "model/Sha1Digest.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

class QIcon;
class QImage;

namespace pairsift {

struct FileAttributes;
class FileItem;
class LocationFolders;
struct OpenedContent;
using FileItemPtr = std::shared_ptr<FileItem>;

// Called on the hashing thread after every 256 KiB chunk with the bytes hashed so far, the item's
// totalSize and a stop flag (false on entry); setting the flag ends the read after this chunk.
using HashProgressBlock = std::function<void(quint64 bytesDone, quint64 bytesTotal, bool* stop)>;

// The record of one scanned file that every subsystem passes around. Identity is the object itself
// (compare FileItemPtr values), never the path. No lock: hashing (on the processing queue) writes only
// the SHA-1, while the main thread may read the display properties.
class FileItem {
public:
    // Bits of the fillAttributes() mask.
    static constexpr quint64 AttributeSize = 1;
    static constexpr quint64 AttributeCreationDate = 2;
    static constexpr quint64 AllAttributes = AttributeSize | AttributeCreationDate;

    // Bytes per read of both digests: a stop takes effect within one chunk.
    static constexpr qsizetype ChunkSize = 262144;

    explicit FileItem(const QString& name);
    // A path in its file-system bytes, as the store keeps it, and where its folder may be found first.
    struct EncodedName {
        QByteArrayView bytes;
        FileItemFolder::Cache* folders = nullptr;
    };
    // The item of the path these bytes decode to, made from the bytes themselves where decoding gives
    // them back.
    explicit FileItem(EncodedName name);
    ~FileItem();
    static FileItemPtr create(const QString& name) { return std::make_shared<FileItem>(name); }
    static FileItemPtr create(EncodedName name) { return std::make_shared<FileItem>(name); }

    FileItem(const FileItem&) = delete;
    FileItem& operator=(const FileItem&) = delete;

    // A new item with every stored property of this one (the icon is computed, so it follows).
    FileItemPtr copy() const;

    // The full path: the file's identity throughout the program and the store's key. Kept as the folder,
    // shared with the other files in it, and the file's own name; composed on every call, so frequent
    // readers use the parts below.
    QString name() const;
    void setName(const QString& name);
    // The text before the last separator; a null handle for a path without one.
    const FileItemFolder& folder() const { return m_folder; }
    // The last path component, as the preview's title and the group's file name show it.
    QString baseName() const;
    // name() as the file-system bytes the store keeps.
    QByteArray encodedName() const;
    // name().startsWith(prefix), without composing the path.
    bool nameStartsWith(const QString& prefix) const;

    // The kept copy's path this file is to be replaced by a link to; null when none.
    const QString& remainingFileName() const;
    void setRemainingFileName(const QString& path);

    // Null when unknown. Kept with millisecond precision.
    QDateTime dateCreated() const;
    void setDateCreated(const QDateTime& date);

    // The 20-byte digest of the content; null when unknown, failed or stopped before the end.
    QByteArray sha1() const;
    // Anything but 20 bytes (a null value included) leaves the item without a digest.
    void setSha1(const QByteArray& digest);
    const std::optional<Sha1Digest>& sha1Digest() const { return m_sha1; }

    bool markedForRemoval() const { return m_markedForRemoval; }
    void setMarkedForRemoval(bool marked) { m_markedForRemoval = marked; }

    quint64 totalSize() const { return m_totalSize; }
    void setTotalSize(quint64 size) { m_totalSize = size; }

    // The (device, inode) counting found at name(); the digests read only that file. Nothing for an
    // item that was not counted.
    std::optional<FileId> fileId() const;
    void setFileId(const std::optional<FileId>& id) { m_fileId = id.value_or(FileId{}); }

    // "directory", "iPhoto", "Aperture" or null (unknown). Stored once per distinct value.
    const QString& containerType() const;
    void setContainerType(const QString& type);
    // The scanned location (for library files the library package). Stored once per distinct value.
    const QString& containerPath() const;
    void setContainerPath(const QString& path);
    // Both container values of `other`, without looking them up again.
    void setContainerOf(const FileItem& other);

    bool isApertureFile() const;
    bool isiPhotoFile() const;
    bool isRegularFile() const;

    // Reads size (AttributeSize) and creation date (AttributeCreationDate: birth time where the file
    // system records one, else the modification time) of the item at name() without following a final
    // symbolic link. Nothing happens for a mask without either bit. When the attributes cannot be read the
    // size becomes 0 and the date null, and nothing is answered; otherwise the file's identity, which
    // the item also keeps as fileId().
    std::optional<FileId> fillAttributes(quint64 mask);
    // Size, creation date and identity from attributes read elsewhere (the walk reads them relative to
    // the folder).
    void setAttributes(const FileAttributes& attributes);

    // The first bytes of the file, at most `length`; null when the file cannot be opened or read.
    QByteArray readHead(quint64 length) const;

    // Both digests: synchronous on the caller's thread; they read only the file counting recorded (see
    // FileChunkReader: fileId() and totalSize(), opened below containerPath() without following a link),
    // anything else failing like a read error. `folders`, when given, holds the location's open folder.
    // An open or read failure is written to the console log with its reason, never raised, and the file
    // is always closed. A stopped read gives an unfinished MurmurHash value (callers discard it) and
    // leaves the SHA-1 null unless the last chunk was already read.
    // The MurmurHash3 (seed 0) of the content, finalised with totalSize(); nothing on failure. Every
    // value, 0 included, is a valid hash.
    std::optional<quint32> computeMurmurHash(
        const HashProgressBlock& progress = {}, const LocationFolders* folders = nullptr) const;
    // Sets sha1() to the digest of the content, or leaves it null.
    void computeSHA1(const HashProgressBlock& progress = {});
    // The digest computeSHA1() would set, without touching the item: safe on a helper thread.
    std::optional<Sha1Digest> contentSHA1(
        const HashProgressBlock& progress = {}, const LocationFolders* folders = nullptr) const;
    // The same over a file opened elsewhere, which must be the recorded one; the descriptor is closed.
    std::optional<Sha1Digest> contentSHA1(const OpenedContent& content, const HashProgressBlock& progress) const;

    // The localized type description of a path ("" when it cannot be found); kind() for name().
    static QString fileKindWithPathName(const QString& path);
    QString kind() const;
    // The theme icon of name() for a plain-folder file, else of containerPath(); computed on every call.
    QIcon icon() const;
    // A 96 × 96 preview; null until one is made. Safe to read while another thread fills it.
    QImage preview() const;
    void setPreview(const QImage& preview);
    // Sets preview() to the file's picture in 96 × 96, dressed as an icon, or to its workspace icon when
    // it is no picture, and answers true; false, and nothing changes, when neither can be had. Any thread
    // but the main one should call it (see imageWithPreviewOfFileAtPath()).
    bool fillPreview();
    // totalSize() as display text.
    QString sizeString() const;

    QString description() const;
    QString debugDescription() const;

    QUrl previewItemURL() const;
    QString previewItemTitle() const;

    // Plain string order of name(); reverseCompare() is the descending one.
    int compare(const FileItem& other) const;
    int reverseCompare(const FileItem& other) const;

    // The file-level keys of the keep rule: creation date and copy number in the given direction, then
    // the copy-aware path order, always in its own direction.
    static QList<FileSortDescriptor> sortDescriptors(bool ascending);
    // A stable sort by sortDescriptors(ascending).
    static QList<FileItemPtr> sorted(const QList<FileItemPtr>& files, bool ascending);

private:
    static constexpr qint64 NoDate = std::numeric_limits<qint64>::min();

    // What few items ever get, kept apart so a large scan's items stay small.
    struct Extras {
        QString remainingFileName;
        // A path the parts cannot give back exactly (null, or not expressible in UTF-8).
        std::optional<QString> exactName;
        std::atomic<std::shared_ptr<const QImage>> preview;
    };
    // Made on first use by whichever thread gets there first.
    Extras& extras() const;

    // The copy-aware order of name(), the keep rule's last key.
    static int compareCopyAware(const FileItem& left, const FileItem& right);
    bool hasExactName() const;

    FileItemFolder m_folder;
    FileItemName m_baseName;
    mutable std::atomic<Extras*> m_extras{nullptr};
    qint64 m_dateCreated = NoDate;
    quint64 m_totalSize = 0;
    // Inode 0 names no file: the item was not counted. Kept plain to save the flag's padding.
    FileId m_fileId;
    const QString* m_containerType = nullptr;
    const QString* m_containerPath = nullptr;
    std::optional<Sha1Digest> m_sha1;
    bool m_markedForRemoval = false;
};

} // namespace pairsift
