// The removal sheet's controller over a temporary store and tree, with the isolated Trash: loading, the status
// line, the enabling rules, and whole runs of the three actions.
#include "removal/TrashSheetController.h"

#include "RemovalScene.h"
#include "RemovalTestSupport.h"
#include "photolibs/ContainerType.h"
#include "removal/PhotoLibraryHandlers.h"
#include "removal/TrashSheetFilesModel.h"
#include "store/PairsiftDatabase.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace pairsift {
namespace {

class TrashSheetControllerTest : public testing::Test, public test::RemovalScene {};

TEST_F(TrashSheetControllerTest, loadsTheStagedRowsAndShowsTheSelectionInTheStatusLine)
{
    load();
    EXPECT_TRUE(controller.deletedFiles().isEmpty());
    EXPECT_EQ(controller.message(), QStringLiteral("Idle."));

    TrashSheetController sheet;
    sheet.setDatabase(store);
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        addFile(QString::fromLatin1(name));
    sheet.loadStagedFiles();
    ASSERT_TRUE(test::waitUntil([&] { return !sheet.isBusy(); }));
    ASSERT_EQ(sheet.filesModel()->rowCount(), 3);
    EXPECT_EQ(sheet.deletedFiles().first()->remainingFileName(), kept);
    EXPECT_EQ(sheet.deletedFiles().first()->totalSize(), quint64(content.size()));
    const QList<std::pair<QList<int>, QString>> cases = {
        {{1}, QStringLiteral("Selected 1 file")}, {{0, 1, 2}, QStringLiteral("Selected 3 files")}, {{}, QStringLiteral("Idle.")}};
    for (const auto& [rows, text] : cases) {
        sheet.setSelectionIndexes(rows);
        EXPECT_EQ(sheet.message(), text);
    }
}

TEST_F(TrashSheetControllerTest, onlyPlainFolderFilesCanBeDeletedAndLinked)
{
    addFile(QStringLiteral("plain.txt"));
    addFile(QStringLiteral("Photos.photolibrary/Masters/p.jpg"), true, containerTypeiPhoto);
    addFile(QStringLiteral("Lib.aplibrary/Masters/a.jpg"), true, containerTypeAperture);
    load();
    const auto rowOf = [this](const QString& type) {
        return rowWhere([&](const FileItem& file) { return file.containerType() == type; });
    };
    const QList<std::pair<QList<int>, bool>> cases = {{{}, true}, {{rowOf(containerTypeDirectory)}, true},
        {{rowOf(containerTypeDirectory), rowOf(containerTypeiPhoto)}, false}, {{rowOf(containerTypeAperture)}, false}};
    for (const auto& [rows, canLink] : cases) {
        controller.setSelectionIndexes(rows);
        EXPECT_EQ(controller.canDeleteAndLink(), canLink);
    }

    const ClassifiedFiles classified = TrashSheetController::classifyFiles(controller.deletedFiles());
    EXPECT_EQ(classified.directory.size(), 1);
    EXPECT_EQ(classified.iPhoto.keys(), QStringList{tree.root()});
    EXPECT_EQ(classified.aperture.keys(), QStringList{tree.root()});
}

TEST_F(TrashSheetControllerTest, aSecondAttemptTriesTheTrashAgainAndAsksOnlyAboutTheFilesItRefusesAgain)
{
    const QString first = addFile(QStringLiteral("copies/first.txt"));
    const QString flaky = addFile(QStringLiteral("copies/flaky.txt"));
    const QString refused = addFile(QStringLiteral("copies/refused.txt"));
    const QString edited = addFile(QStringLiteral("copies/edited.txt"));
    tree.writeFile(QStringLiteral("copies/edited.txt"), "same, edited");
    load();
    int flakyAttempts = 0;
    controller.setFileSystem(test::desktopFileSystemAfter([&](const QString& path, Error*) {
        return path != refused && (path != flaky || ++flakyAttempts > 1);
    }));
    runOnAll(&TrashSheetController::deletePermanently);

    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(test::trashedPaths(tree.root()), QStringList{first});
    EXPECT_EQ(listed(), (QStringList{edited, flaky, refused}));
    EXPECT_EQ(stagedRows(), listed());
    EXPECT_EQ(controller.automaticMessage(),
        QStringLiteral("3 files were not removed: 2 could not be moved to the Trash, 1 changed after the scan. "
                       "Scan again to see the current duplicates. ")
            + TrashSheetController::trashFailureMessage);
    // Each row keeps its own reason.
    EXPECT_EQ(controller.failureReason(edited), QStringLiteral("its size has changed"));
    EXPECT_TRUE(controller.failureReason(refused).startsWith(QStringLiteral("it could not be moved to the Trash")));
    EXPECT_TRUE(controller.hasErrorMark(flaky) && controller.hasErrorMark(refused) && !controller.hasErrorMark(edited));

    runOnAll(&TrashSheetController::deletePermanently);
    EXPECT_EQ(questions, QList<quint64>{1});
    EXPECT_FALSE(QFileInfo::exists(refused));
    EXPECT_EQ(test::trashedPaths(tree.root()), (QStringList{first, flaky}));
    EXPECT_EQ(listed(), QStringList{edited});
    EXPECT_EQ(stagedRows(), listed());
    EXPECT_TRUE(controller.fileErrors().isEmpty());
    EXPECT_EQ(controller.automaticMessage(),
        QStringLiteral("1 file was not removed: its size has changed. Scan again to see the current duplicates."));
    EXPECT_TRUE(QFileInfo(kept).isFile());
}

TEST_F(TrashSheetControllerTest, progressReachesTheSheetDuringTheRunAndAMovedFileStaysListed)
{
    QStringList paths;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        paths.append(addFile(QString::fromLatin1(name)));
    ASSERT_TRUE(QFile::rename(paths.at(2), tree.path(QStringLiteral("moved.txt"))));
    load();
    // The last file waits until the sheet has shown the first three as done.
    std::atomic<bool> hasShownThree{false};
    QObject::connect(&controller, &TrashSheetController::messageChanged, [&] {
        if (controller.progress() == 75.0 && controller.automaticMessage() == QStringLiteral("Remaining files: 1"))
            hasShownThree = true;
    });
    controller.setFileSystem(test::desktopFileSystemAfter([&, last = paths.at(3)](const QString& path, Error*) {
        const QDeadlineTimer deadline(10000);
        while (path == last && !hasShownThree && !deadline.hasExpired())
            QThread::msleep(5);
        return true;
    }));
    runOnAll(&TrashSheetController::deletePermanently);

    EXPECT_TRUE(hasShownThree);
    EXPECT_EQ(controller.progress(), 100.0);
    EXPECT_EQ(test::trashedPaths(tree.root()), (QStringList{paths.at(0), paths.at(1), paths.at(3)}));
    // Nothing was removed: its duplicate is not forgotten.
    EXPECT_EQ(listed(), QStringList{paths.at(2)});
    EXPECT_EQ(stagedRows(), listed());
    EXPECT_EQ(controller.removedFiles().size(), 3);
    EXPECT_EQ(controller.failureReason(paths.at(2)), QStringLiteral("it is no longer at its place"));
    EXPECT_FALSE(controller.hasErrorMark(paths.at(2)));
    EXPECT_EQ(controller.message(),
        QStringLiteral("1 file was not removed: it is no longer at its place. Scan again to see the current duplicates."));
}

TEST_F(TrashSheetControllerTest, theTrashFailureTextStaysWhileAnyFileIsMarked)
{
    const QString first = addFile(QStringLiteral("copies/a-first.txt"));
    const QString other = addFile(QStringLiteral("copies/b-other.txt"));
    const QString refused = addFile(QStringLiteral("copies/c-refused.txt"));
    load();
    const auto rowOf = [this](const QString& path) {
        return rowWhere([&](const FileItem& file) { return file.name() == path; });
    };
    const auto runOn = [&](const QStringList& paths, void (TrashSheetController::*action)()) {
        const int before = finishedRuns;
        QList<int> rows;
        for (const QString& path : paths)
            rows.append(rowOf(path));
        controller.setSelectionIndexes(rows);
        (controller.*action)();
        ASSERT_TRUE(test::waitUntil([&] { return finishedRuns > before; }));
    };
    controller.setFileSystem(test::desktopFileSystemAfter([&](const QString& path, Error*) { return path != refused; }));
    runOn({refused}, &TrashSheetController::deletePermanently);
    ASSERT_TRUE(controller.hasErrorMark(refused));
    EXPECT_EQ(controller.message(), TrashSheetController::trashFailureMessage);

    runOn({other}, &TrashSheetController::putBack);
    EXPECT_EQ(controller.message(), TrashSheetController::trashFailureMessage);

    // Stopped after the first file, before the marked one.
    controller.setFileSystem(test::desktopFileSystemAfter([&](const QString& path, Error*) {
        if (path == first)
            controller.stopDeleting();
        return true;
    }));
    runOn({first, refused}, &TrashSheetController::deletePermanently);
    EXPECT_TRUE(controller.runOutcome().isStopped());
    EXPECT_EQ(listed(), QStringList{refused});
    EXPECT_EQ(controller.message(), TrashSheetController::trashFailureMessage);
}

TEST_F(TrashSheetControllerTest, stopLeavesTheRestListedAndStaged)
{
    QStringList paths;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        paths.append(addFile(QString::fromLatin1(name)));
    load();
    controller.setFileSystem(test::desktopFileSystemAfter([this, second = paths.at(1)](const QString& path, Error*) {
        if (path == second)
            controller.stopDeleting();
        return true;
    }));
    runOnAll(&TrashSheetController::deletePermanently);

    const QStringList rest = {paths.at(2), paths.at(3)};
    EXPECT_EQ(test::trashedPaths(tree.root()), (QStringList{paths.at(0), paths.at(1)}));
    EXPECT_EQ(listed(), rest);
    EXPECT_EQ(stagedRows(), rest);
    EXPECT_FALSE(controller.isStopped());
    EXPECT_TRUE(controller.runOutcome().isStopped());
    EXPECT_EQ(controller.message(), QStringLiteral("Selected 2 files"));
    EXPECT_EQ(controller.automaticMessage(), QStringLiteral("Idle."));
}

TEST_F(TrashSheetControllerTest, deleteAndLinkAndPutBack)
{
    const QString linked = addFile(QStringLiteral("copies/linked.txt"));
    const QString restored = addFile(QStringLiteral("copies/restored.txt"));
    const QString vanished = addFile(QStringLiteral("copies/vanished.txt"));
    QFile::remove(vanished);
    load();
    controller.setSelectionIndexes({rowWhere([&](const FileItem& file) { return file.name() == linked; })});
    controller.deleteAndLink();
    ASSERT_TRUE(test::waitUntil([&] { return finishedRuns == 1; }));
    EXPECT_EQ(test::linkTarget(linked), kept);
    EXPECT_EQ(stagedRows(), (QStringList{restored, vanished}));

    runOnAll(&TrashSheetController::putBack);
    EXPECT_EQ(controller.restoredFiles().size(), 2);
    EXPECT_TRUE(stagedRows().isEmpty());
    QStringList live;
    store->enumerateFiles([&](const QString& path, auto&&...) { live.append(path); });
    live.sort();
    EXPECT_EQ(live, (QStringList{restored, kept}));
    EXPECT_TRUE(QFileInfo(restored).isFile());
}

TEST_F(TrashSheetControllerTest, theSheetCannotCloseDuringARun)
{
    addFile(QStringLiteral("a.txt"));
    load();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    controller.setFileSystem(test::desktopFileSystemAfter([released](const QString&, Error*) {
        released.wait();
        return true;
    }));
    int closeRequests = 0;
    QObject::connect(&controller, &TrashSheetController::closeRequested, [&] { ++closeRequests; });
    selectAll();
    controller.deletePermanently();
    EXPECT_TRUE(controller.isRunning());
    EXPECT_EQ(controller.message(), QStringLiteral("Remaining files: 1")) << "at once, before the first progress";
    controller.close();
    EXPECT_EQ(closeRequests, 0);
    release.set_value();
    ASSERT_TRUE(test::waitUntil([&] { return finishedRuns == 1; }));
    controller.close();
    EXPECT_EQ(closeRequests, 1);
}

// Photo-library handlers that record what they were given and fail like a switch that does not work.
class RecordingHandlers : public PhotoLibraryHandlers {
public:
    QString iPhotoLibraryPath() override { return QStringLiteral("/current/iPhoto"); }
    QString apertureLibraryPath() override { return {}; }
    void iPhotoHandler(PhotoRemovalRun& run) override
    {
        calls.append(QStringLiteral("iPhoto"));
        run.setStatus(QStringLiteral("Processing iPhoto library ") + libraryPath);
        // Long enough for the sheet's progress timer to tick meanwhile.
        QThread::msleep(3 * TrashSheetController::progressIntervalMs);
        for (const FileItemPtr& file : run.classified.iPhoto.value(libraryPath)) {
            run.processedFiles.append(file);
            run.countFileDone();
        }
        run.setFailureStatus(QStringLiteral("Unable to switch Aperture library"));
    }
    void apertureHandler(PhotoRemovalRun& run) override
    {
        calls.append(QStringLiteral("Aperture"));
        doneBefore = *run.doneCount;
    }

