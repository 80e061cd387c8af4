// Delete runs over photo-library files with the fake photo applications: library by library from the
// current one, a failure on the second library, switching back, and Aperture masters whose tagging failed.
#include "removal/TrashSheetController.h"

#include "RemovalTestSupport.h"
#include "photolibs/HVRiPhotoDriver.h"
#include "photolibs/fake/FakePhotoApplications.h"
#include "photolibs/ContainerType.h"
#include "platform/UserDefaults.h"
#include "store/PairsiftDatabase.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <QDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <utility>

namespace pairsift {
namespace {

using test::FakePhotoApplications;

class PhotoLibraryRemovalTest : public testing::Test {
protected:
    PhotoLibraryRemovalTest() { UserDefaults::setConfigurationFolder(tree.makeFolder(QStringLiteral("config"))); }
    ~PhotoLibraryRemovalTest() override { UserDefaults::setConfigurationFolder(tree.path(QStringLiteral("after"))); }

    void SetUp() override
    {
        store = PairsiftDatabase::databaseWithPath(tree.path(QStringLiteral("PairsiftData.db3")));
        ASSERT_TRUE(store);
        controller.setDatabase(store);
        controller.setLogger(log.logger());
        controller.setFileSystem(test::desktopFileSystem());
        QObject::connect(&controller, &TrashSheetController::runFinished, [this] { isFinished = true; });
    }

    // A staged master image of the library `library` (a folder below the tree).
    QString stage(const QString& library, const QString& name, const ContainerType& type)
    {
        const QString path = tree.writeFile(library + QStringLiteral("/Masters/") + name, "photo");
        EXPECT_TRUE(store->addFile(path, 5, {}, type, tree.path(library)));
        EXPECT_TRUE(store->trashFile(path, {}));
        return path;
    }

    // A photo staged in each of two iPhoto libraries, the first of them `current`, with iPhoto running.
    std::pair<QString, QString> stageInTwoRunningiPhotoLibraries(const QString& current)
    {
        EXPECT_TRUE(HVRiPhotoDriver::setLibraryPath(current));
        const QString first = stage(QStringLiteral("One.photolibrary"), QStringLiteral("a.jpg"), containerTypeiPhoto);
        const QString second = stage(QStringLiteral("Two.photolibrary"), QStringLiteral("b.jpg"), containerTypeiPhoto);
        fake->addPhoto(first);
        fake->addPhoto(second);
        fake->iPhoto().setRunning(true);
        return {first, second};
    }

    void deleteAll()
    {
        controller.loadStagedFiles();
        ASSERT_TRUE(test::waitUntil([this] { return !controller.isBusy(); }));
        QList<int> rows;
        for (int row = 0; row < controller.deletedFiles().size(); ++row)
            rows.append(row);
        controller.setSelectionIndexes(rows);
        controller.deletePermanently();
        ASSERT_TRUE(test::waitUntil([this] { return isFinished; }));
    }

    QStringList listed() const
    {
        QStringList paths;
        for (const FileItemPtr& file : controller.deletedFiles())
            paths.append(file->name());
        return paths;
    }

