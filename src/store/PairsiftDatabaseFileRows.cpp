// The operations on file rows: a row is inserted live by the scan, gets its SHA-1, is staged for
// removal, and is finally deleted or put back by the removal sheet.
#include "store/PairsiftDatabase.h"

#include "platform/ConsoleLog.h"
#include "store/StoreTransaction.h"

#include <QFile>

#include <sqlite3.h>

#include <stdexcept>

namespace pairsift {

namespace {

// Whole seconds since 1970, the fraction cut toward zero (-12.9 s is -12); no date is 0.
std::int64_t storedSeconds(const QDateTime& date)
{
    return date.isValid() ? date.toMSecsSinceEpoch() / 1000 : 0;
}

QDateTime dateFromStoredSeconds(std::int64_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

// A text column's bytes until the next step, as columnText() reads them before decoding; null for NULL.
QByteArrayView textBytes(sqlite3_stmt* rows, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(rows, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(rows, column)) : QByteArrayView();
}

// A blob column's bytes until the next step, as columnBlob() copies them; null for NULL or empty.
QByteArrayView blobBytes(sqlite3_stmt* rows, int column)
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(rows, column));
    const int length = sqlite3_column_bytes(rows, column);
    return bytes && length > 0 ? QByteArrayView(bytes, length) : QByteArrayView();
}

// A missing block is a programming error, raised like any failed parameter check.
void requireBlock(bool hasBlock, const char* operation)
{
    if (hasBlock)
        return;
    const QString reason = formatString("Invalid parameter not satisfying: %@", "block != NULL");
    consoleLog("*** Assertion failure in PairsiftDatabase::%s: %@", operation, reason);
    throw std::invalid_argument(reason.toStdString());
}

// A text literal: SQL doubles a quote inside one, and has no other escape.
QByteArray quotedLiteral(const QByteArray& bytes)
{
    QByteArray escaped = bytes;
    escaped.replace('\'', "''");
    return '\'' + escaped + '\'';
}

// True for the paths strictly below `folder`, by exact byte comparison (Name has the binary
// collation): every path that starts with "folder/" sorts from "folder/" up to, not including,
// "folder0" ('0' follows '/'), and no other path does. Unlike a pattern match, "%" and "_" in a folder
// name are plain characters, letter case counts, and a sibling such as "folder2" stays outside.
QByteArray belowFolderCondition(const QString& folder)
{
    QByteArray prefix = QFile::encodeName(folder);
    if (prefix.endsWith('/'))
        prefix.chop(1); // "/" itself, or a folder given with its trailing slash
    return "(Name >= " + quotedLiteral(prefix + '/') + " AND Name < " + quotedLiteral(prefix + '0') + ')';
}

} // namespace

bool PairsiftDatabase::addFile(const QString& name, std::uint64_t size, const QDateTime& created,
    const QString& containerType, const QString& containerPath)
{
    // A null path binds NULL, as bindPath() does.
    return addEncodedFile(name.isNull() ? QByteArray() : QFile::encodeName(name), size, created, containerType,
        containerPath);
}

bool PairsiftDatabase::addEncodedFile(const QByteArray& name, std::uint64_t size, const QDateTime& created,
    const QString& containerType, const QString& containerPath)
{
    SqlStatementUse use(statement(AddFileStatement));
    use.bindEncodedPath(1, name);
    use.bindInt64(2, static_cast<std::int64_t>(size));
    use.bindInt64(3, storedSeconds(created));
    use.bindText(4, containerType);
    use.bindPath(5, containerPath);
    if (use.step() != SQLITE_DONE) {
        logFailure("Error adding file '%@' to database: %s", QFile::decodeName(name), lastMessage());
        return false;
    }
    return true;
}

bool PairsiftDatabase::pruneFilesBeforeScan()
{
    // An empty store needs no write at all. While every row is live, the same rows go without a WHERE
    // clause, which lets SQLite drop the pages of the table and its indexes whole instead of deleting row
    // by row with index upkeep.
    struct Rows {
        bool any = false;
        bool staged = false;
    } rows;
    char* message = nullptr;
    const int result = m_db ? sqlite3_exec(m_db,
                                  "SELECT EXISTS (SELECT 1 FROM Files), EXISTS (SELECT 1 FROM Files WHERE IsDeleted <> 0);",
                                  [](void* found, int, char** values, char**) {
                                      static_cast<Rows*>(found)->any = qstrcmp(values[0], "1") == 0;
                                      static_cast<Rows*>(found)->staged = qstrcmp(values[1], "1") == 0;
                                      return 0;
                                  },
                                  &rows, &message)
                            : SQLITE_MISUSE;
    if (result != SQLITE_OK) {
        logFailure("Error pruning files before scan: %s", message ? message : sqlite3_errstr(result));
        sqlite3_free(message);
        return false;
    }
    if (!rows.any)
        return true;
    return execute(rows.staged ? "DELETE FROM Files WHERE IsDeleted = 0;" : "DELETE FROM Files;",
        "Error pruning files before scan: %s");
}

