#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace pairsift::test {

RawConnection::RawConnection(const QString& path)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        ADD_FAILURE() << "cannot open " << path.toStdString() << ": " << sqlite3_errmsg(m_db);
}

RawConnection::~RawConnection()
{
    sqlite3_close_v2(m_db);
}

void RawConnection::execute(const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
        ADD_FAILURE() << sql.toStdString() << ": " << (message ? message : "?");
    sqlite3_free(message);
}

QStringList RawConnection::column(const QString& sql)
{
    QStringList values;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(m_db);
        return values;
    }
    int result = SQLITE_OK;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        values.append(text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, 0)) : QString());
    }
    if (result != SQLITE_DONE)
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(m_db);
    sqlite3_finalize(statement);
    return values;
}

QString RawConnection::text(const QString& sql)
{
    const QStringList values = column(sql);
    if (values.isEmpty()) {
        ADD_FAILURE() << "no row from " << sql.toStdString();
        return {};
    }
    return values.first();
}

long long RawConnection::integer(const QString& sql)
{
    return text(sql).toLongLong();
}

StoreFixtureBase::StoreFixtureBase()
    : m_store(PairsiftDatabase::databaseWithPath(storePath()))
{
    if (!m_store)
        ADD_FAILURE() << "cannot open the store at " << storePath().toStdString();
}

RawConnection& StoreFixtureBase::raw()
{
    if (!m_raw)
        m_raw = std::make_unique<RawConnection>(storePath());
    return *m_raw;
}

} // namespace pairsift::test
