#include "support/foundation/ApplicationFolders.h"

#include "testkit/ConsoleCapture.h"
#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace pairsift {
namespace {

// Points the data folder at a temporary tree for one test.
class ApplicationFoldersTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        m_previous = previous;
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_tree.path("data")));
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_previous); }

    test::TemporaryTree m_tree;
    QByteArray m_previous;
};

TEST_F(ApplicationFoldersTest, createsTheApplicationFolderOwnerOnlyWithItsLogs)
{
    const QString application = applicationSupportDirectory();
    EXPECT_EQ(application, m_tree.path("data/Pairsift"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(application).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(logDirectoryPath(), application + "/Logs");
    EXPECT_TRUE(QFileInfo(application + "/Logs").isDir());
}

TEST_F(ApplicationFoldersTest, findsExistingFoldersAndClearsTheError)
{
    Error error{"stale", 7, "stale", {}};
    const QString first = findOrCreateDirectory(SearchPathDirectory::ApplicationSupport, UserDomainMask, "X", &error);
    EXPECT_EQ(first, m_tree.path("data/X"));
    error = Error{"stale", 7, "stale", {}};
    EXPECT_EQ(findOrCreateDirectory(SearchPathDirectory::ApplicationSupport, UserDomainMask, "X", &error), first);
    EXPECT_TRUE(error.domain.isEmpty());
    EXPECT_EQ(findOrCreateDirectory(SearchPathDirectory::ApplicationSupport, UserDomainMask, QString()),
              m_tree.path("data"));
}

TEST_F(ApplicationFoldersTest, reportsADomainWithoutFolders)
{
    Error error;
    EXPECT_TRUE(findOrCreateDirectory(SearchPathDirectory::Caches, SystemDomainMask, "X", &error).isNull());
    EXPECT_EQ(error.domain, "DirectoryLocationDomain");
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(error.description, "No path found for directory in domain.");
}

TEST_F(ApplicationFoldersTest, createAllDirectoriesForPathCases)
{
    EXPECT_TRUE(createAllDirectoriesForPath(m_tree.path("a/b/c")));
    EXPECT_TRUE(QFileInfo(m_tree.path("a/b/c")).isDir());
    EXPECT_TRUE(createAllDirectoriesForPath(m_tree.path("a/b/c")));

    const QString file = m_tree.writeFile("plain", "x");
    Error error{"untouched", 1, {}, {}};
    EXPECT_FALSE(createAllDirectoriesForPath(file, &error));
    EXPECT_EQ(error.domain, "untouched");

    const QString blocked = file + "/below";
    const QString failure = "Unable to create destination path '" + blocked + "', error: '";
    const QString reported = test::consoleOutput([&] { EXPECT_FALSE(createAllDirectoriesForPath(blocked, &error)); });
    EXPECT_EQ(error.domain, "NSPOSIXErrorDomain");
    EXPECT_TRUE(reported.contains(failure + error.underlyingMessage + "'")) << reported.toStdString();
    EXPECT_FALSE(error.underlyingMessage.isEmpty());
    const QString unasked = test::consoleOutput([&] { EXPECT_FALSE(createAllDirectoriesForPath(blocked)); });
    EXPECT_TRUE(unasked.contains(failure + "(null)'")) << unasked.toStdString();
}

// $HOME and the base-directory variables decide every folder, whatever the password file says.
TEST(HomePath, theEnvironmentDecidesEveryFolder)
{
    const QByteArray previousHome = qgetenv("HOME");
    const QByteArray previousDataHome = qgetenv("XDG_DATA_HOME");
    const struct {
        const char* home;
        const char* dataHome;
        const char* data;
    } cases[] = {
        {"/elsewhere/ann", "", "/elsewhere/ann/.local/share/Pairsift"},
        {"/elsewhere/ann", "/data", "/data/Pairsift"},
        {"/elsewhere/bob/", "relative", "/elsewhere/bob/.local/share/Pairsift"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataHome);
        qputenv("HOME", c.home);
        qputenv("XDG_DATA_HOME", c.dataHome);
        EXPECT_EQ(homePath(), QDir::cleanPath(QString::fromUtf8(c.home)));
        EXPECT_EQ(applicationDataFolderPath(), QString::fromUtf8(c.data));
    }
    qputenv("HOME", previousHome);
    qputenv("XDG_DATA_HOME", previousDataHome);
}

} // namespace
} // namespace pairsift
