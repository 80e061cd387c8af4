#pragma once

#include "platform/ConsoleLog.h"
#include "platform/Error.h"
#include "store/SqlStatement.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

struct sqlite3;

namespace pairsift {

// A live row: path, size, creation date, SHA-1 (null when none), container type and container path
// (null when none), stop flag.
using FileRowBlock = std::function<void(const QString& path, std::uint64_t size, const QDateTime& created,
    const QByteArray& sha1, const QString& containerType, const QString& containerPath, bool* stop)>;

// A live row as stored, for a reader that makes its own values from the bytes: the path and the container
// values are the stored text's bytes (a null view for NULL), the SHA-1 the stored bytes (null when none).
// The views are valid only during the block's call.
struct StoredFileRow {
    QByteArrayView path;
    std::uint64_t size = 0;
    QDateTime created;
    QByteArrayView sha1;
    QByteArrayView containerType;
    QByteArrayView containerPath;
};
using StoredFileRowBlock = std::function<void(const StoredFileRow& row)>;

// A staged row: as a live row, with the kept copy's path (null when none) before the container values.
using DeletedFileRowBlock = std::function<void(const QString& path, std::uint64_t size, const QDateTime& created,
    const QByteArray& sha1, const QString& linkTarget, const QString& containerType, const QString& containerPath,
    bool* stop)>;

// The program's file store: every file of the last scan with its size, creation date and SHA-1, the
// files staged for removal, and the expanded groups of the results list.
//
// One connection in SQLite's serialized mode is shared by the main thread and the worker queues; SQLite's
// mutex serialises each call and this class adds no lock. One operation must not run on two threads at
// once (each reuses its one prepared statement), and a transaction belongs to the connection, so
// statements from other threads while it is open run inside it. Failures are logged on the console or
// reported through the optional `Error` out-parameter; the answer never depends on whether one is passed.
//
// Who writes: while no transaction is open, one thread at a time (the main thread between runs). A run
// (counting on its queue, the comparison's digests on their writer thread) begins its transaction on its
// worker thread, and until that transaction is committed or rolled back only that thread writes or ends it;
// the main thread keeps its own writing commands disabled meanwhile. Debug builds assert this at every
// write while a run's transaction is open.
class PairsiftDatabase {
public:
    // Opens (creating when needed) the store at `path` and checks its pages (SQLite's quick check); null
    // after a console line when the file, the check, the schema or a statement fails, with SQLite's own
    // message in `failureReason` when given.
    static std::unique_ptr<PairsiftDatabase> databaseWithPath(const QString& path, QString* failureReason = nullptr);

    ~PairsiftDatabase();
    PairsiftDatabase(const PairsiftDatabase&) = delete;
    PairsiftDatabase& operator=(const PairsiftDatabase&) = delete;

    // The store's file; null once closed. Its journal is this path with "-journal" appended.
    QString path() const;

    // Finalizes the statements and closes the connection; a second call does nothing, and every
    // operation afterwards fails.
    void close();

    // Not nested: beginning while a transaction is open fails.
    bool beginTransaction();
    bool commit();
    bool rollback();
    // False once a transaction ended, by commit, rollback or SQLite itself (a full disk rolls it back);
    // the run that began it then no longer owns the connection.
    bool isInTransaction() const;

    // Domain "SQLite", the given SQLite result code and description, SQLite's current message beneath.
    Error errorWithCode(int code, const QString& message) const;
    // Any thread: the last failure the store logged or reported, with SQLite's message; a run that ends
    // because the store refused its work names this as the reason.
    QString lastFailure() const;

    // --- File rows ---

    // Keeps an existing row of the same path unchanged (and still answers true). The date is stored as
    // whole seconds since 1970, cut toward zero; an invalid date is stored as 0.
    bool addFile(const QString& name, std::uint64_t size, const QDateTime& created, const QString& containerType,
        const QString& containerPath);
    // The same with the path in its file-system bytes, as a scan's files hand it over.
    bool addEncodedFile(const QByteArray& name, std::uint64_t size, const QDateTime& created,
        const QString& containerType, const QString& containerPath);
    // Removes the live rows; staged rows stay for the removal sheet.
    bool pruneFilesBeforeScan();
    // An empty digest stores NULL.
    bool updateFile(const QString& path, const QByteArray& hash);
    // One row's new digest, its path in the file-system bytes the store keeps.
    struct EncodedDigest {
        QByteArray path;
        QByteArray hash;
    };
    // `count` digests, each asked of `digestAt` just before it is written so a large batch is never
    // composed whole, in one transaction of its own: all of them are stored, or none. A path without a row
    // fails the batch: the digest was expected to land on the scan's row.
    bool updateFiles(std::size_t count, const std::function<EncodedDigest(std::size_t)>& digestAt);
    bool pruneUniqueFiles();
    // Keeps only the rows whose path lies strictly below one of the folders (exact, case-sensitive
    // byte prefix "folder/"); an empty list removes every row, staged ones included.
    bool pruneFilesOutsidePaths(const QStringList& paths);

