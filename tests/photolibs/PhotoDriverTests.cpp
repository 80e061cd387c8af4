#include "photolibs/HVRApertureDriver.h"
#include "photolibs/HVRiPhotoDriver.h"
#include "photolibs/fake/FakePhotoApplications.h"
#include "platform/SBApplicationDelegate.h"
#include "platform/UserDefaults.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

using namespace std::chrono_literals;
using test::FakePhotoApplications;
using test::FakeScriptableApplication;

const QString iPhotoDomain = QStringLiteral("com.apple.iPhoto");
const QString apertureDomain = QStringLiteral("com.apple.Aperture");

class NullDelegate : public SBApplicationDelegate {
public:
    void eventDidFail(const QString&, const Error&) override { }
};

class PhotoDriverTest : public testing::Test {
protected:
    PhotoDriverTest() { UserDefaults::setConfigurationFolder(m_tree.makeFolder(QStringLiteral("config"))); }
    ~PhotoDriverTest() override { UserDefaults::setConfigurationFolder(m_tree.path(QStringLiteral("after"))); }

    // A domain's file as written, so that a test sees what reached the disk.
    QJsonObject writtenDomain(const QString& domain) const
    {
        QFile file(m_tree.path(QStringLiteral("config/domains/%1.json").arg(domain)));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }
    void storeLibraryPath(const QString& domain, const QString& path)
    {
        UserDefaults::domain(domain).setValue(QStringLiteral("LibraryPath"), path);
        ASSERT_TRUE(UserDefaults::domain(domain).synchronize());
    }

    test::TemporaryTree m_tree;
    const std::shared_ptr<FakePhotoApplications> m_fake = std::make_shared<FakePhotoApplications>();
    FakePhotoApplications::Installation m_installation{m_fake};
    NullDelegate m_delegate;
};

TEST_F(PhotoDriverTest, theLibraryPathHasALeadingTildeExpanded)
{
    const QString home = QDir::homePath();
    const struct {
        QString stored;
        QString read;
    } cases[] = {
        {QStringLiteral("~/Pictures/iPhoto Library"), home + QStringLiteral("/Pictures/iPhoto Library")},
        {QStringLiteral("~"), home},
        {QStringLiteral("/Volumes/Photos/Library"), QStringLiteral("/Volumes/Photos/Library")},
        {QStringLiteral("/a/~/b"), QStringLiteral("/a/~/b")},
    };
    for (const auto& testCase : cases) {
        storeLibraryPath(iPhotoDomain, testCase.stored);
        storeLibraryPath(apertureDomain, testCase.stored);
        EXPECT_EQ(HVRiPhotoDriver::libraryPath(), testCase.read);
        EXPECT_EQ(HVRApertureDriver::libraryPath(), testCase.read);
    }
    UserDefaults::domain(iPhotoDomain).removeValue(QStringLiteral("LibraryPath"));
    EXPECT_TRUE(HVRiPhotoDriver::libraryPath().isNull());
}

TEST_F(PhotoDriverTest, switchingToTheCurrentLibraryLeavesEverythingAlone)
{
    storeLibraryPath(iPhotoDomain, QStringLiteral("~/Pictures/Lib"));
    m_fake->iPhoto().setRunning(true);
    bool isSwitched = true;
    EXPECT_TRUE(
        HVRiPhotoDriver::switchToLibrary(QDir::homePath() + QStringLiteral("/Pictures/Lib"), &m_delegate, &isSwitched));
    EXPECT_FALSE(isSwitched);
    EXPECT_EQ(m_fake->iPhoto().quitCount(), 0);
    EXPECT_TRUE(m_fake->iPhoto().isRunning());
    EXPECT_FALSE(writtenDomain(iPhotoDomain).contains(QStringLiteral("RootDirectory")));
}

