#include "StoreTestSupport.h"

#include "store/StoreTransaction.h"
#include "testkit/ConsoleCapture.h"

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

class StoreConnection : public StoreFixtureBase, public testing::Test {
protected:
    long long fileRowCount() { return raw().integer(QStringLiteral("SELECT count(*) FROM Files;")); }

    // Makes the store's statements for staging fail from now on, as a constraint violation would.
    void failStagingWith(const QString& message)
    {
        raw().execute(QStringLiteral("CREATE TRIGGER FailStaging BEFORE UPDATE OF IsDeleted ON Files "
                                     "WHEN NEW.IsDeleted = 1 BEGIN SELECT RAISE(ABORT, '%1'); END;")
                          .arg(message));
    }
};

TEST_F(StoreConnection, openingANewFileCreatesTheSchemaAndTheVersionRow)
{
    EXPECT_EQ(raw().column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name;")),
        QStringList({"ExpandedGroups", "Files", "Properties"}));
    EXPECT_EQ(raw().column(QStringLiteral(
                  "SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name;")),
        QStringList({"ExpandedGroupsSHA1Index", "FilesSHA1Index", "FilesSizeIndex"}));
    // The live-row query reads columns by position, so their order is part of the contract.
    EXPECT_EQ(raw().column(QStringLiteral("SELECT name FROM pragma_table_info('Files');")),
        QStringList({"Name", "Size", "CreationDate", "SHA1", "IsDeleted", "LinkTarget", "ContainerType",
            "ContainerPath"}));
    EXPECT_EQ(raw().column(QStringLiteral("SELECT Key || '=' || Value FROM Properties;")), QStringList({"Version=2"}));
    EXPECT_EQ(raw().text(QStringLiteral("PRAGMA journal_mode;")), "delete");
}

// An earlier version left its store in write-ahead mode, which is unsafe on a network home.
TEST_F(StoreConnection, aStoreInWriteAheadModeIsOpenedWithTheRollbackJournal)
{
    ASSERT_TRUE(store().addFile("/a/one", 1, {}, {}, {}));
    storePointer().reset();
    {
        RawConnection earlier(storePath());
        EXPECT_EQ(earlier.text(QStringLiteral("PRAGMA journal_mode = WAL;")), "wal");
    }

    storePointer() = PairsiftDatabase::databaseWithPath(storePath());
    ASSERT_TRUE(storePointer());

    EXPECT_EQ(raw().text(QStringLiteral("PRAGMA journal_mode;")), "delete");
    EXPECT_EQ(fileRowCount(), 1);
}

TEST_F(StoreConnection, reopeningAddsNothingAndKeepsTheRows)
{
    ASSERT_TRUE(store().addFile("/a/one", 1, {}, {}, {}));
    storePointer() = PairsiftDatabase::databaseWithPath(storePath());
    ASSERT_TRUE(storePointer());

    EXPECT_EQ(raw().integer(QStringLiteral("SELECT count(*) FROM Properties;")), 1);
    EXPECT_EQ(raw().integer(QStringLiteral("SELECT count(*) FROM sqlite_master;")), 8); // 3 tables, 5 indexes
    EXPECT_EQ(fileRowCount(), 1);
}

TEST(StoreOpening, anyNonZeroVersionOpensUnchangedAndOneReadingZeroDoesNot)
{
    struct Case {
        const char* storedValue;
        bool opens;
    };
    const Case cases[] = {{"1", true}, {"2", true}, {"17", true}, {"0", false}, {"not a number", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedValue);
        TemporaryTree tree;
        const QString path = tree.path("PairsiftData.db3");
        ASSERT_TRUE(PairsiftDatabase::databaseWithPath(path));
        RawConnection(path).execute(QStringLiteral("UPDATE Properties SET Value = '%1' WHERE Key = 'Version';")
                                        .arg(QString::fromUtf8(c.storedValue)));

        ConsoleCapture console;
        EXPECT_EQ(static_cast<bool>(PairsiftDatabase::databaseWithPath(path)), c.opens);
        EXPECT_EQ(RawConnection(path).column(QStringLiteral("SELECT Value FROM Properties;")),
            QStringList(QString::fromUtf8(c.storedValue)));
        EXPECT_EQ(console.text().contains("Error setting database version: UNIQUE constraint failed"), !c.opens)
            << console.text().toStdString();
    }
}