    test::TemporaryTree tree;
    test::LogCapture log;
    const std::shared_ptr<FakePhotoApplications> fake = std::make_shared<FakePhotoApplications>();
    FakePhotoApplications::Installation installation{fake};
    std::shared_ptr<PairsiftDatabase> store;
    TrashSheetController controller;
    bool isFinished = false;
};

TEST_F(PhotoLibraryRemovalTest, aFailingScriptOnTheSecondiPhotoLibraryLeavesItsPhotosStagedAndSwitchesBack)
{
    const QString current = tree.path(QStringLiteral("One.photolibrary"));
    const auto [first, second] = stageInTwoRunningiPhotoLibraries(current);
    fake->failScriptNumber(2);
    deleteAll();

    EXPECT_EQ(listed(), QStringList{second});
    EXPECT_EQ(fake->photoImagePaths(), QStringList{second});
    EXPECT_EQ(controller.automaticMessage(), QStringLiteral("Idle."));
    EXPECT_EQ(HVRiPhotoDriver::libraryPath(), current);
    EXPECT_TRUE(HVRiPhotoDriver::iPhotoIsRunning()) << "brought up again as it was";
    EXPECT_TRUE(QFileInfo(first).isFile()) << "a library is never changed through the file system";
}

TEST_F(PhotoLibraryRemovalTest, aFailingSwitchToTheSecondLibraryEndsTheHandlerWithItsText)
{
    const QString current = tree.path(QStringLiteral("One.photolibrary"));
    const auto [first, second] = stageInTwoRunningiPhotoLibraries(current);
    fake->iPhoto().setQuitAfterRunningChecks(std::nullopt);
    deleteAll();

    EXPECT_EQ(listed(), QStringList{second});
    EXPECT_EQ(fake->photoImagePaths(), QStringList{second});
    EXPECT_EQ(controller.automaticMessage(), QStringLiteral("Unable to switch iPhoto library"));
    EXPECT_EQ(HVRiPhotoDriver::libraryPath(), current);
    EXPECT_TRUE(log.has(QStringLiteral("Error: Unable to switch iPhoto library to %1").arg(tree.path(QStringLiteral("Two.photolibrary")))));
}

TEST_F(PhotoLibraryRemovalTest, anApertureMasterWhoseVersionsWereNotAllTaggedOrNotReadStaysStagedWithItsReason)
{
    const QString library = tree.makeFolder(QStringLiteral("Lib.aplibrary"));
    UserDefaults::domain(QStringLiteral("com.apple.Aperture")).setValue(QStringLiteral("LibraryPath"), library);
    tree.makeFolder(QStringLiteral("Lib.aplibrary/Database"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(library + QStringLiteral("/Database/Library.apdb")).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                  "CREATE TABLE RKMaster (uuid TEXT, imagePath TEXT); CREATE TABLE RKVersion (uuid TEXT, masterUuid TEXT);"
                  "INSERT INTO RKMaster VALUES ('m1', 'a.jpg'), ('m2', 'b.jpg');"
                  "INSERT INTO RKVersion VALUES ('v1', 'm1'), ('v2', 'm1'), ('v3', 'm2');",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    for (const char* uuid : {"v1", "v2", "v3"})
        fake->addImageVersion(QString::fromLatin1(uuid));
    stage(QStringLiteral("Lib.aplibrary"), QStringLiteral("a.jpg"), containerTypeAperture);
    const QString untagged = stage(QStringLiteral("Lib.aplibrary"), QStringLiteral("b.jpg"), containerTypeAperture);
    // A row of the library whose path lies outside it: its versions cannot be looked up.
    const QString unread = tree.writeFile(QStringLiteral("Elsewhere/c.jpg"), "photo");
    ASSERT_TRUE(store->addFile(unread, 5, {}, containerTypeAperture, library));
    ASSERT_TRUE(store->trashFile(unread, {}));
    fake->failScriptNumber(3);
    deleteAll();

    EXPECT_EQ(fake->keywordsOfImageVersion(QStringLiteral("v2")), QStringList{QStringLiteral("Duplicate")});
    QStringList left = listed();
    left.sort();
    EXPECT_EQ(left, (QStringList{unread, untagged}));
    EXPECT_EQ(controller.failureReason(unread), QStringLiteral("its versions could not be read from the Aperture library"));
    EXPECT_EQ(controller.failureReason(untagged), QStringLiteral("not every version of it could be tagged in Aperture"));
    EXPECT_FALSE(controller.hasErrorMark(untagged)) << "no Trash was involved: nothing to delete permanently";
    EXPECT_EQ(controller.progress(), 100.0);
    EXPECT_EQ(controller.removedFiles().size(), 1);
}

} // namespace
} // namespace pairsift
