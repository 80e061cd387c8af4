// The disk side of removal on temporary trees, with the isolated Trash: what each action refuses before
// touching anything, and that a failing step never leaves the staged path empty.
#include "removal/FileRemover.h"

#include "RemovalTestSupport.h"
#include "model/ContentOpen.h"
#include "photolibs/ContainerType.h"
#include "removal/RemovalCheck.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

using test::LogCapture;
using test::TemporaryTree;

const QByteArray content("duplicate content");

enum class Action { Delete, DeleteMarked, DeleteAndLink, DeleteAndLinkMarked };

// Every entry below the root with its kind and content, to show that nothing changed.
QStringList snapshot(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString entry = path + (info.isSymLink() ? QStringLiteral(" -> ") + test::linkTarget(path)
                                                 : info.isDir() ? QStringLiteral("/") : QString());
        if (info.isFile() && !info.isSymLink()) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            entry += QStringLiteral(" = ")
                + QString::fromUtf8(bytes.size() > 64 ? QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex() : bytes);
        }
        entries.append(entry);
    }
    entries.sort();
    return entries;
}

class FileRemoverTest;
void moveAway(FileRemoverTest& test, const QString& folder);

class FileRemoverTest : public testing::Test {
public:
    void SetUp() override { prepare(); }

    // A fresh tree with a kept copy and its staged duplicate.
    void prepare(const QByteArray& bytes = content)
    {
        treePointer = std::make_unique<TemporaryTree>();
        logPointer = std::make_unique<LogCapture>();
        // GIO uses the home trash only for files on the home's device; anything else would go elsewhere.
        struct stat home {}, root {};
        ASSERT_EQ(::stat(QFile::encodeName(test::isolatedHome()).constData(), &home), 0);
        ASSERT_EQ(::stat(QFile::encodeName(tree().root()).constData(), &root), 0);
        ASSERT_EQ(home.st_dev, root.st_dev) << "the temporary tree must share the isolated home's volume";

        kept = tree().writeFile(QStringLiteral("kept/original.txt"), bytes);
        staged = tree().writeFile(QStringLiteral("copies/duplicate.txt"), bytes);
        file = FileItem::create(staged);
        file->setTotalSize(bytes.size());
        file->setRemainingFileName(kept);
        file->setContainerType(containerTypeDirectory);
        file->setContainerPath(tree().root());
    }

    RemovalResult run(Action action, RemovalFileSystem fileSystem = test::desktopFileSystem(), StopTest isStopped = {})
    {
        FileRemover remover(log().logger(), std::move(fileSystem), std::move(isStopped));
        switch (action) {
        case Action::Delete:
            return remover.deleteFile(*file, false);
        case Action::DeleteMarked:
            return remover.deleteFile(*file, true);
        case Action::DeleteAndLink:
            return remover.deleteAndLinkFile(*file, false);
        case Action::DeleteAndLinkMarked:
            return remover.deleteAndLinkFile(*file, true);
        }
        return {};
    }

    const TemporaryTree& tree() const { return *treePointer; }
    QStringList trashed() const { return test::trashedPaths(tree().root()); }

    const LogCapture& log() const { return *logPointer; }

    std::unique_ptr<TemporaryTree> treePointer;
    std::unique_ptr<LogCapture> logPointer;
    QString kept;
    QString staged;
    FileItemPtr file;
};

void moveAway(FileRemoverTest& test, const QString& folder)
{
    ASSERT_TRUE(QDir().rename(test.tree().path(folder), test.tree().path(folder + QStringLiteral("-away"))));
}