bool PairsiftDatabase::updateFile(const QString& path, const QByteArray& hash)
{
    return updateEncodedFile(path.isNull() ? QByteArray() : QFile::encodeName(path), hash);
}

bool PairsiftDatabase::updateEncodedFile(const QByteArray& path, const QByteArray& hash)
{
    SqlStatementUse use(statement(UpdateHashStatement));
    use.bindBlob(1, hash);
    use.bindEncodedPath(2, path);
    if (use.step() != SQLITE_DONE) {
        logFailure("Error updating file hash for '%@': %s", QFile::decodeName(path), lastMessage());
        return false;
    }
    return true;
}

bool PairsiftDatabase::updateFiles(std::size_t count, const std::function<EncodedDigest(std::size_t)>& digestAt)
{
    if (count == 0)
        return true;
    StoreTransaction transaction(*this);
    if (!transaction.isActive())
        return false;
    // Rolled back as the transaction goes on any failure.
    for (std::size_t index = 0; index < count; ++index) {
        const EncodedDigest digest = digestAt(index);
        if (!updateEncodedFile(digest.path, digest.hash))
            return false;
        // The row went away under the run (another program on the same store): the digest is lost.
        if (changedRows() == 0) {
            logFailure("Error updating file hash for '%@': %@", QFile::decodeName(digest.path),
                "the file has no row in the store");
            return false;
        }
    }
    return transaction.commit();
}

bool PairsiftDatabase::pruneUniqueFiles()
{
    return execute("DELETE FROM Files WHERE SHA1 IS NULL AND IsDeleted = 0;", "Error deleting non-hashed files: %s");
}

bool PairsiftDatabase::pruneFilesOutsidePaths(const QStringList& paths)
{
    QByteArray sql = "DELETE FROM Files";
    for (qsizetype index = 0; index < paths.size(); ++index) {
        sql += index == 0 ? " WHERE NOT " : " AND NOT ";
        sql += belowFolderCondition(paths[index]);
    }
    return execute(sql.constData(), "Error pruning outside files: %s");
}

bool PairsiftDatabase::enumerateFiles(const FileRowBlock& block)
{
    requireBlock(static_cast<bool>(block), "enumerateFiles");
    return enumerateFileRows(block, false);
}

bool PairsiftDatabase::enumerateFilesWithDigest(const FileRowBlock& block)
{
    requireBlock(static_cast<bool>(block), "enumerateFilesWithDigest");
    return enumerateFileRows(block, true);
}

template <typename RowReader>
bool PairsiftDatabase::stepFileRows(bool withDigestOnly, const RowReader& readRow)
{
    SqlStatementUse use(statement(FetchFilesStatement));
    bool stop = false;
    int result = SQLITE_DONE;
    // All columns by position: 0 Name, 1 Size, 2 CreationDate, 3 SHA1, 6 ContainerType, 7 ContainerPath.
    // Both queries leave out rows without a path.
    while (!stop && (result = use.step()) == SQLITE_ROW) {
        if (withDigestOnly && use.columnIsEmpty(3))
            continue;
        readRow(use, &stop);
    }
    return stop || endedAfterLastRow(result, "files");
}

bool PairsiftDatabase::enumerateStoredFilesWithDigest(const StoredFileRowBlock& block)
{
    requireBlock(static_cast<bool>(block), "enumerateStoredFilesWithDigest");
    sqlite3_stmt* const rows = statement(FetchFilesStatement).handle();
    StoredFileRow row;
    return stepFileRows(true, [&](const SqlStatementUse& use, bool*) {
        row.path = textBytes(rows, 0);
        row.size = static_cast<std::uint64_t>(use.columnInt64(1));
        row.created = dateFromStoredSeconds(use.columnInt64(2));
        row.sha1 = blobBytes(rows, 3);
        row.containerType = textBytes(rows, 6);
        row.containerPath = textBytes(rows, 7);
        block(row);
    });
}