TEST_F(PhotoDriverTest, switchingWhileRunningQuitsSavingChangesThenWritesTheKeys)
{
    for (const bool isIPhoto : {true, false}) {
        FakeScriptableApplication& application = isIPhoto ? m_fake->iPhoto() : m_fake->aperture();
        const QString& domain = isIPhoto ? iPhotoDomain : apertureDomain;
        storeLibraryPath(domain, QStringLiteral("/old"));
        application.setRunning(true);
        application.setQuitAfterRunningChecks(3);
        bool isSwitched = false;
        const bool answer = isIPhoto
            ? HVRiPhotoDriver::switchToLibrary(QStringLiteral("/new"), &m_delegate, &isSwitched)
            : HVRApertureDriver::switchToLibrary(QStringLiteral("/new"), &m_delegate, &isSwitched);
        EXPECT_TRUE(answer);
        EXPECT_TRUE(isSwitched);
        EXPECT_EQ(application.quitCount(), 1);
        EXPECT_EQ(application.lastSaveOption(), saveOptionYes);
        EXPECT_FALSE(application.isRunning());
        EXPECT_EQ(application.launchCount(), 0) << "the next connection starts it, not the switch";
        EXPECT_EQ(application.delegate(), nullptr);
        const QJsonObject written = writtenDomain(domain);
        EXPECT_EQ(written.value(QStringLiteral("LibraryPath")).toString(), QStringLiteral("/new"));
        // iPhoto also keeps the library as its root directory; Aperture has only the one key.
        EXPECT_EQ(written.contains(QStringLiteral("RootDirectory")), isIPhoto);
        EXPECT_EQ(
            written.value(QStringLiteral("RootDirectory")).toString(), isIPhoto ? QStringLiteral("/new") : QString());
    }
    EXPECT_GE(m_fake->sleepCount(), 2) << "each quit waits at least one poll";
}

TEST_F(PhotoDriverTest, aQuitThatNeverFinishesTimesOutAndWritesNothing)
{
    storeLibraryPath(iPhotoDomain, QStringLiteral("/old"));
    m_fake->iPhoto().setRunning(true);
    m_fake->iPhoto().setQuitAfterRunningChecks(std::nullopt);
    bool isSwitched = true;
    EXPECT_FALSE(HVRiPhotoDriver::switchToLibrary(QStringLiteral("/new"), &m_delegate, &isSwitched));
    EXPECT_FALSE(isSwitched);
    EXPECT_EQ(m_fake->slept(), 120s);
    EXPECT_EQ(HVRiPhotoDriver::libraryPath(), QStringLiteral("/old"));
    EXPECT_EQ(writtenDomain(iPhotoDomain).value(QStringLiteral("LibraryPath")).toString(), QStringLiteral("/old"));
    EXPECT_FALSE(writtenDomain(iPhotoDomain).contains(QStringLiteral("RootDirectory")));
}

TEST_F(PhotoDriverTest, switchingBackToAnUnsetLibraryRemovesTheKeys)
{
    ASSERT_TRUE(HVRiPhotoDriver::setLibraryPath(QStringLiteral("/new")));
    ASSERT_EQ(writtenDomain(iPhotoDomain).size(), 2);
    bool isSwitched = false;
    EXPECT_TRUE(HVRiPhotoDriver::switchToLibrary(QString(), &m_delegate, &isSwitched));
    EXPECT_TRUE(isSwitched);
    EXPECT_TRUE(writtenDomain(iPhotoDomain).isEmpty());
    EXPECT_TRUE(HVRiPhotoDriver::libraryPath().isNull());
}

TEST_F(PhotoDriverTest, preferencesThatCannotBeWrittenFailTheSwitch)
{
    // A file where the domains folder should be: the domain cannot be synchronised.
    UserDefaults::setConfigurationFolder(m_tree.makeFolder(QStringLiteral("blocked")));
    m_tree.writeFile(QStringLiteral("blocked/domains"), "not a folder");
    bool isSwitched = true;
    EXPECT_FALSE(HVRApertureDriver::switchToLibrary(QStringLiteral("/new"), &m_delegate, &isSwitched));
    EXPECT_FALSE(isSwitched);
}