TEST_F(FileRemoverTest, refusesWithoutTouchingAnythingWhenTheKeptCopyOrTheStagedPathChanged)
{
    const QList<Action> everyAction = {Action::Delete, Action::DeleteMarked, Action::DeleteAndLink};
    struct Case {
        const char* name;
        std::function<void(FileRemoverTest&)> change;
        const char* reason;
        QList<Action> actions;
    };
    const QList<Case> cases = {
        {"kept copy vanished", [](FileRemoverTest& t) { QFile::remove(t.kept); }, "its kept copy is missing", everyAction},
        {"kept copy is a folder",
            [](FileRemoverTest& t) {
                QFile::remove(t.kept);
                QDir().mkpath(t.kept);
            },
            "its kept copy is not a regular file", everyAction},
        {"kept copy is the staged file",
            [](FileRemoverTest& t) {
                QFile::remove(t.staged);
                ASSERT_EQ(::link(QFile::encodeName(t.kept).constData(), QFile::encodeName(t.staged).constData()), 0);
            },
            "it is the same file as its kept copy", everyAction},
        {"kept copy changed size", [](FileRemoverTest& t) { t.tree().writeFile(QStringLiteral("kept/original.txt"), "x"); },
            "its kept copy has changed", everyAction},
        {"staged file changed size",
            [](FileRemoverTest& t) { t.tree().writeFile(QStringLiteral("copies/duplicate.txt"), content + "!"); },
            "its size has changed", everyAction},
        {"staged file has other bytes of the same size",
            [](FileRemoverTest& t) { t.tree().writeFile(QStringLiteral("copies/duplicate.txt"), content.toUpper()); },
            "its content differs from its kept copy", {Action::DeleteMarked, Action::DeleteAndLink}},
        {"staged path became a folder",
            [](FileRemoverTest& t) {
                QFile::remove(t.staged);
                t.tree().writeFile(QStringLiteral("copies/duplicate.txt/inside.txt"), "keep me");
            },
            "it is no longer a regular file", everyAction},
        {"staged path became a link elsewhere",
            [](FileRemoverTest& t) {
                QFile::remove(t.staged);
                t.tree().makeSymlink(QStringLiteral("copies/duplicate.txt"), t.tree().path(QStringLiteral("copies")));
            },
            "it is now a link", everyAction},
        {"staged file moved away",
            [](FileRemoverTest& t) { ASSERT_TRUE(QFile::rename(t.staged, t.tree().path(QStringLiteral("moved.txt")))); },
            "it is no longer at its place", everyAction},
        {"staged file's folder gone", [](FileRemoverTest& t) { moveAway(t, QStringLiteral("copies")); },
            "it is no longer at its place", everyAction},
        // The link leads to a twin that was never scanned.
        {"a folder on the staged path became a link",
            [](FileRemoverTest& t) {
                moveAway(t, QStringLiteral("copies"));
                t.tree().writeFile(QStringLiteral("elsewhere/duplicate.txt"), content);
                t.tree().makeSymlink(QStringLiteral("copies"), t.tree().path(QStringLiteral("elsewhere")));
            },
            "a folder on its path is now a link or a file", everyAction},
        {"a folder on the kept copy's path became a link",
            [](FileRemoverTest& t) {
                moveAway(t, QStringLiteral("kept"));
                t.tree().writeFile(QStringLiteral("elsewhere/original.txt"), content);
                t.tree().makeSymlink(QStringLiteral("kept"), t.tree().path(QStringLiteral("elsewhere")));
            },
            "a folder on the path of its kept copy is now a link or a file", everyAction},
    };
    // Without openat2 the folders on the way are opened one at a time: a link among them is refused the same.
    for (bool isOpenat2Disabled : {false, true}) {
        setOpenat2Disabled(isOpenat2Disabled);
        for (const Case& c : cases) {
            for (Action action : c.actions) {
                prepare();
                c.change(*this);
                const QStringList before = snapshot(tree().root());
                const RemovalResult result = run(action);
                EXPECT_EQ(result.outcome, RemovalOutcome::Refused) << c.name;
                EXPECT_EQ(result.reason, QString::fromLatin1(c.reason)) << c.name;
                EXPECT_EQ(snapshot(tree().root()), before) << c.name;
                EXPECT_TRUE(trashed().isEmpty()) << c.name;
                EXPECT_TRUE(log().has(QStringLiteral("Error: Not removing '%1': %2").arg(staged, c.reason))) << c.name;
            }
        }
    }
    setOpenat2Disabled(false);
}

TEST_F(FileRemoverTest, deleteMovesToTheTrashAndAMarkedFileIsDeletedPermanently)
{
    EXPECT_EQ(run(Action::Delete).outcome, RemovalOutcome::Removed);
    EXPECT_FALSE(QFileInfo::exists(staged));
    ASSERT_EQ(trashed(), QStringList{staged});

    const QString second = tree().writeFile(QStringLiteral("copies/second.txt"), content);
    file->setName(second);
    EXPECT_EQ(run(Action::DeleteMarked).outcome, RemovalOutcome::Removed);
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_EQ(trashed(), QStringList{staged});
    EXPECT_TRUE(QFileInfo(kept).isFile());
}

