#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace pairsift {

// Reads an Aperture library's own database "<library>/Database/Library.apdb", read-only, to find the
// image versions of a master image file found by the scan. Nothing is ever written to it.
//
// One object per library and run, used by one thread at a time (the connection is full-mutex anyway).
class HVRApertureDatabase {
public:
    // Keeps the path; nothing is opened.
    explicit HVRApertureDatabase(QString libraryPath);
    // Closes.
    ~HVRApertureDatabase();

    HVRApertureDatabase(const HVRApertureDatabase&) = delete;
    HVRApertureDatabase& operator=(const HVRApertureDatabase&) = delete;

    const QString& libraryPath() const { return m_libraryPath; }

    // Opens the database read-only and prepares the version query. Already open: true. False (and closed)
    // when the file cannot be opened or the query cannot be prepared; the caller reports it.
    bool open();
    // Releases the query and the connection; a second call does nothing.
    void close();
    bool isOpen() const { return m_database != nullptr; }

    // The identifiers of the versions of the master image at `masterImagePath`, a full path. Nothing when
    // the path is not inside the library (it must begin with the library path and "/") or the query fails
    // (a failure is never "no versions"); otherwise the library's "Masters/" prefix is removed once and the
    // rest is looked up as below.
    std::optional<QStringList> imageVersionUUIDsWithMasterImagePath(const QString& masterImagePath);
    // The identifiers of the versions of the master whose path relative to "Masters" is `relativePath`, in
    // the order the database yields them; rows without an identifier are skipped. Empty when there is no
    // such master, it has no versions, a step fails, or the database is not open.
    QStringList imageVersionUUIDsWithMasterImageRelativePath(const QString& relativePath);

private:
    // Nothing when binding or a step fails; empty when the database is not open.
    std::optional<QStringList> queryVersionUUIDs(const QString& relativePath);

    const QString m_libraryPath;
    sqlite3* m_database = nullptr;
    sqlite3_stmt* m_statementGetUUIDsByMasterPath = nullptr;
};

} // namespace pairsift
