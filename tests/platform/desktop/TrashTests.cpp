// The desktop Trash on more than one mount: the trash a file goes to is the one of the mount that holds its
// open folder, whatever path led there.
#include "platform/desktop/Trash.h"

#include "platform/FileDescriptor.h"
#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

using test::TemporaryTree;

// The data folder, and so the home trash, inside the test's tree for the test's life.
class TrashTest : public testing::Test {
public:
    void SetUp() override
    {
        m_previousDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(tree.path(QStringLiteral("data"))));
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_previousDataHome); }

    // Moves the file at `path` to the Trash through its folder opened by that path, links followed.
    bool trash(const QString& path)
    {
        const FileDescriptor folder(::open(QFile::encodeName(QFileInfo(path).path()).constData(), O_PATH | O_DIRECTORY));
        EXPECT_TRUE(folder.isOpen());
        Error error;
        const bool isMoved = moveToTrash(folder.get(), QFile::encodeName(QFileInfo(path).fileName()), path,
            [] { return true; }, &error);
        EXPECT_TRUE(isMoved) << error.message().toStdString();
        return isMoved;
    }

    // The Path= line of the info file of `name` in the trash folder `trash`.
    static QByteArray recordedPath(const QString& trash, const QString& name)
    {
        QFile info(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        if (!info.open(QIODevice::ReadOnly))
            return {};
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (line.startsWith("Path="))
                return QByteArray::fromPercentEncoding(line.mid(5));
        }
        return {};
    }

    TemporaryTree tree;

private:
    QByteArray m_previousDataHome;
};

const QString user = QString::number(::geteuid());

dev_t deviceOf(const QString& path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_dev : 0;
}

TEST_F(TrashTest, aFileReachedThroughALinkToAnotherMountGoesToThatMountsTrash)
{
    const QString mountPoint = QStringLiteral("/dev/shm");
    QTemporaryDir volume(mountPoint + QStringLiteral("/pairsift-trash-XXXXXX"));
    if (!volume.isValid() || deviceOf(mountPoint) == deviceOf(tree.root()))
        GTEST_SKIP() << "no second mount to write to";
    const QString name = QFileInfo(volume.path()).fileName() + QStringLiteral(".txt");
    QDir().mkpath(volume.path() + QStringLiteral("/inside"));
    QFile file(volume.path() + QStringLiteral("/inside/") + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("moved") == 5);
    file.close();
    tree.makeSymlink(QStringLiteral("link"), volume.path());

    ASSERT_TRUE(trash(tree.path(QStringLiteral("link/inside/")) + name));
    const QString trashFolder = mountPoint + QStringLiteral("/.Trash-") + user;
    EXPECT_TRUE(QFileInfo(trashFolder + QStringLiteral("/files/") + name).isFile());
    EXPECT_EQ(recordedPath(trashFolder, name), QFile::encodeName(QFileInfo(volume.path()).fileName() + QStringLiteral("/inside/") + name));
    EXPECT_FALSE(QFileInfo::exists(volume.path() + QStringLiteral("/inside/.Trash-") + user));
    QFile::remove(trashFolder + QStringLiteral("/files/") + name);
    QFile::remove(trashFolder + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
}

TEST_F(TrashTest, aFileOnABindMountOfTheHomeVolumeGoesToTheBindMountsOwnTrash)
{
    // A mount namespace of this thread's own, so that the bind mount is seen by nothing else.
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        GTEST_SKIP() << "no mount namespace of our own";
    const QString original = tree.makeFolder(QStringLiteral("original"));
    const QString bound = tree.makeFolder(QStringLiteral("bound"));
    tree.writeFile(QStringLiteral("original/copy.txt"), "bound");
    ASSERT_EQ(::mount(QFile::encodeName(original).constData(), QFile::encodeName(bound).constData(), nullptr, MS_BIND, nullptr), 0);

    const bool isMoved = trash(bound + QStringLiteral("/copy.txt"));
    const QString trashFolder = bound + QStringLiteral("/.Trash-") + user;
    EXPECT_TRUE(QFileInfo(trashFolder + QStringLiteral("/files/copy.txt")).isFile());
    EXPECT_EQ(recordedPath(trashFolder, QStringLiteral("copy.txt")), QByteArray("copy.txt"));
    EXPECT_FALSE(QFileInfo::exists(tree.path(QStringLiteral("data/Trash/files/copy.txt"))));
    ::umount2(QFile::encodeName(bound).constData(), MNT_DETACH);
    EXPECT_TRUE(isMoved);
}

} // namespace
} // namespace pairsift
