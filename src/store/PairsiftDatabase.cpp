#include "store/PairsiftDatabase.h"

#include "platform/ConsoleLog.h"
#include "platform/MainQueue.h"

#include <QFile>

#include <sqlite3.h>

#include <algorithm>

namespace pairsift {

namespace {

struct SchemaStep {
    const char* sql;
    const char* failureFormat;
};

// Run at every open, in this order.
constexpr std::array<SchemaStep, 6> schemaSteps = {{
    {"CREATE TABLE IF NOT EXISTS Properties (Key TEXT UNIQUE PRIMARY KEY, Value TEXT);",
        "Error creating Properties table: %s"},
    {"CREATE TABLE IF NOT EXISTS Files (Name TEXT UNIQUE PRIMARY KEY,Size INTEGER,CreationDate INTEGER,SHA1 BLOB,"
     "IsDeleted INTEGER NOT NULL DEFAULT 0,LinkTarget TEXT,ContainerType TEXT,ContainerPath TEXT);",
        "Error creating Files table: %s"},
    {"CREATE INDEX IF NOT EXISTS FilesSHA1Index ON Files (SHA1);", "Error creating Files(SHA1) index: %s"},
    {"CREATE INDEX IF NOT EXISTS FilesSizeIndex ON Files (Size);", "Error creating Files(Size) index: %s"},
    {"CREATE TABLE IF NOT EXISTS ExpandedGroups (SHA1 BLOB);", "Error creating ExpandedGroups table: %s"},
    {"CREATE INDEX IF NOT EXISTS ExpandedGroupsSHA1Index ON ExpandedGroups (SHA1);",
        "Error creating ExpandedGroups(SHA1) index: %s"},
}};

struct StatementText {
    const char* sql;
    const char* creationFailureFormat;
    const char* finalizationFailureFormat;
};

// Prepared at open and finalized at close in this order; indexed by PairsiftDatabase::Statement.
constexpr std::array<StatementText, 14> statementTexts = {{
    {"INSERT OR IGNORE INTO Files (Name, Size, CreationDate, ContainerType, ContainerPath) VALUES (?, ?, ?, ?, ?);",
        "Error creating add file statement: %s", "Error finalizing add file statement: %s"},
    {"UPDATE Files SET IsDeleted = 1 WHERE Name = ?;", "Error creating trash file statement: %s",
        "Error finalizing trash file statement: %s"},
    {"UPDATE Files SET LinkTarget = ? WHERE Name = ?;", "Error creating update-link-target statement: %s",
        "Error finalizing update-link-target statement: %s"},
    {"UPDATE Files SET SHA1 = ? WHERE Name = ?;", "Error creating update-file-hash statement: %s",
        "Error finalizing update hash statement: %s"},
    {"SELECT * FROM Files WHERE IsDeleted = 0 AND Name IS NOT NULL;", "Error creating fetch files statement: %s",
        "Error finalizing fetch files statement: %s"},
    {"SELECT Name, Size, CreationDate, SHA1, LinkTarget, ContainerType, ContainerPath FROM Files "
     "WHERE IsDeleted = 1 AND Name IS NOT NULL;",
        "Error creating fetch deleted files statement: %s", "Error finalizing fetch deleted files statement: %s"},
    {"SELECT count(Size), sum(Size) FROM Files WHERE IsDeleted = 1;", "Error creating trash info statement: %s",
        "Error finalizing trash info statement: %s"},
    {"DELETE FROM Files WHERE Name = ?;", "Error creating delete file statement: %s",
        "Error finalizing delete file statement: %s"},
    {"UPDATE Files SET IsDeleted = 0 WHERE Name = ?;", "Error creating restore file statement: %s",
        "Error finalizing restore file statement: %s"},
    {"SELECT count(*) FROM Files WHERE SHA1 = ? and IsDeleted = 0;", "Error creating count-files-by-hash statement: %s",
        "Error finalizing count-files-by-hash statement: %s"},
    {"INSERT OR IGNORE INTO ExpandedGroups (SHA1) VALUES (?);", "Error creating add-expanded-group statement: %s",
        "Error finalizing add-expanded-group statement: %s"},
    {"DELETE FROM ExpandedGroups WHERE SHA1 = ?;", "Error creating remove-expanded-group statement: %s",
        "Error finalizing remove-expanded-group statement: %s"},
    {"SELECT count(SHA1) FROM ExpandedGroups WHERE SHA1 = ?;", "Error creating check-expanded-group statement: %s",
        "Error finalizing check-expanded-group statement: %s"},
    {"SELECT * FROM ExpandedGroups;", "Error creating fetch-expanded-groups statement: %s",
        "Error finalizing fetch-expanded-groups statement: %s"},
}};

} // namespace

std::unique_ptr<PairsiftDatabase> PairsiftDatabase::databaseWithPath(const QString& path, QString* failureReason)
{
    std::unique_ptr<PairsiftDatabase> database(new PairsiftDatabase);
    QString reason;
    if (!database->initWithPath(path, &reason)) {
        if (failureReason)
            *failureReason = reason;
        return nullptr;
    }
    return database;
}

PairsiftDatabase::~PairsiftDatabase()
{
    close();
}

bool PairsiftDatabase::initWithPath(const QString& path, QString* failureReason)
{
    constexpr int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    static_assert(flags == 0x10006);
    const int result = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (result != SQLITE_OK) {
        *failureReason = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(result));
        logFailure("Error opening database '%@': %@", path, *failureReason);
        // A failed open may still hand back a connection object, which must be released.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    configureConnection();
    // A store with damaged pages opens without a word and fails later, half-way through a scan.
    QString problems;
    if (passesQuickCheck(&problems) && initSchema() && setupStatements())
        return true;
    *failureReason = problems.isEmpty() ? lastMessage() : problems;
    close();
    return false;
}

bool PairsiftDatabase::passesQuickCheck(QString* problems)
{
    SqlStatement check;
    if (check.prepare(m_db, "PRAGMA quick_check;") != SQLITE_OK) {
        logFailure("Error checking database: %s", lastMessage());
        return false;
    }
    SqlStatementUse use(check);
    QStringList found;
    int result = SQLITE_ROW;
    // SQLite lists up to 100 problems; the first few say enough.
    while (found.size() < 3 && (result = use.step()) == SQLITE_ROW) {
        const QString line = use.columnText(0);
        if (line != QLatin1String("ok"))
            found.append(line);
    }
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
        logFailure("Error checking database: %s", lastMessage());
        return false;
    }
    if (found.isEmpty())
        return true;
    *problems = found.join(QLatin1Char('\n'));
    logFailure("Database check failed: %@", *problems);
    return false;
}

