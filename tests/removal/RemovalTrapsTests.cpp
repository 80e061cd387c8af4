// The ways a removal could destroy a file the user never chose to lose, driven through the sheet's
// controller with a real store and the isolated Trash: changes on disk since the scan, a Trash that
// fails, and a crash in the middle of Delete and link.
#include "RemovalScene.h"
#include "RemovalTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <stdexcept>

namespace pairsift {
namespace {

using test::RemovalScene;

// Where the staged file ends.
enum class End { Untouched, InTrash, DeletedForGood };

const auto deleteAction = &TrashSheetController::deletePermanently;
const auto linkAction = &TrashSheetController::deleteAndLink;

RemovalFileSystem failingTrash()
{
    return test::desktopFileSystemAfter([](const QString&, Error* error) {
        setError(error, QStringLiteral("POSIX"), EACCES, QStringLiteral("Unable to find or create the home Trash"));
        return false;
    });
}

// The given Trash, with the process ending (as far as the files can tell) when the link is about to take the
// file's place for the `attempt`-th time.
RemovalFileSystem crashingBeforeTheLinkTakesItsPlace(RemovalFileSystem crashing, int attempt = 1)
{
    auto attempts = std::make_shared<int>(0);
    crashing.renameWithoutReplacing = [attempt, attempts, rename = crashing.renameWithoutReplacing](
                                          int folder, const QByteArray& from, const QByteArray& to, Error* error) {
        if (from.startsWith(".pairsift-link-") && ++*attempts == attempt)
            throw std::runtime_error("simulated crash");
        return rename(folder, from, to, error);
    };
    return crashing;
}

QStringList hiddenEntries(const QString& folder)
{
    return test::folderEntries(folder).filter(QStringLiteral(".pairsift-"));
}

// The staged file is edited after the scan, then the user presses Delete twice.
auto deleteTwiceAfterEditing(const QByteArray& edited, bool isTrashFailing)
{
    return [edited, isTrashFailing](RemovalScene& scene, const QString& staged) {
        if (isTrashFailing)
            scene.controller.setFileSystem(failingTrash());
        scene.tree.writeFile(QDir(scene.tree.root()).relativeFilePath(staged), edited);
        scene.runOnAll(deleteAction);
        scene.runOnAll(deleteAction);
    };
}

struct Trap {
    const char* name;
    // Changes on disk after the scan, then the user's runs; the last run's status is checked.
    std::function<void(RemovalScene& scene, const QString& staged)> act;
    End end;
    QList<quint64> questions;
    QString status;
};

TEST(RemovalTraps, noSequenceOfActionsLosesAFileTheUserDidNotChoose)
{
    const QString refusedAfterScan = QStringLiteral("1 file was not removed: %1. Scan again to see the current duplicates.");
    const QList<Trap> traps = {
        {"kept copy moved away, then back",
            [](RemovalScene& scene, const QString&) {
                const QString folder = QFileInfo(scene.kept).path();
                ASSERT_TRUE(QDir().rename(folder, folder + QStringLiteral("-away")));
                scene.runOnAll(deleteAction);
                EXPECT_EQ(scene.controller.message(),
                    QStringLiteral("1 file was not removed: its kept copy is missing. Scan again to see the current duplicates."));
                ASSERT_TRUE(QDir().rename(folder + QStringLiteral("-away"), folder));
                scene.runOnAll(deleteAction);
            },
            End::InTrash, {}, QStringLiteral("Idle.")},
        {"staged file grew, working Trash", deleteTwiceAfterEditing("same, but edited", false), End::Untouched, {},
            refusedAfterScan.arg(QStringLiteral("its size has changed"))},
        {"staged file grew, failing Trash twice", deleteTwiceAfterEditing("same, but edited", true), End::Untouched, {},
            refusedAfterScan.arg(QStringLiteral("its size has changed"))},
        // Its mark stays, and so does the way to delete it.
        {"staged file edited at the same size, failing Trash twice", deleteTwiceAfterEditing("SAME", true),
            End::Untouched, {1},
            refusedAfterScan.arg(QStringLiteral("its content differs from its kept copy")) + QLatin1Char(' ')
                + TrashSheetController::trashFailureMessage},
        {"kept copy rewritten at the same size, Delete and link",
            [](RemovalScene& scene, const QString&) {
                scene.tree.writeFile(QStringLiteral("kept/kept.txt"), "SAME");
                scene.runOnAll(linkAction);
            },
            End::Untouched, {}, refusedAfterScan.arg(QStringLiteral("its content differs from its kept copy"))},
        {"Trash fails three times: Cancel, then Delete Permanently",
            [](RemovalScene& scene, const QString& staged) {
                scene.controller.setFileSystem(failingTrash());
                scene.runOnAll(deleteAction);
                EXPECT_EQ(scene.controller.message(), TrashSheetController::trashFailureMessage);
                scene.answer = false;
                scene.runOnAll(deleteAction);
                EXPECT_TRUE(QFileInfo(staged).isFile());
                EXPECT_EQ(scene.controller.message(), TrashSheetController::trashFailureMessage);
                EXPECT_TRUE(scene.controller.hasErrorMark(staged));
                scene.answer = true;
                scene.runOnAll(deleteAction);
            },
            End::DeletedForGood, {1, 1}, QStringLiteral("Idle.")},
        {"crash in Delete and link, then Delete",
            [](RemovalScene& scene, const QString& staged) {
                scene.controller.setFileSystem(crashingBeforeTheLinkTakesItsPlace(test::desktopFileSystem()));
                scene.runOnAll(linkAction);
                EXPECT_FALSE(QFileInfo::exists(staged));
                EXPECT_EQ(hiddenEntries(QFileInfo(staged).path()).size(), 2);
                EXPECT_EQ(scene.controller.message(), QStringLiteral("The removal ended with an error: simulated crash"));
                EXPECT_EQ(scene.controller.runOutcome(), RunOutcome::failed(QStringLiteral("simulated crash")));
                scene.controller.setFileSystem(test::desktopFileSystem());
                scene.runOnAll(deleteAction);
            },
            End::InTrash, {}, QStringLiteral("Idle.")},
        {"crash in a permanent Delete and link, then Put back",
            [](RemovalScene& scene, const QString& staged) {
                scene.controller.setFileSystem(failingTrash());
                scene.runOnAll(deleteAction);
                // The Trash is tried again first; the permanent run that follows crashes.
                scene.controller.setFileSystem(crashingBeforeTheLinkTakesItsPlace(failingTrash(), 2));
                scene.runOnAll(linkAction);
                EXPECT_FALSE(QFileInfo::exists(staged)) << "only the copy set aside is left";
                scene.controller.setFileSystem(test::desktopFileSystem());
                scene.runOnAll(&TrashSheetController::putBack);
                EXPECT_TRUE(scene.stagedRows().isEmpty()) << "put back, never 'already gone'";
            },
            End::Untouched, {1}, QStringLiteral("Idle.")},
    };
    for (const Trap& trap : traps) {
        SCOPED_TRACE(trap.name);
        RemovalScene scene;
        const QString staged = scene.addFile(QStringLiteral("copies/copy.txt"));
        scene.load();
        trap.act(scene, staged);
        QFile file(staged);
        const bool isAtPath = file.open(QIODevice::ReadOnly);
        const bool isInTrash = test::trashedPaths(scene.tree.root()).contains(staged);
        switch (trap.end) {
        case End::Untouched:
            EXPECT_TRUE(isAtPath && !isInTrash);
            break;
        case End::InTrash:
            EXPECT_TRUE(!isAtPath && isInTrash);
            break;
        case End::DeletedForGood:
            EXPECT_TRUE(!isAtPath && !isInTrash);
            break;
        }
        EXPECT_EQ(scene.questions, trap.questions);
        EXPECT_EQ(scene.controller.message(), trap.status);
        EXPECT_TRUE(hiddenEntries(QFileInfo(staged).path()).isEmpty());
        EXPECT_TRUE(QFileInfo(scene.kept).isFile());
    }
}

} // namespace
} // namespace pairsift