TEST_F(PhotoDriverTest, connectingStartsIPhotoWhenItCan)
{
    HVRiPhotoDriver driver;
    EXPECT_TRUE(driver.connectWithDelegate(&m_delegate));
    EXPECT_EQ(m_fake->iPhoto().launchCount(), 1);
    EXPECT_EQ(m_fake->iPhoto().delegate(), &m_delegate);
    EXPECT_TRUE(HVRiPhotoDriver::iPhotoIsRunning());
    driver.disconnect();
    EXPECT_EQ(m_fake->iPhoto().delegate(), nullptr);

    m_fake->iPhoto().setRunning(false);
    m_fake->iPhoto().setLaunchable(false);
    EXPECT_FALSE(driver.connectWithDelegate(&m_delegate));
    EXPECT_NE(driver.iPhotoApp(), nullptr);
}

TEST_F(PhotoDriverTest, installedMeansTheIdentifierAndTheNameWhateverTheirCase)
{
    EXPECT_TRUE(HVRiPhotoDriver::iPhotoIsInstalled());
    EXPECT_TRUE(HVRApertureDriver::apertureIsInstalled());
    m_fake->aperture().setInstalled(false);
    EXPECT_FALSE(HVRApertureDriver::apertureIsInstalled());
    EXPECT_FALSE(HVRApertureDriver::apertureIsRunning());
}

TEST_F(PhotoDriverTest, deletingPhotosStopsAtTheFirstFailingScript)
{
    const QStringList paths{QStringLiteral("/p/1.jpg"), QStringLiteral("/p/2.jpg"), QStringLiteral("/p/3.jpg")};
    for (const QString& path : paths)
        m_fake->addPhoto(path);
    m_fake->failScriptNumber(2);
    test::LogCapture log;
    HVRiPhotoDriver driver;
    driver.setLogger(log.logger());
    ASSERT_TRUE(driver.connectWithDelegate(&m_delegate));
    QStringList reported;
    EXPECT_FALSE(driver.deletePhotos(paths, [&reported](const QString& path) { reported.append(path); }));
    EXPECT_EQ(reported, QStringList{paths.at(0)});
    EXPECT_EQ(m_fake->scripts().size(), 2);
    EXPECT_EQ(m_fake->photoImagePaths(), paths.mid(1));
    EXPECT_TRUE(log.has(QStringLiteral("Error: Error executing script for image '/p/2.jpg':")));
    EXPECT_TRUE(log.text().contains(FakePhotoApplications::scriptError().message()));
}

TEST_F(PhotoDriverTest, deletingPhotosNeedsABlockAndAConnection)
{
    m_fake->addPhoto(QStringLiteral("/p/kept.jpg"));
    m_fake->addPhoto(QStringLiteral("/p/edited.jpg"), QStringLiteral("/p/original.jpg"));
    const auto ignore = [](const QString&) {};
    HVRiPhotoDriver driver;
    EXPECT_FALSE(driver.deletePhotos({QStringLiteral("/p/kept.jpg")}, ignore)) << "not connected";
    ASSERT_TRUE(driver.connectWithDelegate(&m_delegate));
    EXPECT_FALSE(driver.deletePhotos({QStringLiteral("/p/kept.jpg")}, {})) << "no block";
    EXPECT_TRUE(driver.deletePhotos({}, ignore));
    EXPECT_TRUE(m_fake->scripts().isEmpty());
    // A photo goes when its original path is the one given.
    EXPECT_TRUE(driver.deletePhotos({QStringLiteral("/p/original.jpg")}, ignore));
    EXPECT_EQ(m_fake->photoImagePaths(), QStringList{QStringLiteral("/p/kept.jpg")});
    EXPECT_FALSE(driver.deletePhotoWithPath(QStringLiteral("/p/none.jpg")));
    EXPECT_TRUE(driver.deletePhotoWithPath(QStringLiteral("/p/kept.jpg")));
    EXPECT_TRUE(m_fake->photoImagePaths().isEmpty());
}