TEST_F(FileRemoverTest, aFailingOrMissingTrashLeavesTheFileAndIsLogged)
{
    const RemovalFileSystem failing = test::desktopFileSystemAfter([](const QString&, Error* error) {
        setError(error, QStringLiteral("POSIX"), 15, QStringLiteral("Unable to move to Trash"));
        return false;
    });
    const struct {
        RemovalFileSystem fileSystem;
        long long code;
    } cases[] = {{failing, 15}, {RemovalFileSystem::withTrash({}), ENOTSUP}};
    for (const auto& trash : cases) {
        for (Action action : {Action::Delete, Action::DeleteAndLink}) {
            const QStringList before = snapshot(tree().root());
            EXPECT_EQ(run(action, trash.fileSystem).outcome, RemovalOutcome::TrashFailed);
            EXPECT_EQ(snapshot(tree().root()), before);
        }
        EXPECT_TRUE(log().has(QStringLiteral("Error: Error trashing file '%1': %2").arg(staged).arg(trash.code)));
    }
    EXPECT_TRUE(log().text().contains(QStringLiteral("*** FILE")));
}

TEST_F(FileRemoverTest, deleteAndLinkLeavesAnAbsoluteLinkToTheKeptCopy)
{
    for (bool isMarked : {false, true}) {
        prepare();
        EXPECT_EQ(FileRemover(log().logger(), test::desktopFileSystem()).deleteAndLinkFile(*file, isMarked).outcome, RemovalOutcome::Removed);
        EXPECT_EQ(test::linkTarget(staged), kept);
        EXPECT_EQ(test::folderEntries(tree().path(QStringLiteral("copies"))), QStringList{QStringLiteral("duplicate.txt")});
        EXPECT_EQ(trashed(), isMarked ? QStringList() : QStringList{staged});
    }
}

TEST_F(FileRemoverTest, deleteAndLinkRefusesWithoutAKeptCopyAndForPhotoLibraryFiles)
{
    file->setRemainingFileName(QString());
    const QStringList before = snapshot(tree().root());
    EXPECT_EQ(run(Action::DeleteAndLink).outcome, RemovalOutcome::Refused);
    EXPECT_TRUE(log().has(QStringLiteral("Warning: File '%1' has nothing to link to").arg(staged)));

    file->setRemainingFileName(kept);
    file->setContainerType(containerTypeiPhoto);
    EXPECT_EQ(run(Action::DeleteAndLink).outcome, RemovalOutcome::Refused);
    EXPECT_EQ(snapshot(tree().root()), before);
    EXPECT_TRUE(trashed().isEmpty());
}

// The disk steps with one kind of step failing as `code` does: the rename of a name to or from a hidden
// name with `prefix`, or the removal of such a name.
enum class Step { RenameTo, RenameFrom, Remove };
RemovalFileSystem failing(Step failed, const QByteArray& prefix, int code)
{
    RemovalFileSystem fileSystem = test::desktopFileSystem();
    const auto fail = [code](Error* error) {
        setError(error, QStringLiteral("POSIX"), code, qt_error_string(code));
        return false;
    };
    fileSystem.renameWithoutReplacing = [=, rename = fileSystem.renameWithoutReplacing](
                                            int folder, const QByteArray& from, const QByteArray& to, Error* error) {
        const bool fails = (failed == Step::RenameTo && to.startsWith(prefix)) || (failed == Step::RenameFrom && from.startsWith(prefix));
        return fails ? fail(error) : rename(folder, from, to, error);
    };
    fileSystem.removeName = [=, remove = fileSystem.removeName](int folder, const QByteArray& name, Error* error) {
        return failed == Step::Remove && name.startsWith(prefix) ? fail(error) : remove(folder, name, error);
    };
    return fileSystem;
}

