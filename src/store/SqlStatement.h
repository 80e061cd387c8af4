#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace pairsift {

// Owns one prepared statement for the life of the connection. Finalizing is explicit so that the
// owner can report a failure; the destructor only finalizes what is still left, silently.
class SqlStatement {
public:
    SqlStatement() = default;
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // Prepares the whole text; answers SQLite's result code.
    int prepare(sqlite3* db, const char* sql);
    // Finalizes and forgets the statement; answers SQLite's result code (OK when nothing was prepared).
    int finalize();

    sqlite3_stmt* handle() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

// One use of a prepared statement: reset on entry and on exit, bindings cleared on exit. Bound bytes
// are kept by the use itself, so a temporary argument cannot dangle. The first failing bind becomes
// the result of step(), so callers check a single code. A use of a statement that was never prepared
// (a closed store) fails with SQLite's misuse code instead of reaching SQLite.
class SqlStatementUse {
public:
    explicit SqlStatementUse(const SqlStatement& statement);
    ~SqlStatementUse();
    SqlStatementUse(const SqlStatementUse&) = delete;
    SqlStatementUse& operator=(const SqlStatementUse&) = delete;

    // Parameters are numbered from 1. A null text binds NULL; a path is bound as its file-system bytes.
    void bindText(int index, const QString& text);
    void bindPath(int index, const QString& path);
    // A path already in its file-system bytes; null bytes bind NULL.
    void bindEncodedPath(int index, const QByteArray& bytes)
    {
        if (bytes.isNull())
            bindNull(index);
        else
            bindBytes(index, bytes, true);
    }
    // An empty digest binds NULL: no stored digest is empty.
    void bindBlob(int index, const QByteArray& bytes);
    void bindInt64(int index, std::int64_t value);

    // SQLite's step result (100 row, 101 done), or the code of the first bind that failed.
    int step();

    std::int64_t columnInt64(int column) const;
    // A null text for NULL.
    QString columnText(int column) const;
    // A null array for NULL or an empty value.
    QByteArray columnBlob(int column) const;
    // True where columnBlob() would answer a null array, without copying anything.
    bool columnIsEmpty(int column) const;

private:
    void bindNull(int index);
    void bindBytes(int index, const QByteArray& bytes, bool asText);

    // The statements of the store take at most five parameters.
    static constexpr int MaximumKeptParameters = 5;

    sqlite3_stmt* m_statement;
    int m_bindResult;
    std::array<QByteArray, MaximumKeptParameters> m_keptBytes;
};

} // namespace pairsift