    // Rows in the store's natural order; the enumeration ends at the last row, at a stop or at a failed
    // step. True when it read every row or was stopped by the block; false after a failed step (a partial
    // read, logged). An empty block throws std::invalid_argument.
    bool enumerateFiles(const FileRowBlock& block);
    // The same over the live rows with a SHA-1 only: the others are passed over before any of their
    // values is converted.
    bool enumerateFilesWithDigest(const FileRowBlock& block);
    // The same rows as stored, with no stop: nothing is decoded or copied on the way.
    bool enumerateStoredFilesWithDigest(const StoredFileRowBlock& block);
    bool enumerateDeletedFiles(const DeletedFileRowBlock& block);

    // Stages the row of `path` and records the kept copy (a null text for none). Not a transaction of
    // its own; a path without a row changes nothing and answers true.
    bool trashFile(const QString& path, const QString& replaceWith, Error* error = nullptr);
    // trashFile() for a file the caller knows has a row: a path without one fails.
    bool stageFile(const QString& path, const QString& replaceWith, Error* error = nullptr);
    bool deleteFile(const QString& path, Error* error = nullptr);
    // Live rows with this digest, -1 on failure.
    int countFilesByHash(const QByteArray& hash, Error* error = nullptr);
    // Puts a staged row back among the live rows while live copies of its content remain, else deletes
    // the row (the file would be unique). Nothing on disk is touched.
    bool restoreFile(const QString& path, const QByteArray& hash, Error* error = nullptr);
    // Number and total size of the staged rows, written through the pointers that are not null; on
    // failure they are left untouched.
    bool getTrashFileCount(std::uint64_t* count, std::uint64_t* size, Error* error = nullptr);

    // --- Expanded groups ---

    bool addExpandedGroup(const QByteArray& hash, Error* error = nullptr);
    bool removeExpandedGroup(const QByteArray& hash, Error* error = nullptr);
    // False for an unknown digest and on failure (the error tells them apart).
    bool isGroupExpanded(const QByteArray& hash, Error* error = nullptr);
    // Replaces the table's contents in one transaction; after a failure it holds what it held before.
    bool saveExpandedGroups(const QList<QByteArray>& hashes);
    // In the table's natural order; empty on failure.
    QList<QByteArray> loadExpandedGroups();
    bool clearExpandedGroups();

private:
    enum Statement {
        AddFileStatement,
        TrashFileStatement,
        UpdateLinkTargetStatement,
        UpdateHashStatement,
        FetchFilesStatement,
        FetchDeletedFilesStatement,
        TrashInfoStatement,
        DeleteFileStatement,
        RestoreFileStatement,
        CountFilesByHashStatement,
        AddExpandedGroupStatement,
        RemoveExpandedGroupStatement,
        CheckExpandedGroupStatement,
        FetchExpandedGroupsStatement,
        StatementCount
    };

    PairsiftDatabase() = default;

    bool initWithPath(const QString& path, QString* failureReason);
    void configureConnection();
    // False when SQLite finds damaged pages; `problems` then has what it found (empty when the check
    // itself failed, whose message is the connection's).
    bool passesQuickCheck(QString* problems);
    bool initSchema();
    bool settleVersionRow();
    bool setupStatements();
    void destroyStatements();
    bool enumerateFileRows(const FileRowBlock& block, bool withDigestOnly);
    // Steps the live rows, handing each (with a SHA-1 only, when asked) to `readRow(use, &stop)`.
    template <typename RowReader>
    bool stepFileRows(bool withDigestOnly, const RowReader& readRow);
    bool trashFile(const QString& path, const QString& replaceWith, bool isRowExpected, Error* error);
    // Whether a stepped enumeration ended at its last row; logs the failure of one that did not.
    bool endedAfterLastRow(int stepResult, const char* enumeration) const;
    // Writes the line on the console and keeps it as the last failure.
    template <typename... Arguments>
    void logFailure(const char* format, const Arguments&... arguments) const
    {
        noteFailure(formatString(format, arguments...));
    }
    void noteFailure(const QString& line) const;
    // Keeps the text as the last failure without a console line (the caller reports it).
    void keepFailure(const QString& text) const;
    // Asserts the writer rule above for a statement that writes.
    const SqlStatement& statement(Statement which) const;
    // True unless a run's transaction is open and the calling thread is not that run's.
    bool isWriterThread() const;
    // Runs a text without preparing it; on failure the console gets `failureFormat` with the message.
    bool execute(const char* sql, const char* failureFormat);
    // updateFile() with the path in file-system bytes; a null path names no row.
    bool updateEncodedFile(const QByteArray& path, const QByteArray& hash);
    // SQLite's current message for the connection.
    QString lastMessage() const;
    // Steps the use once. Any answer but `expected` fills `error`, when given, with the store's error
    // object (SQLite's code and `message`) and answers false.
    bool stepExpecting(SqlStatementUse& use, int expected, Error* error, const char* message) const;
    // Rows the last finished statement of the connection changed.
    int changedRows() const;

    sqlite3* m_db = nullptr;
    std::array<SqlStatement, StatementCount> m_statements;
    // The worker thread whose run began the open transaction; no thread otherwise.
    mutable std::atomic<std::thread::id> m_transactionThread;
    mutable std::mutex m_failureMutex;
    mutable QString m_lastFailure;
};

} // namespace pairsift