TEST_F(FileRemoverTest, aStepThatFailsLeavesTheFileAtItsPath)
{
    const RemovalFileSystem noSecondName = failing(Step::RenameTo, ".pairsift-aside-", EMLINK);
    const RemovalFileSystem linkStuck = failing(Step::RenameFrom, ".pairsift-link-", EIO);
    const RemovalFileSystem asideStuck = failing(Step::Remove, ".pairsift-aside-", EIO);
    const RemovalFileSystem refusingTrash = test::desktopFileSystemAfter([](const QString&, Error* error) {
        setError(error, QStringLiteral("POSIX"), EACCES, QStringLiteral("Unable to find or create the home Trash"));
        return false;
    });
    struct Case {
        const char* name;
        RemovalFileSystem fileSystem;
        Action action;
        RemovalOutcome outcome;
        const char* reason;
        const char* logged;
    };
    const char* trashRefused = "it could not be moved to the Trash: Unable to find or create the home Trash";
    const QList<Case> cases = {
        {"no second name, Delete", noSecondName, Action::Delete, RemovalOutcome::TrashFailed,
            "it could not be moved to the Trash: Too many links", "Error: Error trashing file '%1': 31"},
        {"no second name, permanent Delete", noSecondName, Action::DeleteMarked, RemovalOutcome::Failed,
            "it could not be deleted: Too many links", "Error: Error deleting file '%1': Too many links"},
        {"no second name, Delete and link", noSecondName, Action::DeleteAndLink, RemovalOutcome::Failed,
            "a second name for it could not be made: Too many links", "Error: Unable to set '%1' aside: Too many links"},
        {"no second name, permanent Delete and link", noSecondName, Action::DeleteAndLinkMarked, RemovalOutcome::Failed,
            "a second name for it could not be made: Too many links", "Error: Unable to set '%1' aside: Too many links"},
        {"link cannot take its place", linkStuck, Action::DeleteAndLink, RemovalOutcome::Failed,
            "the link could not take its place: Input/output error",
            "Error: Error writing bookmark to '%1': Input/output error"},
        {"link cannot take its place, permanent", linkStuck, Action::DeleteAndLinkMarked, RemovalOutcome::Failed,
            "the link could not take its place: Input/output error",
            "Error: Error writing bookmark to '%1': Input/output error"},
        {"the Trash refuses it", refusingTrash, Action::Delete, RemovalOutcome::TrashFailed, trashRefused,
            "Error: Error trashing file '%1': 13"},
        {"the Trash refuses it once the link took its place", refusingTrash, Action::DeleteAndLink,
            RemovalOutcome::TrashFailed, trashRefused, "Error: Error trashing file '%1': 13"},
        {"the file set aside cannot be deleted", asideStuck, Action::DeleteMarked, RemovalOutcome::Failed,
            "it could not be deleted: Input/output error", "Error: Error deleting file '%1': Input/output error"},
        {"the file set aside cannot be deleted once the link took its place", asideStuck, Action::DeleteAndLinkMarked,
            RemovalOutcome::Failed, "it could not be deleted: Input/output error",
            "Error: Error deleting file '%1': Input/output error"},
    };
    for (const Case& c : cases) {
        prepare();
        const QStringList before = snapshot(tree().root());
        const RemovalResult result = run(c.action, c.fileSystem);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.reason, QString::fromLatin1(c.reason)) << c.name;
        EXPECT_EQ(snapshot(tree().root()), before) << c.name;
        EXPECT_TRUE(trashed().isEmpty()) << c.name;
        EXPECT_TRUE(log().has(QString::fromLatin1(c.logged).arg(staged))) << c.name;
    }
}

// Another program saves the staged file the way editors do (a new file renamed over the old) at one moment
// of the removal: what it saved is never what goes.
TEST_F(FileRemoverTest, aSaveOverTheStagedFileAtAnyMomentOfTheRemovalSurvives)
{
    const QByteArray saved = content.toUpper();
    const auto save = [this, &saved] {
        const QString temporary = tree().writeFile(QStringLiteral("copies/.duplicate.txt.swp"), saved);
        ASSERT_EQ(::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(staged).constData()), 0);
    };
    enum class Moment { AfterTheLastLook, WhileSetAside };
    // The save lands between the last look at the file and its rename, or once it has left its name.
    const auto savingAt = [&](Moment moment) {
        RemovalFileSystem racing = test::desktopFileSystem();
        racing.renameWithoutReplacing = [=, rename = racing.renameWithoutReplacing](
                                            int folder, const QByteArray& from, const QByteArray& to, Error* error) {
            if (moment == Moment::AfterTheLastLook && to.startsWith(".pairsift-aside-"))
                save();
            return rename(folder, from, to, error);
        };
        racing.moveToTrash = [=, move = racing.moveToTrash](int folder, const QByteArray& name, const QString& path,
                                 const std::function<bool()>& mayMove, Error* error) {
            if (moment == Moment::WhileSetAside)
                save();
            return move(folder, name, path, mayMove, error);
        };
        racing.removeName = [=, remove = racing.removeName](int folder, const QByteArray& name, Error* error) {
            if (moment == Moment::WhileSetAside && name.startsWith(".pairsift-aside-"))
                save();
            return remove(folder, name, error);
        };
        return racing;
    };
    for (Moment moment : {Moment::AfterTheLastLook, Moment::WhileSetAside}) {
        for (Action action : {Action::Delete, Action::DeleteMarked, Action::DeleteAndLink, Action::DeleteAndLinkMarked}) {
            SCOPED_TRACE(testing::Message() << "moment " << int(moment) << ", action " << int(action));
            prepare();
            const RemovalResult result = run(action, savingAt(moment));
            QFile file(staged);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), saved);
            EXPECT_TRUE(test::linkTarget(staged).isNull());
            EXPECT_EQ(test::folderEntries(tree().path(QStringLiteral("copies"))), QStringList{QStringLiteral("duplicate.txt")});
            const bool isTrashed = action == Action::Delete || action == Action::DeleteAndLink;
            if (moment == Moment::AfterTheLastLook) {
                EXPECT_EQ(result.outcome, RemovalOutcome::Refused);
                EXPECT_EQ(result.reason, RemovalCheck::changedWhileChecked);
                EXPECT_TRUE(trashed().isEmpty());
            } else {
                EXPECT_EQ(result.outcome, RemovalOutcome::Removed);
                EXPECT_EQ(trashed(), isTrashed ? QStringList{staged} : QStringList());
            }
        }
    }
}