// The rollback journal with full sync: the data folder may sit on a network home, where the shared
// memory of write-ahead logging is unsafe. A store an earlier version left in that mode is converted back
// (which needs no other connection to be open). Speed comes from batching writes in transactions.
// Where a setting does not take, the store still works; the line says why.
void PairsiftDatabase::configureConnection()
{
    execute("PRAGMA journal_mode = DELETE;", "Error configuring database: %s");
    execute("PRAGMA synchronous = FULL;", "Error configuring database: %s");
    // 12 MiB of pages: the scan's transaction spills to the file in 12 MiB steps instead of every 2 MiB.
    // More keeps a rescan a little faster but costs every large scan its memory; less slows the rescan.
    execute("PRAGMA cache_size = -12288;", "Error configuring database: %s");
}

// One transaction: a new store is made whole or not at all, with one disk synchronisation instead of one
// per table; an existing store writes nothing.
bool PairsiftDatabase::initSchema()
{
    if (!execute("BEGIN TRANSACTION;", "Error starting transaction: %s"))
        return false;
    const bool isMade = std::all_of(schemaSteps.begin(), schemaSteps.end(),
                            [this](const SchemaStep& step) { return execute(step.sql, step.failureFormat); })
        && settleVersionRow();
    // On failure the caller takes SQLite's message and closes the store, which rolls back what was made.
    return isMade && execute("COMMIT TRANSACTION;", "Error committing transaction: %s");
}

// Any non-zero version is accepted as it is; a missing row is written. A row that reads as 0 stays in
// the way of the insert (unique key), so such a store cannot be opened.
bool PairsiftDatabase::settleVersionRow()
{
    SqlStatement query;
    if (query.prepare(m_db, "SELECT Value FROM Properties WHERE Key = 'Version';") != SQLITE_OK) {
        logFailure("Error preparing to get database version: %s", lastMessage());
        return false;
    }
    bool hasVersion = false;
    {
        SqlStatementUse use(query);
        hasVersion = use.step() == SQLITE_ROW && use.columnInt64(0) != 0;
    }
    if (hasVersion)
        return true;
    return execute("INSERT INTO Properties (Key, Value) VALUES ('Version', 2);", "Error setting database version: %s");
}

bool PairsiftDatabase::setupStatements()
{
    static_assert(statementTexts.size() == StatementCount);
    for (int which = 0; which < StatementCount; ++which) {
        const StatementText& text = statementTexts[static_cast<std::size_t>(which)];
        // The caller closes the store, once it has taken SQLite's message.
        if (m_statements[static_cast<std::size_t>(which)].prepare(m_db, text.sql) != SQLITE_OK) {
            logFailure(text.creationFailureFormat, lastMessage());
            return false;
        }
    }
    return true;
}

void PairsiftDatabase::destroyStatements()
{
    for (int which = 0; which < StatementCount; ++which) {
        if (m_statements[static_cast<std::size_t>(which)].finalize() != SQLITE_OK)
            consoleLog(statementTexts[static_cast<std::size_t>(which)].finalizationFailureFormat, lastMessage());
    }
}

