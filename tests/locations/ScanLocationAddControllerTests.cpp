#include "locations/ScanLocationAddController.h"

#include "locations/FolderChooser.h"
#include "locations/PhotoLibraryProbe.h"
#include "locations/ScanLocationTableViewController.h"
#include "platform/UserDefaults.h"
#include "settings/PairsiftDefaults.h"
#include "support/foundation/PathClassification.h"
#include "testkit/TemporaryTree.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

namespace pairsift {
namespace {

class FakePhotoLibraries : public PhotoLibraryProbe {
public:
    bool iPhotoIsInstalled() override { return true; }
    bool apertureIsInstalled() override { return false; }
    QString iPhotoLibraryPath() override { return iPhotoPath; }
    QString apertureLibraryPath() override { return QString(); }

    QString iPhotoPath;
};

// Answers at once with the paths it was given, and keeps the rule it was asked with.
class FakeChooser : public FolderChooser {
public:
    void chooseFolders(const QString& prompt, const QString& startFolder, EnableRule isEnabled, Completion done) override
    {
        lastPrompt = prompt;
        lastStart = startFolder;
        rule = isEnabled;
        done(answer);
    }

    QString lastPrompt;
    QString lastStart;
    EnableRule rule;
    QStringList answer;
};

class ScanLocationAddControllerTest : public testing::Test {
protected:
    // The temporary folder lies where the built-in table would call everything a system path; its
    // "system" folder stands for one that exists.
    void SetUp() override
    {
        UserDefaults::setConfigurationFolder(m_tree.makeFolder(QStringLiteral("config")));
        m_previousSystemPaths =
            setSystemPathTable(SystemPathTable{{QStringLiteral("/usr"), m_tree.path(QStringLiteral("system"))}, {}});
    }
    void TearDown() override
    {
        setSystemPathTable(m_previousSystemPaths);
        UserDefaults::setConfigurationFolder(QString());
    }

    QStringList listed() const
    {
        QStringList paths;
        for (const LocationItemPtr& location : m_locations.locations())
            paths.append(location->path());
        return paths;
    }

    static QMimeData* fileNames(const QStringList& paths)
    {
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        auto* data = new QMimeData;
        data->setUrls(urls);
        return data;
    }