TEST_F(FileRemoverTest, aChangeMadeWhileTheFilesAreReadIsRefusedAndLosesNothing)
{
    // Four reads each, the last one short: reads 1–4 are the staged file's, 5–8 its kept copy's.
    const QByteArray original = test::patternBytes(4 * FileItem::ChunkSize - 1000, 7);
    const QByteArray saved = test::patternBytes(original.size(), 8);
    const auto overwrite = [](const QString& path, qint64 offset, const QByteArray& bytes) {
        QFile opened(path);
        ASSERT_TRUE(opened.open(QIODevice::ReadWrite) && opened.seek(offset));
        ASSERT_EQ(opened.write(bytes), bytes.size());
    };
    struct Case {
        const char* name;
        int read;
        std::function<void(FileRemoverTest&)> change;
    };
    const QList<Case> cases = {
        {"staged file saved by rename", 2,
            [&](FileRemoverTest& t) {
                const QString temporary = t.tree().writeFile(QStringLiteral("copies/.duplicate.txt.swp"), saved);
                ASSERT_EQ(::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(t.staged).constData()), 0);
            }},
        {"staged file edited in place", 2, [&](FileRemoverTest& t) { overwrite(t.staged, 0, "edited"); }},
        {"staged folder renamed and recreated", 2,
            [](FileRemoverTest& t) {
                const QString folder = QFileInfo(t.staged).path();
                ASSERT_TRUE(QDir().rename(folder, folder + QStringLiteral("-moved")));
                t.tree().writeFile(QStringLiteral("copies/duplicate.txt"), "never scanned");
            }},
        {"kept copy deleted", 6, [](FileRemoverTest& t) { ASSERT_TRUE(QFile::remove(t.kept)); }},
        {"kept copy edited at its last chunk", 8, [&](FileRemoverTest& t) { overwrite(t.kept, original.size() - 6, "edited"); }},
    };
    for (const Case& c : cases) {
        for (Action action : {Action::DeleteMarked, Action::DeleteAndLinkMarked}) {
            prepare(original);
            QStringList afterTheChange;
            int reads = 0;
            const RemovalResult result = run(action, test::desktopFileSystem(), [&] {
                if (++reads == c.read) {
                    c.change(*this);
                    afterTheChange = snapshot(tree().root());
                }
                return false;
            });
            EXPECT_EQ(result.outcome, RemovalOutcome::Refused) << c.name;
            EXPECT_EQ(result.reason, RemovalCheck::changedWhileChecked) << c.name;
            EXPECT_EQ(snapshot(tree().root()), afterTheChange) << c.name;
            EXPECT_TRUE(trashed().isEmpty()) << c.name;
        }
    }
}

TEST_F(FileRemoverTest, aNameOf250BytesGoesToTheTrashAndIsReplacedByALink)
{
    // Two-byte characters, so that every shortening has to keep whole ones.
    const QString name = QString(123, QChar(0xE9)) + QStringLiteral(".txt");
    ASSERT_EQ(QFile::encodeName(name).size(), 250);
    for (Action action : {Action::Delete, Action::DeleteAndLink}) {
        prepare();
        const QString path = tree().writeFile(QStringLiteral("copies/") + name, content);
        file->setName(path);
        EXPECT_EQ(run(action).outcome, RemovalOutcome::Removed);
        EXPECT_EQ(trashed(), QStringList{path});
        EXPECT_EQ(test::linkTarget(path), action == Action::DeleteAndLink ? kept : QString());
        EXPECT_EQ(test::folderEntries(tree().path(QStringLiteral("copies"))).size(), action == Action::DeleteAndLink ? 2 : 1);
    }
}

} // namespace
} // namespace pairsift