void PairsiftDatabase::close()
{
    if (!m_db)
        return;
    destroyStatements();
    // Unlike the plain close, this one cannot leave the connection behind half-open: should a
    // statement outside this class still be alive, the connection goes when that statement does.
    if (sqlite3_close_v2(m_db) != SQLITE_OK)
        consoleLog("Error closing database: %s", lastMessage());
    m_db = nullptr;
}

bool PairsiftDatabase::beginTransaction()
{
    if (!execute("BEGIN EXCLUSIVE TRANSACTION;", "Error starting transaction: %s"))
        return false;
    // Only a run's transaction, begun on its worker, binds the other threads.
    m_transactionThread = isMainThread() ? std::thread::id() : std::this_thread::get_id();
    return true;
}

bool PairsiftDatabase::commit()
{
    const bool isCommitted = execute("COMMIT TRANSACTION;", "Error committing transaction: %s");
    // Some failures (a disk I/O error among them) end the transaction too, rolled back: nobody owns it then.
    if (isCommitted || sqlite3_get_autocommit(m_db))
        m_transactionThread = std::thread::id();
    return isCommitted;
}

bool PairsiftDatabase::rollback()
{
    const bool isRolledBack = execute("ROLLBACK TRANSACTION;", "Error rolling back transaction: %s");
    // A failed rollback leaves no transaction the caller could still end.
    m_transactionThread = std::thread::id();
    return isRolledBack;
}

const SqlStatement& PairsiftDatabase::statement(Statement which) const
{
    const SqlStatement& chosen = m_statements[which];
    Q_ASSERT_X(!chosen.handle() || sqlite3_stmt_readonly(chosen.handle()) || isWriterThread(), "PairsiftDatabase",
        "a write from a thread other than the run whose transaction is open");
    return chosen;
}

bool PairsiftDatabase::isWriterThread() const
{
    const std::thread::id owner = m_transactionThread;
    return owner == std::thread::id() || owner == std::this_thread::get_id() || !isInTransaction();
}

QString PairsiftDatabase::path() const
{
    const char* file = m_db ? sqlite3_db_filename(m_db, "main") : nullptr;
    return file ? QFile::decodeName(file) : QString();
}

bool PairsiftDatabase::isInTransaction() const
{
    std::thread::id owner = m_transactionThread;
    if (m_db && sqlite3_get_autocommit(m_db) == 0)
        return true;
    // SQLite ends a transaction itself on some failures (a full disk): its run owns nothing any more. Only
    // the owner read before the check is cleared, so another run's transaction begun meanwhile keeps its own.
    m_transactionThread.compare_exchange_strong(owner, std::thread::id());
    return false;
}

Error PairsiftDatabase::errorWithCode(int code, const QString& message) const
{
    return Error{QStringLiteral("SQLite"), code, message, lastMessage()};
}

bool PairsiftDatabase::execute(const char* sql, const char* failureFormat)
{
    Q_ASSERT_X(isWriterThread(), "PairsiftDatabase",
        "a write from a thread other than the run whose transaction is open");
    char* message = nullptr;
    const int result = m_db ? sqlite3_exec(m_db, sql, nullptr, nullptr, &message) : SQLITE_MISUSE;
    if (result == SQLITE_OK)
        return true;
    logFailure(failureFormat, message ? message : sqlite3_errstr(result));
    sqlite3_free(message);
    return false;
}

void PairsiftDatabase::noteFailure(const QString& line) const
{
    consoleLogText(line);
    keepFailure(line);
}

void PairsiftDatabase::keepFailure(const QString& text) const
{
    std::lock_guard lock(m_failureMutex);
    m_lastFailure = text;
}

QString PairsiftDatabase::lastFailure() const
{
    std::lock_guard lock(m_failureMutex);
    return m_lastFailure;
}

int PairsiftDatabase::changedRows() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

QString PairsiftDatabase::lastMessage() const
{
    if (!m_db)
        return QString::fromUtf8(sqlite3_errstr(SQLITE_MISUSE));
    // The text belongs to the shared connection: a failing call on another thread may free it, so it is
    // copied while holding the connection's own (recursive) mutex.
    sqlite3_mutex* mutex = sqlite3_db_mutex(m_db);
    sqlite3_mutex_enter(mutex);
    QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_mutex_leave(mutex);
    return message;
}

bool PairsiftDatabase::stepExpecting(SqlStatementUse& use, int expected, Error* error, const char* message) const
{
    const int result = use.step();
    if (result == expected)
        return true;
    const Error failure = errorWithCode(result, QString::fromUtf8(message));
    keepFailure(failure.message());
    if (error)
        *error = failure;
    return false;
}

} // namespace pairsift