    test::TemporaryTree m_tree;
    SystemPathTable m_previousSystemPaths;
    ScanLocationTableViewController m_locations;
    std::shared_ptr<FakePhotoLibraries> m_photoLibraries = std::make_shared<FakePhotoLibraries>();
    std::shared_ptr<FakeChooser> m_chooser = std::make_shared<FakeChooser>();
    ScanLocationAddController m_controller{m_locations, m_photoLibraries, m_chooser};
};

TEST_F(ScanLocationAddControllerTest, libraryTitlesFollowTheList)
{
    EXPECT_EQ(m_controller.addIPhotoLibraryMenuItemTitle(), QStringLiteral("iPhoto Library (doesn't exist)"));
    EXPECT_EQ(m_controller.addApertureLibraryMenuItemTitle(), QStringLiteral("Aperture Library (doesn't exist)"));

    m_photoLibraries->iPhotoPath = m_tree.makeFolder(QStringLiteral("Photos.photolibrary"));
    EXPECT_EQ(m_controller.addIPhotoLibraryMenuItemTitle(), QStringLiteral("iPhoto Library"));
    int announcements = 0;
    QObject::connect(&m_controller, &ScanLocationAddController::photoLibraryTitlesChanged, [&] { ++announcements; });
    m_controller.addCurrentIPhotoLibrary();
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(m_controller.addIPhotoLibraryMenuItemTitle(), QStringLiteral("iPhoto Library (already added)"));
    EXPECT_EQ(PairsiftDefaults::locations().value_or(QList<LocationItemPtr>()).size(), 1) << "saved";
}

TEST_F(ScanLocationAddControllerTest, chosenFoldersPassTheRuleAndBecomeRecent)
{
    const QString folder = m_tree.makeFolder(QStringLiteral("a"));
    const QString file = m_tree.writeFile(QStringLiteral("b.txt"), "b");
    m_chooser->answer = {folder, file, QStringLiteral("/usr"), QString()};
    m_controller.addFolder();

    EXPECT_EQ(m_chooser->lastPrompt, QStringLiteral("Add"));
    EXPECT_EQ(m_chooser->lastStart, QDir::homePath()) << "nothing chosen yet";
    EXPECT_EQ(listed(), QStringList{folder});
    ASSERT_EQ(m_locations.recentLocations().size(), 1);
    EXPECT_EQ(PairsiftDefaults::recentLocations().value_or(QList<LocationItemPtr>()).size(), 1);

    const struct {
        QString path;
        bool isDirectory;
        bool enabled;
    } rules[] = {
        {folder, true, false},                                    // listed
        {m_tree.path(QStringLiteral("c")), true, true},           // a new folder
        {file, false, false},                                     // a plain file
        {QStringLiteral("/usr"), true, false},                    // a system path
        {m_tree.path(QStringLiteral("x.app")), true, false},      // another package
        {m_tree.path(QStringLiteral("P.photolibrary")), true, true}, // named as a library: checked when chosen
        {QString(), true, false},
    };
    for (const auto& rule : rules)
        EXPECT_EQ(m_chooser->rule(rule.path, rule.isDirectory), rule.enabled) << rule.path.toStdString();
    m_chooser->answer = {};
    m_controller.addFolder();
    EXPECT_EQ(m_chooser->lastStart, folder) << "the last folder chosen";
    EXPECT_FALSE(m_controller.validateMenuItem(folder));
    m_controller.clearRecentLocations();
    EXPECT_TRUE(m_locations.recentLocations().isEmpty());
}

TEST_F(ScanLocationAddControllerTest, droppedFileNamesAddOnlyAcceptableFolders)
{
    const QString listedFolder = m_tree.makeFolder(QStringLiteral("listed"));
    m_locations.addDirectory(listedFolder);
    const QString folder = m_tree.makeFolder(QStringLiteral("new"));
    const QString file = m_tree.writeFile(QStringLiteral("f.txt"), "f");
    const QString application = m_tree.makeFolder(QStringLiteral("Tool.app"));
    const QString systemFile = m_tree.writeFile(QStringLiteral("system/env"), "e");

    std::unique_ptr<QMimeData> refused(fileNames({file, application, systemFile}));
    EXPECT_EQ(m_controller.validateDrop(refused.get()), Qt::IgnoreAction);
    EXPECT_FALSE(m_controller.acceptDrop(refused.get(), 0));

    // A refused folder is taken so that the user learns why.
    QStringList refusals;
    QObject::connect(&m_controller, &ScanLocationAddController::locationsRefused,
                     [&](const QString& message) { refusals.append(message); });
    std::unique_ptr<QMimeData> listedOnly(fileNames({listedFolder}));
    EXPECT_EQ(m_controller.validateDrop(listedOnly.get()), Qt::CopyAction);
    EXPECT_FALSE(m_controller.acceptDrop(listedOnly.get(), 0));
    EXPECT_EQ(refusals, QStringList{QStringLiteral("“%1” is already in the list.").arg(listedFolder)});

    std::unique_ptr<QMimeData> mixed(fileNames({file, folder}));
    EXPECT_EQ(m_controller.validateDrop(mixed.get()), Qt::CopyAction);
    EXPECT_TRUE(m_controller.acceptDrop(mixed.get(), 0));
    EXPECT_EQ(listed(), (QStringList{listedFolder, folder})) << "appended wherever dropped";
    EXPECT_EQ(m_locations.recentLocations().size(), 1);
}

TEST_F(ScanLocationAddControllerTest, draggedRowsMoveThroughTheModelAndAreNeverLost)
{
    for (const char* name : {"A", "B", "C", "D", "E", "F"})
        m_locations.addDirectory(QStringLiteral("/") + QLatin1String(name));
    QAbstractItemModel* model = m_locations.model();
    const auto names = [this] { return listed().join(QString()).remove(QLatin1Char('/')); };

    std::unique_ptr<QMimeData> rows(model->mimeData({model->index(4, 0), model->index(0, 0)}));
    ASSERT_TRUE(rows);
    EXPECT_EQ(m_controller.validateDrop(rows.get()), Qt::MoveAction);
    EXPECT_TRUE(model->dropMimeData(rows.get(), Qt::MoveAction, 2, 0, QModelIndex()));
    EXPECT_EQ(names(), QStringLiteral("BAECDF"));
    EXPECT_EQ(m_locations.selectedRows(), (QList<int>{1, 2}));

    // A row list that claims more rows than the table has is not the table's own: nothing moves.
    QByteArray forged;
    QDataStream stream(&forged, QIODevice::WriteOnly);
    stream << quint32(0x7fffffff) << qint32(0);
    QMimeData forgedRows;
    forgedRows.setData(ScanLocationAddController::locationIndexMimeType(), forged);
    EXPECT_FALSE(m_controller.acceptDrop(&forgedRows, 0));
    EXPECT_EQ(names(), QStringLiteral("BAECDF"));

    // Qt asks the model to remove the source rows after a move; they must stay.
    EXPECT_FALSE(model->removeRows(1, 2));
    std::unique_ptr<QMimeData> onItself(model->mimeData({model->index(3, 0)}));
    EXPECT_TRUE(model->dropMimeData(onItself.get(), Qt::MoveAction, -1, -1, model->index(3, 0)));
    EXPECT_EQ(names(), QStringLiteral("BAECDF"));
}

TEST_F(ScanLocationAddControllerTest, eachRefusalSaysWhyWhicheverWayThePathCame)
{
    const QString listedFolder = m_tree.makeFolder(QStringLiteral("listed"));
    m_locations.addDirectory(listedFolder);
    const QString locked = m_tree.makeFolder(QStringLiteral("locked"));
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    const bool canReadAnything = ::geteuid() == 0;
    const QString systemFile = m_tree.writeFile(QStringLiteral("system/env"), "e");
    const QString systemFolder = m_tree.path(QStringLiteral("system"));
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {QStringLiteral("/usr/data"), QStringLiteral("“/usr/data” is a system folder and is not scanned.")},
        {listedFolder, QStringLiteral("“%1” is already in the list.").arg(listedFolder)},
        {m_tree.path(QStringLiteral("gone")), QStringLiteral("“%1” cannot be read.").arg(m_tree.path(QStringLiteral("gone")))},
        {canReadAnything ? QString() : locked, QStringLiteral("“%1” cannot be read.").arg(locked)},
        {m_tree.writeFile(QStringLiteral("f.txt"), "f"),
            QStringLiteral("“%1” is neither a folder nor a photo library.").arg(m_tree.path(QStringLiteral("f.txt")))},
        {systemFile, QStringLiteral("“%1” is neither a folder nor a photo library.").arg(systemFile)},
        {systemFolder, QStringLiteral("“%1” is a system folder and is not scanned.").arg(systemFolder)},
    };
    QStringList refusals;
    QObject::connect(&m_controller, &ScanLocationAddController::locationsRefused,
                     [&](const QString& message) { refusals.append(message); });
    for (const auto& item : cases) {
        if (item.path.isEmpty())
            continue;
        for (const bool chosen : {true, false}) {
            refusals.clear();
            if (chosen) {
                m_chooser->answer = {item.path};
                m_controller.addFolder();
            } else {
                m_controller.addRecentLocation(item.path);
            }
            EXPECT_EQ(refusals, QStringList{item.message}) << item.path.toStdString();
        }
    }
    EXPECT_EQ(listed(), QStringList{listedFolder});

    // Several refusals come as one message, and the acceptable paths are still added.
    const QString fresh = m_tree.makeFolder(QStringLiteral("fresh"));
    refusals.clear();
    m_chooser->answer = {QStringLiteral("/usr/a"), fresh, listedFolder};
    m_controller.addFolder();
    EXPECT_EQ(listed(), (QStringList{listedFolder, fresh}));
    EXPECT_EQ(refusals, QStringList{QStringLiteral("“/usr/a” is a system folder and is not scanned.\n“%1” is already in the list.").arg(listedFolder)});
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
} // namespace pairsift
