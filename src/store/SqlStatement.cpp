#include "store/SqlStatement.h"

#include <QFile>

#include <sqlite3.h>

namespace pairsift {

SqlStatement::~SqlStatement()
{
    finalize();
}

int SqlStatement::prepare(sqlite3* db, const char* sql)
{
    finalize();
    return sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
}

int SqlStatement::finalize()
{
    const int result = sqlite3_finalize(m_statement);
    m_statement = nullptr;
    return result;
}

SqlStatementUse::SqlStatementUse(const SqlStatement& statement)
    : m_statement(statement.handle())
    , m_bindResult(m_statement ? SQLITE_OK : SQLITE_MISUSE)
{
    // The previous use already reset the statement; resetting again costs nothing and makes each use
    // independent of how the last one ended.
    sqlite3_reset(m_statement);
}

SqlStatementUse::~SqlStatementUse()
{
    if (!m_statement)
        return;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void SqlStatementUse::bindText(int index, const QString& text)
{
    if (text.isNull())
        bindNull(index);
    else
        bindBytes(index, text.toUtf8(), true);
}

void SqlStatementUse::bindPath(int index, const QString& path)
{
    if (path.isNull())
        bindNull(index);
    else
        bindBytes(index, QFile::encodeName(path), true);
}

void SqlStatementUse::bindBlob(int index, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        bindNull(index);
    else
        bindBytes(index, bytes, false);
}

void SqlStatementUse::bindInt64(int index, std::int64_t value)
{
    if (m_bindResult == SQLITE_OK)
        m_bindResult = sqlite3_bind_int64(m_statement, index, value);
}

void SqlStatementUse::bindNull(int index)
{
    if (m_bindResult == SQLITE_OK)
        m_bindResult = sqlite3_bind_null(m_statement, index);
}

// After a failed bind (or without a statement) nothing more is bound: step() reports that failure.
void SqlStatementUse::bindBytes(int index, const QByteArray& bytes, bool asText)
{
    if (m_bindResult != SQLITE_OK)
        return;
    // A kept copy shares the caller's bytes (no copy) and lives until the bindings are cleared.
    const bool isKept = index >= 1 && index <= MaximumKeptParameters;
    const char* data = bytes.constData();
    sqlite3_destructor_type lifetime = SQLITE_TRANSIENT;
    if (isKept) {
        m_keptBytes[static_cast<std::size_t>(index - 1)] = bytes;
        data = m_keptBytes[static_cast<std::size_t>(index - 1)].constData();
        lifetime = SQLITE_STATIC;
    }
    const auto length = static_cast<sqlite3_uint64>(bytes.size());
    m_bindResult = asText ? sqlite3_bind_text64(m_statement, index, data, length, lifetime, SQLITE_UTF8)
                          : sqlite3_bind_blob64(m_statement, index, data, length, lifetime);
}

int SqlStatementUse::step()
{
    if (m_bindResult != SQLITE_OK)
        return m_bindResult;
    return sqlite3_step(m_statement);
}

std::int64_t SqlStatementUse::columnInt64(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QString SqlStatementUse::columnText(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!text)
        return {};
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

bool SqlStatementUse::columnIsEmpty(int column) const
{
    return sqlite3_column_bytes(m_statement, column) <= 0;
}

QByteArray SqlStatementUse::columnBlob(int column) const
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
    const int length = sqlite3_column_bytes(m_statement, column);
    if (!bytes || length <= 0)
        return {};
    return QByteArray(bytes, length);
}

} // namespace pairsift
