#pragma once

#include "platform/Error.h"
#include "support/carbon/ForkWriterClaim.h"
#include "support/carbon/ResourceTypeEnumerator.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace pairsift {

struct Resource;
struct ResourceForkContents;

// The resource fork of one file, kept in its "user.com.apple.ResourceFork" attribute. Opening reads the
// whole fork into memory; changes are written back, in one replacement of the attribute, by closeFile().
// Folders have no fork. Not for use from several threads at once.
class CBResourceFork {
public:
    // The resource holding an item's custom icon family.
    static constexpr quint32 iconFamilyType = 0x69636E73; // "icns"
    static constexpr qint16 customIconId = -16455;

    // Open permissions; one with the 2 or 4 bit writes.
    enum Permission : qint8 { readPermission = 1, writePermission = 2, readWritePermission = 3, sharedReadWritePermission = 4 };

    // With a write permission the parent folder must exist and the name be at most 1024 characters; a
    // missing file is created, and a file without a fork gets an empty one at once (so a file system
    // without user attributes fails here, and a file made here is removed again). A fork that cannot be
    // read or is malformed fails, and so does a second open for writing of a file (device and inode)
    // while one is open: it would drop the first one's changes on close. Reading needs an existing file
    // with a fork and is never refused for another open.
    static std::unique_ptr<CBResourceFork> resourceForkForPermission(qint8 permission, const QString& path, Error* error = nullptr);
    static std::unique_ptr<CBResourceFork> resourceForkForPermission(qint8 permission, const QUrl& url, Error* error = nullptr);
    static std::unique_ptr<CBResourceFork> resourceForkForReadingAtURL(const QUrl& url, Error* error = nullptr);
    static std::unique_ptr<CBResourceFork> resourceForkForWritingAtURL(const QUrl& url, Error* error = nullptr);
    static std::unique_ptr<CBResourceFork> resourceForkForReadingAtPath(const QString& path, Error* error = nullptr);
    static std::unique_ptr<CBResourceFork> resourceForkForWritingAtPath(const QString& path, Error* error = nullptr);

    CBResourceFork(const CBResourceFork&) = delete;
    CBResourceFork& operator=(const CBResourceFork&) = delete;
    // A fork still open is closed, with a complaint on the console.
    ~CBResourceFork();

    // Greater than 0 while open.
    qint32 fileReference() const { return m_fileReference; }
    // Writes the changes (if any) and closes; false when they could not be written. Closing a closed
    // fork does nothing and succeeds.
    bool closeFile(Error* error = nullptr);

    std::optional<QByteArray> dataForType(quint32 type, qint16 id) const;
    std::optional<QByteArray> dataForType(quint32 type, const QString& name) const;
    // A resource that is not there counts as removed, whatever the permission.
    bool removeType(quint32 type, qint16 id);
    QString nameOfResourceType(quint32 type, qint16 id) const;
    bool getId(qint16* id, quint32 type, const QString& name) const;
    bool getAttributeFlags(qint16* flags, quint32 type, qint16 id) const;
    // Stores the flags less the changed (0x02) and purgeable (0x20) bits.
    bool setAttributeFlags(qint16 flags, quint32 type, qint16 id);

    // Adds or replaces (type, id); a null name gives the empty name. A replacement either happens
    // whole or leaves the old resource. On disk once the fork is closed.
    bool addData(const QByteArray& data, quint32 type, qint16 id, const QString& name);
    // The same with the smallest id from 128 up that the type does not use yet.
    bool addData(const QByteArray& data, quint32 type, const QString& name);

    // The fork's bytes as they are on disk; null when there are none.
    QByteArray dataForEntireResourceFork(Error* error = nullptr) const;
    // Replaces the whole fork on disk and takes its resources (none, when the bytes are no valid fork)
    // in place of those in memory, so that closing does not write the old ones back.
    bool writeEntireResourceFork(const QByteArray& data, Error* error = nullptr);

    ResourceTypeEnumerator resourceTypeEnumerator() const;
    QList<quint32> everyResourceType() const;

    // The custom icon family of an item (the "icns" resource -16455 of a file's own fork, or of the fork
    // of a folder's "Icon\r" file); null when it has none.
    static QByteArray iconFamilyDataForURL(const QUrl& url);
    static QByteArray iconFamilyDataForFile(const QString& path);

private:
    CBResourceFork(QString path, std::optional<ForkWriterClaim> writerClaim, ResourceForkContents contents);

    const Resource* find(quint32 type, qint16 id) const;
    const Resource* find(quint32 type, const QString& name) const;
    Resource* findMutable(quint32 type, qint16 id);
    bool canChange() const;

    QString m_path;
    // Held while a fork opened for writing is open.
    std::optional<ForkWriterClaim> m_writerClaim;
    qint32 m_fileReference = 0;
    bool m_changed = false;
    std::shared_ptr<ResourceForkContents> m_contents;
};

} // namespace pairsift