TEST_F(PhotoDriverTest, apertureTagsVersionsAsDuplicates)
{
    m_fake->addImageVersion(QStringLiteral("v1"),
        {{QStringLiteral("FileName"), QStringLiteral("a.jpg")},
            {QStringLiteral("ImportGroup"), QStringLiteral("2011")}});
    m_fake->addImageVersion(QStringLiteral("v2"));
    HVRApertureDriver driver(&m_delegate);
    EXPECT_EQ(m_fake->aperture().launchCount(), 0) << "binding neither checks nor starts";
    Error errorInfo;
    EXPECT_TRUE(driver.markImageAsDuplicateByUUID(QStringLiteral("v2"), &errorInfo));
    EXPECT_TRUE(driver.markImageAsDuplicate(QStringLiteral("a.jpg"), QStringLiteral("2011"), &errorInfo));
    m_fake->failScriptNumber(1);
    EXPECT_FALSE(driver.markImageAsDuplicateByUUID(QStringLiteral("v1"), &errorInfo));
    EXPECT_EQ(errorInfo.message(), FakePhotoApplications::scriptError().message());
    EXPECT_EQ(m_fake->keywordsOfImageVersion(QStringLiteral("v1")), QStringList{QStringLiteral("Duplicate")});
    EXPECT_EQ(m_fake->keywordsOfImageVersion(QStringLiteral("v2")), QStringList{QStringLiteral("Duplicate")});

    // Asking for the versions brings Aperture up, as the removal run relies on.
    const QList<ScriptingObjectPtr> versions = driver.imageVersions();
    ASSERT_EQ(versions.size(), 2);
    EXPECT_TRUE(m_fake->aperture().isRunning());
    EXPECT_EQ(HVRApertureDriver::fileNameOfImageVersion(versions.at(0)).toString(), QStringLiteral("a.jpg"));
    EXPECT_EQ(HVRApertureDriver::importGroupOfImageVersion(versions.at(0)).toString(), QStringLiteral("2011"));
    EXPECT_FALSE(HVRApertureDriver::otherTag(QStringLiteral("FileName"), versions.at(1)).isValid());
    EXPECT_TRUE(driver.setKeyword(QStringLiteral("Review"), versions.at(1)));
    EXPECT_EQ(m_fake->keywordsOfImageVersion(QStringLiteral("v2")),
        (QStringList{QStringLiteral("Duplicate"), QStringLiteral("Review")}));

    EXPECT_TRUE(driver.quitSavingChanges());
    EXPECT_EQ(driver.apertureApp(), nullptr);
    const qsizetype scriptsBefore = m_fake->scripts().size();
    EXPECT_FALSE(driver.markImageAsDuplicateByUUID(QStringLiteral("v1"), &errorInfo)) << "no application bound";
    EXPECT_EQ(m_fake->scripts().size(), scriptsBefore);
}

// Without fakes: this system's own services.
TEST(PhotoDriversOnThisSystem, nothingIsInstalledRunningOrScripted)
{
    EXPECT_FALSE(HVRiPhotoDriver::iPhotoIsInstalled());
    EXPECT_FALSE(HVRiPhotoDriver::iPhotoIsRunning());
    EXPECT_FALSE(HVRApertureDriver::apertureIsInstalled());
    EXPECT_FALSE(HVRApertureDriver::apertureIsRunning());

    test::LogCapture log;
    HVRiPhotoDriver iPhoto;
    iPhoto.setLogger(log.logger());
    EXPECT_FALSE(iPhoto.connectWithDelegate(nullptr));
    int removed = 0;
    EXPECT_FALSE(iPhoto.deletePhotos({QStringLiteral("/p/1.jpg")}, [&removed](const QString&) { ++removed; }));
    EXPECT_EQ(removed, 0);
    EXPECT_TRUE(log.text().contains(ScriptingBridge::unavailableError().message()));
    EXPECT_TRUE(iPhoto.iPhotoQuitSavingChanges());

    HVRApertureDriver aperture(nullptr);
    Error errorInfo;
    EXPECT_FALSE(aperture.markImageAsDuplicateByUUID(QStringLiteral("v1"), &errorInfo));
    EXPECT_EQ(errorInfo.code, ScriptingBridge::UnavailableError);
    EXPECT_TRUE(aperture.imageVersions().isEmpty());
}

} // namespace
} // namespace pairsift
