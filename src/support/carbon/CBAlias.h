#pragma once

#include "support/carbon/FileReference.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

class QDataStream;

namespace pairsift {

// A persistent reference to a file or folder that still finds it after it was moved within its folder
// or renamed (AliasRecord.h); it can be archived and written to and read from alias files (AliasFile.h).
// A value: copies share nothing. Resolving may rewrite the record and set `changed`.
class CBAlias {
public:
    // Bits of mountFlags().
    static constexpr quint64 noUserInteractionFlag = 1;
    static constexpr quint64 tryFileIDFirstFlag = 2;

    // The item at `url` (a file URL), relative to `fromURL` when that is a file URL of an existing item.
    static std::optional<CBAlias> aliasWithURL(const QUrl& url, const QUrl& fromURL = {});
    // `path` must exist, and so must `fromPath` when it is given.
    static std::optional<CBAlias> aliasWithPath(const QString& path, const QString& fromPath = {});
    // Non-empty record bytes of a valid record.
    static std::optional<CBAlias> aliasWithData(const QByteArray& data);
    static std::optional<CBAlias> aliasWithFSRef(const FileReference& reference);
    // The record in the "alis" 0 resource of an alias file.
    static std::optional<CBAlias> aliasWithContentsOfFile(const QString& path);
    static std::optional<CBAlias> aliasWithContentsOfURL(const QUrl& url);
    // The archive holds the record's bytes as one byte array.
    static std::optional<CBAlias> aliasWithCoder(QDataStream& stream);
    void encodeWithCoder(QDataStream& stream) const;
    // The record bytes for `url` (relative to `fromURL` when it names an item); null when it names none.
    static QByteArray createAliasRecordDataForURL(const QUrl& url, const QUrl& fromURL);

    quint64 mountFlags() const { return m_mountFlags; }
    bool allowUserInteraction() const { return !(m_mountFlags & noUserInteractionFlag); }
    void setAllowUserInteraction(bool allow);
    bool tryFileIDFirst() const { return m_mountFlags & tryFileIDFirstFlag; }
    void setTryFileIDFirst(bool tryFirst);

    bool getFSRef(FileReference* reference) const;
    QUrl URL() const;
    QUrl url() const { return URL(); }
    QString path() const;
    bool changed() const { return m_changed; }
    QString displayName() const;
    QString lastKnownPath() const;
    QString lastKnownName() const;
    QString lastKnownVolumeName() const;
    // The alias of the end of the chain when the item is an alias file or link (`isResolved` true), the
    // receiver when it is not (true) or when anything fails (false).
    CBAlias resolveIfIsAliasFile(bool* isResolved = nullptr) const;

    bool setURL(const QUrl& url, const QUrl& fromURL = {});
    // A base that does not exist is ignored: the update is absolute.
    bool setPath(const QString& path, const QString& fromPath = {});

    bool isEqualToAlias(const CBAlias& other) const;
    static bool isAliasCollectionResolvable(const QList<CBAlias>& aliases);
    // Same count and a one-to-one pairing of equal aliases, so the answer does not depend on the order
    // of the arguments.
    static bool isAliasCollection(const QList<CBAlias>& first, const QList<CBAlias>& second);
    static QList<CBAlias> arrayOfAliasesFromArrayOfData(const QList<QByteArray>& data);
    static QList<QByteArray> arrayOfDataFromArrayOfAliases(const QList<CBAlias>& aliases);

    QByteArray data() const { return m_record; }
    QString description() const { return path(); }
    QString debugDescription() const;

    // Writes an alias file at `url` to the receiver's item. An existing file is replaced only when it is
    // an alias file; a file made here is removed again on failure. True only when the record resource,
    // the fork's close and the Finder flags all succeed. An icon that does not fit the file's attribute
    // is left out, and the file is written as a plain alias.
    bool writeToURL(const QUrl& url, bool includeCustomIcon = true) const;
    bool writeToFile(const QString& path, bool includeCustomIcon = true) const;

private:
    explicit CBAlias(QByteArray record) : m_record(std::move(record)) {}

    // The record's bytes; they change when resolving finds the item elsewhere.
    mutable QByteArray m_record;
    mutable bool m_changed = false;
    quint64 m_mountFlags = noUserInteractionFlag;
};

} // namespace pairsift