TEST(StoreOpening, failuresAnswerNoStoreAfterNamingTheCause)
{
    struct Case {
        const char* name;
        const char* preparation; // run on the file before the store opens it; empty for none
        const char* consoleText;
    };
    const Case cases[] = {
        {"missing folder", "", "Error opening database '"},
        {"schema step", "CREATE TABLE FilesSizeIndex (x);", "Error creating Files(Size) index: "},
        {"statement", "CREATE TABLE Files (Name TEXT, Size INTEGER, SHA1 BLOB);",
            "Error creating add file statement: table Files has no column named CreationDate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryTree tree;
        QString path = tree.path("PairsiftData.db3");
        if (*c.preparation)
            RawConnection(path).execute(QString::fromUtf8(c.preparation));
        else
            path = tree.path("missing/PairsiftData.db3");

        ConsoleCapture console;
        EXPECT_FALSE(PairsiftDatabase::databaseWithPath(path));
        EXPECT_TRUE(console.text().contains(c.consoleText)) << console.text().toStdString();
    }
}

TEST_F(StoreConnection, closingTwiceIsHarmlessAndLaterOperationsFail)
{
    ASSERT_TRUE(store().addFile("/a/one", 1, {}, {}, {}));
    ConsoleCapture console;
    store().close();
    store().close();

    Error error;
    EXPECT_FALSE(store().addFile("/a/two", 1, {}, {}, {}));
    EXPECT_FALSE(store().deleteFile("/a/one", &error));
    EXPECT_EQ(error.code, 21); // SQLite's misuse code
    EXPECT_EQ(store().countFilesByHash(digest('a')), -1);
    EXPECT_FALSE(store().beginTransaction());
    EXPECT_TRUE(store().loadExpandedGroups().isEmpty());
    storePointer().reset(); // the destructor closes once more

    EXPECT_FALSE(console.text().contains("Error closing database")) << console.text().toStdString();
    EXPECT_FALSE(console.text().contains("Error finalizing")) << console.text().toStdString();
    EXPECT_EQ(fileRowCount(), 1);
}

TEST_F(StoreConnection, misplacedTransactionCommandsAnswerNoWithTheirConsoleLine)
{
    struct Case {
        const char* name;
        std::function<bool(PairsiftDatabase&)> run;
        const char* consoleText;
    };
    const Case cases[] = {
        {"commit without begin", [](PairsiftDatabase& s) { return s.commit(); },
            "Error committing transaction: cannot commit - no transaction is active"},
        {"rollback without begin", [](PairsiftDatabase& s) { return s.rollback(); },
            "Error rolling back transaction: cannot rollback - no transaction is active"},
        {"nested begin", [](PairsiftDatabase& s) { return s.beginTransaction() && s.beginTransaction(); },
            "Error starting transaction: cannot start a transaction within a transaction"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConsoleCapture console;
        EXPECT_FALSE(c.run(store()));
        EXPECT_TRUE(console.text().contains(c.consoleText)) << console.text().toStdString();
    }
    EXPECT_TRUE(store().rollback()); // the nested case left its outer transaction open
}

TEST_F(StoreConnection, whileAnotherConnectionWritesChangesFailAsLocked)
{
    ASSERT_TRUE(store().addFile("/a", 1, {}, {}, {}));
    raw().execute(QStringLiteral("BEGIN EXCLUSIVE;"));
    ConsoleCapture console;
    Error error;
    EXPECT_FALSE(store().beginTransaction());
    EXPECT_FALSE(store().deleteFile("/a", &error));
    raw().execute(QStringLiteral("ROLLBACK;"));

    EXPECT_TRUE(console.text().contains("Error starting transaction: database is locked")) << console.text().toStdString();
    EXPECT_EQ(error.code, 5);
    EXPECT_EQ(error.description, "Error deleting file");
    EXPECT_EQ(error.underlyingMessage, "database is locked");
    EXPECT_TRUE(store().deleteFile("/a"));
    EXPECT_EQ(fileRowCount(), 0);
}

TEST_F(StoreConnection, rollbackAfterAFailingStatementLeavesTheStoreAsItWas)
{
    ASSERT_TRUE(store().addFile("/kept", 1, {}, {}, {}));
    failStagingWith("no staging today");

    ASSERT_TRUE(store().beginTransaction());
    ASSERT_TRUE(store().addFile("/added", 2, {}, {}, {}));
    EXPECT_FALSE(store().trashFile("/kept", "/added"));
    ASSERT_TRUE(store().rollback());

    EXPECT_EQ(raw().column(QStringLiteral("SELECT Name || ':' || IsDeleted FROM Files;")), QStringList({"/kept:0"}));
}

TEST_F(StoreConnection, transactionGuardRollsBackUnlessCommitted)
{
    {
        StoreTransaction transaction(store());
        ASSERT_TRUE(transaction.isActive());
        ASSERT_TRUE(store().addFile("/dropped", 1, {}, {}, {}));
    }
    {
        StoreTransaction transaction(store());
        ASSERT_TRUE(store().addFile("/committed", 1, {}, {}, {}));
        EXPECT_TRUE(transaction.commit());
        EXPECT_FALSE(transaction.isActive());
        EXPECT_FALSE(transaction.commit());
    }
    EXPECT_EQ(raw().column(QStringLiteral("SELECT Name FROM Files;")), QStringList({"/committed"}));
}

TEST_F(StoreConnection, transactionGuardThatCouldNotBeginLeavesTheOpenTransactionAlone)
{
    ASSERT_TRUE(store().beginTransaction());
    ASSERT_TRUE(store().addFile("/outer", 1, {}, {}, {}));
    {
        StoreTransaction inner(store());
        EXPECT_FALSE(inner.isActive());
        EXPECT_FALSE(inner.commit());
    }
    EXPECT_TRUE(store().commit());
    EXPECT_EQ(fileRowCount(), 1);
}

TEST_F(StoreConnection, errorObjectCarriesTheResultCodeTheTextAndSqliteMessage)
{
    ASSERT_TRUE(store().addFile("/a", 1, {}, {}, {}));
    failStagingWith("injected failure");

    Error error;
    EXPECT_FALSE(store().trashFile("/a", {}, &error));
    EXPECT_EQ(error.domain, "SQLite");
    EXPECT_EQ(error.code, 19); // a constraint violation
    EXPECT_EQ(error.description, "Error trashing file");
    EXPECT_EQ(error.underlyingMessage, "injected failure");

    const Error made = store().errorWithCode(5, "Some text");
    EXPECT_EQ(made.domain, "SQLite");
    EXPECT_EQ(made.code, 5);
    EXPECT_EQ(made.description, "Some text");
    EXPECT_EQ(made.underlyingMessage, "injected failure"); // still the connection's latest message
}

} // namespace
} // namespace pairsift::test