    QString libraryPath;
    QStringList calls;
    std::uint64_t doneBefore = 0;
};

TEST_F(TrashSheetControllerTest, aDeleteRunEndsWithThePhotoLibraryHandlersAndKeepsTheirFailureText)
{
    const auto handlers = std::make_shared<RecordingHandlers>();
    handlers->libraryPath = tree.root();
    controller.setPhotoLibraryHandlers(handlers);
    EXPECT_EQ(controller.iPhotoLibraryPath(), QStringLiteral("/current/iPhoto"));
    addFile(QStringLiteral("plain.txt"));
    const QString photo = addFile(QStringLiteral("Photos.photolibrary/Masters/p.jpg"), true, containerTypeiPhoto);
    load();
    QStringList statuses;
    QObject::connect(&controller, &TrashSheetController::messageChanged, [&] {
        if (statuses.value(statuses.size() - 1) != controller.automaticMessage())
            statuses.append(controller.automaticMessage());
    });
    runOnAll(&TrashSheetController::deletePermanently);

    // The handler's text stays until its next one.
    const qsizetype processing = statuses.indexOf(QStringLiteral("Processing iPhoto library ") + tree.root());
    ASSERT_GE(processing, 0);
    EXPECT_EQ(statuses.value(processing + 1), QStringLiteral("Remaining files: 0"));
    EXPECT_EQ(handlers->calls, (QStringList{QStringLiteral("iPhoto"), QStringLiteral("Aperture")}));
    EXPECT_EQ(handlers->doneBefore, 2u);
    EXPECT_EQ(controller.progress(), 100.0);
    EXPECT_TRUE(QFileInfo(photo).isFile()) << "a photo never goes to the Trash";
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(controller.automaticMessage(), QStringLiteral("Unable to switch Aperture library"));
}

} // namespace
} // namespace pairsift