bool PairsiftDatabase::enumerateFileRows(const FileRowBlock& block, bool withDigestOnly)
{
    return stepFileRows(withDigestOnly, [&](const SqlStatementUse& use, bool* stop) {
        block(use.columnText(0), static_cast<std::uint64_t>(use.columnInt64(1)),
            dateFromStoredSeconds(use.columnInt64(2)), use.columnBlob(3), use.columnText(6), use.columnText(7), stop);
    });
}

bool PairsiftDatabase::enumerateDeletedFiles(const DeletedFileRowBlock& block)
{
    requireBlock(static_cast<bool>(block), "enumerateDeletedFiles");
    SqlStatementUse use(statement(FetchDeletedFilesStatement));
    bool stop = false;
    int result = SQLITE_DONE;
    // The query names its columns in the block's order.
    while (!stop && (result = use.step()) == SQLITE_ROW) {
        block(use.columnText(0), static_cast<std::uint64_t>(use.columnInt64(1)),
            dateFromStoredSeconds(use.columnInt64(2)), use.columnBlob(3), use.columnText(4), use.columnText(5),
            use.columnText(6), &stop);
    }
    return stop || endedAfterLastRow(result, "deleted files");
}

bool PairsiftDatabase::endedAfterLastRow(int stepResult, const char* enumeration) const
{
    if (stepResult == SQLITE_DONE)
        return true;
    logFailure("Error reading %s from database: %s", enumeration, lastMessage());
    return false;
}

bool PairsiftDatabase::trashFile(const QString& path, const QString& replaceWith, Error* error)
{
    return trashFile(path, replaceWith, false, error);
}

bool PairsiftDatabase::stageFile(const QString& path, const QString& replaceWith, Error* error)
{
    return trashFile(path, replaceWith, true, error);
}

bool PairsiftDatabase::trashFile(const QString& path, const QString& replaceWith, bool isRowExpected, Error* error)
{
    {
        SqlStatementUse use(statement(TrashFileStatement));
        use.bindPath(1, path);
        if (!stepExpecting(use, SQLITE_DONE, error, "Error trashing file"))
            return false;
        if (isRowExpected && changedRows() == 0) {
            const Error failure{QStringLiteral("SQLite"), SQLITE_NOTFOUND, QStringLiteral("Error trashing file"),
                QStringLiteral("the file has no row in the store")};
            keepFailure(failure.message());
            if (error)
                *error = failure;
            return false;
        }
    }
    SqlStatementUse use(statement(UpdateLinkTargetStatement));
    use.bindPath(1, replaceWith);
    use.bindPath(2, path);
    return stepExpecting(use, SQLITE_DONE, error, "Error updating trashed file");
}

bool PairsiftDatabase::deleteFile(const QString& path, Error* error)
{
    SqlStatementUse use(statement(DeleteFileStatement));
    use.bindPath(1, path);
    return stepExpecting(use, SQLITE_DONE, error, "Error deleting file");
}

int PairsiftDatabase::countFilesByHash(const QByteArray& hash, Error* error)
{
    SqlStatementUse use(statement(CountFilesByHashStatement));
    use.bindBlob(1, hash);
    if (!stepExpecting(use, SQLITE_ROW, error, "Error counting files by hash"))
        return -1;
    return static_cast<int>(use.columnInt64(0));
}

bool PairsiftDatabase::restoreFile(const QString& path, const QByteArray& hash, Error* error)
{
    const int liveCopies = countFilesByHash(hash, error);
    if (liveCopies < 0)
        return false;
    if (liveCopies == 0)
        return deleteFile(path, error); // the file would now be unique: it is no longer a duplicate
    SqlStatementUse use(statement(RestoreFileStatement));
    use.bindPath(1, path);
    return stepExpecting(use, SQLITE_DONE, error, "Error restoring file");
}

bool PairsiftDatabase::getTrashFileCount(std::uint64_t* count, std::uint64_t* size, Error* error)
{
    SqlStatementUse use(statement(TrashInfoStatement));
    if (!stepExpecting(use, SQLITE_ROW, error, "Error counting deleted files"))
        return false;
    // The sum is NULL without staged rows, which reads as 0.
    if (count)
        *count = static_cast<std::uint64_t>(use.columnInt64(0));
    if (size)
        *size = static_cast<std::uint64_t>(use.columnInt64(1));
    return true;
}

} // namespace pairsift
