#include "photolibs/HVRApertureDatabase.h"

#include <sqlite3.h>

namespace pairsift {

namespace {

const char* const getUUIDsByMasterPathSQL
    = "SELECT uuid FROM RKVersion WHERE masterUuid=(SELECT uuid FROM RKMaster WHERE imagePath=?)";

// The library path without trailing "/" (the root keeps its one "/").
QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

HVRApertureDatabase::HVRApertureDatabase(QString libraryPath) : m_libraryPath(std::move(libraryPath)) { }

HVRApertureDatabase::~HVRApertureDatabase()
{
    close();
}

bool HVRApertureDatabase::open()
{
    if (m_database)
        return true;
    const QByteArray path = (withoutTrailingSlash(m_libraryPath) + QStringLiteral("/Database/Library.apdb")).toUtf8();
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(path.constData(), &database, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr)
        != SQLITE_OK) {
        sqlite3_close(database); // the open may hand back a handle even when it fails
        return false;
    }
    m_database = database;
    if (sqlite3_prepare_v2(m_database, getUUIDsByMasterPathSQL, -1, &m_statementGetUUIDsByMasterPath, nullptr)
        != SQLITE_OK) {
        close();
        return false;
    }
    return true;
}

void HVRApertureDatabase::close()
{
    sqlite3_finalize(m_statementGetUUIDsByMasterPath);
    m_statementGetUUIDsByMasterPath = nullptr;
    sqlite3_close(m_database);
    m_database = nullptr;
}

std::optional<QStringList> HVRApertureDatabase::imageVersionUUIDsWithMasterImagePath(const QString& masterImagePath)
{
    const QString library = withoutTrailingSlash(m_libraryPath);
    if (library.isEmpty() || !masterImagePath.startsWith(library + QLatin1Char('/')))
        return std::nullopt;
    const QString mastersPrefix = library + QStringLiteral("/Masters/");
    const QString relativePath
        = masterImagePath.startsWith(mastersPrefix) ? masterImagePath.mid(mastersPrefix.size()) : masterImagePath;
    return queryVersionUUIDs(relativePath);
}

QStringList HVRApertureDatabase::imageVersionUUIDsWithMasterImageRelativePath(const QString& relativePath)
{
    return queryVersionUUIDs(relativePath).value_or(QStringList());
}

std::optional<QStringList> HVRApertureDatabase::queryVersionUUIDs(const QString& relativePath)
{
    QStringList uuids;
    if (!m_statementGetUUIDsByMasterPath)
        return uuids;
    sqlite3_stmt* statement = m_statementGetUUIDsByMasterPath;
    sqlite3_reset(statement);
    const QByteArray path = relativePath.toUtf8();
    if (sqlite3_bind_text(statement, 1, path.constData(), int(path.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        return std::nullopt;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        if (const auto* uuid = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)))
            uuids.append(QString::fromUtf8(uuid, sqlite3_column_bytes(statement, 0)));
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (step != SQLITE_DONE)
        return std::nullopt;
    return uuids;
}

} // namespace pairsift
