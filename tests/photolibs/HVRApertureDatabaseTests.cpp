#include "photolibs/HVRApertureDatabase.h"
#include "testkit/TemporaryTree.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace pairsift {
namespace {

// A library folder whose database holds just the two tables the reader queries.
class ApertureDatabaseTest : public testing::Test {
protected:
    ApertureDatabaseTest() : m_library(m_tree.makeFolder(QStringLiteral("L"))) { }

    void writeDatabase(const char* rows)
    {
        m_tree.makeFolder(QStringLiteral("L/Database"));
        sqlite3* database = nullptr;
        ASSERT_EQ(sqlite3_open(databasePath().toUtf8().constData(), &database), SQLITE_OK);
        const QByteArray sql
            = QByteArray("CREATE TABLE RKMaster (modelId INTEGER PRIMARY KEY, uuid TEXT, imagePath TEXT);"
                         "CREATE TABLE RKVersion (modelId INTEGER PRIMARY KEY, uuid TEXT, masterUuid TEXT);")
            + rows;
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(database, sql.constData(), nullptr, nullptr, &message), SQLITE_OK) << message;
        sqlite3_free(message);
        sqlite3_close(database);
    }
    QString databasePath() const { return m_tree.path(QStringLiteral("L/Database/Library.apdb")); }

    test::TemporaryTree m_tree;
    const QString m_library;
};

const char* const threeVersionsOfOneMaster
    = "INSERT INTO RKMaster (uuid, imagePath) VALUES ('m1', '2011/a.jpg'), ('m2', '2011/b.jpg'), ('m3', 'c.jpg'), "
      "('m4', 'subc.jpg');"
      "INSERT INTO RKVersion (uuid, masterUuid) VALUES ('v1', 'm1'), ('v2', 'm1'), ('v3', 'm1'), (NULL, 'm2'),"
      "('v4', 'm2'), ('v5', 'm3'), ('v6', 'm4');";

TEST_F(ApertureDatabaseTest, mastersAreFoundByTheirPathBelowMasters)
{
    writeDatabase(threeVersionsOfOneMaster);
    HVRApertureDatabase database(m_library);
    ASSERT_TRUE(database.open());
    const QString library = m_library;
    const struct {
        QString path;
        std::optional<QStringList> uuids;
    } cases[] = {
        {library + QStringLiteral("/Masters/2011/a.jpg"), QStringList{"v1", "v2", "v3"}},
        // A row without an identifier is skipped.
        {library + QStringLiteral("/Masters/2011/b.jpg"), QStringList{"v4"}},
        {library + QStringLiteral("/Masters/2011/none.jpg"), QStringList{}},
        {library + QStringLiteral("/Masters/c.jpg"), QStringList{"v5"}},
        // The prefix goes once: a folder below Masters that repeats it is not another master's path.
        {library + QStringLiteral("/Masters/sub") + library + QStringLiteral("/Masters/c.jpg"), QStringList{}},
        {library + QStringLiteral("2/Masters/2011/a.jpg"), std::nullopt},
        {QStringLiteral("/elsewhere/Masters/2011/a.jpg"), std::nullopt},
        {library, std::nullopt},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(database.imageVersionUUIDsWithMasterImagePath(testCase.path), testCase.uuids)
            << testCase.path.toStdString();
    EXPECT_EQ(database.imageVersionUUIDsWithMasterImageRelativePath(QStringLiteral("c.jpg")), QStringList{"v5"});
}

TEST_F(ApertureDatabaseTest, openAndCloseMayBeRepeated)
{
    writeDatabase(threeVersionsOfOneMaster);
    HVRApertureDatabase database(m_library + QLatin1Char('/'));
    const QString master = m_library + QStringLiteral("/Masters/2011/b.jpg");
    EXPECT_EQ(database.imageVersionUUIDsWithMasterImagePath(master), QStringList{}) << "closed: empty";
    EXPECT_TRUE(database.open());
    EXPECT_TRUE(database.open());
    EXPECT_EQ(database.imageVersionUUIDsWithMasterImagePath(master), QStringList{"v4"});
    database.close();
    database.close();
    EXPECT_FALSE(database.isOpen());
    EXPECT_TRUE(database.open());
    EXPECT_EQ(database.imageVersionUUIDsWithMasterImagePath(master), QStringList{"v4"});
}

TEST_F(ApertureDatabaseTest, aMissingOrForeignDatabaseDoesNotOpenAndIsNeverWritten)
{
    HVRApertureDatabase database(m_library);
    EXPECT_FALSE(database.open()) << "no database";
    EXPECT_FALSE(QFile::exists(databasePath())) << "read-only: nothing is created";

    m_tree.writeFile(QStringLiteral("L/Database/Library.apdb"), "");
    EXPECT_FALSE(database.open()) << "no such tables";
    EXPECT_FALSE(database.isOpen());
    EXPECT_EQ(QFile(databasePath()).size(), 0);
}

} // namespace
} // namespace pairsift
