#include "app/AppTestSupport.h"

#include "app/MainWindow.h"
#include "locations/ScanLocationTableViewController.h"
#include "model/Session.h"
#include "platform/NotificationCenter.h"
#include "removal/TrashSheetController.h"
#include "removal/views/TrashSheet.h"
#include "results/ResultsController.h"
#include "settings/PairsiftDefaults.h"
#include "store/PairsiftDatabase.h"
#include "support/foundation/SizeFormatting.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QUrlQuery>

namespace pairsift::test {

// Takes the URLs the program hands to the desktop.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

namespace {

class MainWindowMarkingTest : public AppTest {
protected:
    // Five groups of two ("p/0" to "p/4", sizes 1000 to 5000) and one of three ("t", 7000 bytes).
    void writeGroups()
    {
        for (int group = 0; group < 5; ++group) {
            const QByteArray content((group + 1) * 1000, char('a' + group));
            writeFile(QStringLiteral("p/%1/first.bin").arg(group), content);
            writeFile(QStringLiteral("p/%1/second.bin").arg(group), content);
        }
        for (const char* name : {"t/1.dat", "t/2.dat", "t/3.dat"})
            writeFile(QString::fromLatin1(name), QByteArray(7000, 'q'));
    }
    // A fresh store over the same locations.
    void relaunchWithoutStore()
    {
        quit();
        ASSERT_TRUE(QFile::remove(dataFolder() + QStringLiteral("/PairsiftData.db3")));
        launch();
        scanAndWait();
    }
    // Files are selectable only in expanded groups.
    void selectFile(const FileGroupPtr& group, const FileItemPtr& file) const
    {
        results().itemDidExpand(results().indexForItem({group, nullptr}));
        results().selectItem({group, file});
        ASSERT_EQ(results().selectedItem().file, file);
    }
    QByteArray selectedSha1() const
    {
        const ResultsController::Item item = results().selectedItem();
        return item.group ? item.group->sha1() : QByteArray();
    }
    // Staged path → kept copy.
    QHash<QString, QString> stagedRows() const
    {
        QHash<QString, QString> rows;
        m_controller->db()->enumerateDeletedFiles(
            [&rows](const QString& path, std::uint64_t, const QDateTime&, const QByteArray&, const QString& linkTarget,
                    const QString&, const QString&, bool*) { rows.insert(path, linkTarget); });
        return rows;
    }
};

TEST_F(MainWindowMarkingTest, stagingSelectsTheGroupTheRuleNames)
{
    // Display order; 'M': the group's second file is marked. -1: no group is selected.
    const struct {
        const char* marks;
        int expected;
    } cases[] = {{"UMUMU", 0}, {"MUMUU", 3}, {"MUUUM", -1}};
    writeGroups();
    launchAndScan({QStringLiteral("p")});
    for (const auto& testCase : cases) {
        ASSERT_EQ(session().groupCount(), 5u);
        QByteArray expected;
        for (int index = 0; index < 5; ++index) {
            const FileGroupPtr group = session().groupAtIndex(index);
            if (testCase.marks[index] == 'M')
                group->markFile(group->files().last(), true);
            if (index == testCase.expected)
                expected = group->sha1();
        }
        results().selectItem({});
        m_controller->removeAllMarkedFiles();
        EXPECT_EQ(m_controller->busyMessage(), QStringLiteral("Staging files for removal..."));
        ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
        EXPECT_EQ(selectedSha1(), expected) << testCase.marks;
        const qsizetype markedGroups = QByteArray(testCase.marks).count('M');
        EXPECT_EQ(stagedRows().size(), markedGroups) << testCase.marks;
        EXPECT_EQ(session().groupCount(), 5u - markedGroups);
        EXPECT_EQ(m_controller->numOfTrashFiles(), std::uint64_t(markedGroups));
        relaunchWithoutStore();
    }
}

TEST_F(MainWindowMarkingTest, aFailedStagingStagesNothingAndSaysSo)
{
    writeGroups();
    launchAndScan({QStringLiteral("p")});
    const QList<FileGroupPtr> groups = {session().groupAtIndex(0), session().groupAtIndex(1)};
    for (const FileGroupPtr& group : groups)
        group->markFile(group->files().last(), true);
    // The second file's row is gone by the time the worker stages it.
    ASSERT_TRUE(m_controller->db()->deleteFile(groups.at(1)->files().last()->name()));
    m_controller->removeAllMarkedFiles();
    EXPECT_FALSE(m_controller->areStoreCommandsEnabled());
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("Unable to stage files for removal."));
    alert->accept();
    EXPECT_TRUE(stagedRows().isEmpty());
    EXPECT_EQ(m_controller->numOfTrashFiles(), 0u);
}

TEST_F(MainWindowMarkingTest, deleteStagesWithTheKeptCopyAndMovesTheSelection)
{
    writeGroups();
    launchAndScan({QStringLiteral(".")});
    ASSERT_EQ(session().groupCount(), 6u);

    // A file of a group of two: the group goes, the one before it is selected.
    FileGroupPtr pair;
    qsizetype pairIndex = 1;
    for (; pairIndex < 6; ++pairIndex) {
        pair = session().groupAtIndex(pairIndex);
        if (pair->count() == 2)
            break;
    }
    const QByteArray before = session().groupAtIndex(pairIndex - 1)->sha1();
    const FileItemPtr pairFile = pair->files().last();
    selectFile(pair, pairFile);
    m_controller->deleteSelectedItem();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_EQ(selectedSha1(), before);
    EXPECT_EQ(session().groupCount(), 5u);
    EXPECT_EQ(stagedRows().value(pairFile->name()), pair->files().first()->name());

    // The kept file of the group of three: the file now first in that group is selected and is its kept copy.
    FileGroupPtr triple;
    for (qsizetype index = 0; index < 5 && !triple; ++index) {
        if (session().groupAtIndex(index)->count() == 3)
            triple = session().groupAtIndex(index);
    }
    ASSERT_TRUE(triple);
    const FileItemPtr kept = triple->files().first();
    const QString nextKept = triple->files().at(1)->name();
    selectFile(triple, kept);
    m_controller->deleteSelectedItem();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    const ResultsController::Item selected = results().selectedItem();
    ASSERT_TRUE(selected.file);
    EXPECT_EQ(selected.file->name(), nextKept);
    EXPECT_EQ(selected.group->sha1(), triple->sha1());
    EXPECT_EQ(stagedRows().value(kept->name()), nextKept);
}

TEST_F(MainWindowMarkingTest, theLocationQuestionStoresItsCheckBoxUnderBothButtons)
{
    writeGroups();
    launch();
    addLocation(filesPath(QStringLiteral("p/0")));
    addLocation(filesPath(QStringLiteral("p/1")));
    addLocation(filesPath(QStringLiteral("p/2")));
    const struct {
        QString button;
        qsizetype locationsLeft;
    } cases[] = {{QStringLiteral("Don't remove"), 3}, {QStringLiteral("Remove"), 1}};
    for (const auto& testCase : cases) {
        PairsiftDefaults::setConfirmDeleteLocation(true);
        m_controller->scanLocationTableViewController().setSelectedRows({0, 1});
        m_controller->removeSelectedLocations();
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->text(), QStringLiteral("Remove selected locations?"));
        EXPECT_EQ(alert->informativeText(), QStringLiteral("This will forget any files contained in the selected locations: these 2 locations"));
        alert->checkBox()->setChecked(true);
        for (QAbstractButton* button : alert->buttons()) {
            if (button->text() == testCase.button)
                button->click();
        }
        EXPECT_FALSE(PairsiftDefaults::confirmDeleteLocation()) << testCase.button.toStdString();
        EXPECT_EQ(m_controller->scanLocationTableViewController().locations().size(), testCase.locationsLeft);
    }
}

TEST_F(MainWindowMarkingTest, stagedFilesLineForNoneOneManyAndAFailingCount)
{
    writeGroups();
    launchAndScan({QStringLiteral("p")});
    const struct {
        int staged;
        QString text;
        QString icon;
    } cases[] = {
        {0, QStringLiteral("No files staged for removal."), QStringLiteral("TinyTrashTemplate")},
        {1, QStringLiteral("Staged for removal: 1 file (%1)").arg(stringWithDiskSpace(1000)),
         QStringLiteral("TinyTrashcanFullTemplate")},
        {3, QStringLiteral("Staged for removal: 3 files (%1)").arg(stringWithDiskSpace(6000)),
         QStringLiteral("TinyTrashcanFullTemplate")},
    };
    int done = 0;
    for (const auto& testCase : cases) {
        for (; done < testCase.staged; ++done)
            ASSERT_TRUE(m_controller->db()->trashFile(filesPath(QStringLiteral("p/%1/second.bin").arg(done)), QString()));
        m_controller->updateTrashInfo();
        EXPECT_EQ(m_controller->trashInfo(), testCase.text);
        EXPECT_EQ(m_controller->trashIconName(), testCase.icon);
    }
    m_controller->db()->close();
    m_controller->updateTrashInfo();
    EXPECT_EQ(m_controller->trashInfo(), QStringLiteral("No files staged for removal."));
    EXPECT_EQ(m_controller->trashIconName(), QStringLiteral("TinyTrashTemplate"));
}

TEST_F(MainWindowMarkingTest, theRemovalSheetAsksForARefreshOnlyAfterAChange)
{
    writeGroups();
    launchAndScan({QStringLiteral("p")});
    ASSERT_TRUE(m_controller->db()->trashFile(filesPath(QStringLiteral("p/0/second.bin")), filesPath(QStringLiteral("p/0/first.bin"))));
    int refreshes = 0;
    NotificationCenter::defaultCenter().addObserver(this, MainWindowController::cleanupNotificationName(), nullptr,
                                                    [&refreshes](const Notification&) { ++refreshes; });
    for (const bool putBack : {false, true}) {
        TrashSheetController* controller = openRemovalSheet();
        ASSERT_TRUE(controller);
        ASSERT_EQ(controller->deletedFiles().size(), 1);
        if (putBack) {
            controller->setSelectionIndexes({0});
            controller->putBack();
            ASSERT_TRUE(waitForSignal(controller, QMetaMethod::fromSignal(&TrashSheetController::runFinished)));
        }
        controller->close();
        EXPECT_FALSE(m_controller->trashSheet());
        QCoreApplication::processEvents();
        EXPECT_EQ(refreshes, putBack ? 1 : 0);
    }
    NotificationCenter::defaultCenter().removeObserver(this);
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_EQ(session().groupCount(), 5u);
}

TEST_F(MainWindowMarkingTest, theRemovalSheetOpensOnTheStorePrunedToTheLocations)
{
    writeGroups();
    launchAndScan({QStringLiteral("p/0"), QStringLiteral("p/1")});
    for (const char* group : {"p/0", "p/1"}) {
        const QString folder = filesPath(QString::fromLatin1(group));
        ASSERT_TRUE(m_controller->db()->trashFile(folder + QStringLiteral("/second.bin"), folder + QStringLiteral("/first.bin")));
    }
    // Without the refresh the removal asks for: the sheet prunes by itself.
    ScanLocationTableViewController& locations = m_controller->scanLocationTableViewController();
    locations.setDelegate(nullptr);
    locations.setSelectedRows({1});
    locations.removeDirectory();
    locations.setDelegate(m_controller.get());

    m_controller->displayTrashSheet();
    EXPECT_FALSE(m_controller->trashSheet()) << "the sheet opened before the store was pruned";
    // A refresh asked for meanwhile waits for the sheet.
    m_controller->onUpdateDuplicatesListNotification();
    TrashSheetController* controller = openRemovalSheet();
    ASSERT_TRUE(controller);
    ASSERT_EQ(controller->deletedFiles().size(), 1);
    EXPECT_EQ(controller->deletedFiles().first()->name(), filesPath(QStringLiteral("p/0/second.bin")));
    EXPECT_EQ(m_controller->numOfTrashFiles(), 1u);
    EXPECT_EQ(session().groupCount(), 2u);

    controller->close();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_EQ(session().groupCount(), 0u);
}

TEST_F(MainWindowMarkingTest, theSupportMailIsOneEncodedLink)
{
    const QUrl url = MainWindowController::supportMailURL(QStringLiteral("1.0 & more"), QStringLiteral("#42"),
                                                          QStringLiteral("Débian 13 ü"));
    ASSERT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_FALSE(url.hasFragment()) << "'#' stays in the body";
    const QByteArray encoded = url.toEncoded();
    EXPECT_TRUE(encoded.startsWith("mailto:pairsift-support@lanternforges.com?subject=Pairsift%20feedback&body=")) << encoded.constData();
    EXPECT_EQ(encoded.count('&'), 1) << "'&' of the version is escaped";
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
              QStringLiteral("\n\n-- \nPairsift version: 1.0 & more (#42)\nOS version: Débian 13 ü"));
}

TEST_F(MainWindowMarkingTest, helpAndSupportOpenInTheDesktopsPrograms)
{
    launch();
    OpenedUrls opened;
    for (const char* scheme : {"file", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &opened, "open");
    m_controller->showHelp();
    m_controller->contactSupport();
    for (const char* scheme : {"file", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0].fragment(), QStringLiteral("access"));
    QFile book(opened.urls[0].toLocalFile());
    ASSERT_TRUE(book.open(QIODevice::ReadOnly));
    const QByteArray page = book.readAll();
    for (const char* anchor : {"id=\"access\"", "id=\"pairsifttrash\""})
        EXPECT_TRUE(page.contains(anchor)) << anchor;
    EXPECT_EQ(opened.urls[1].scheme(), QStringLiteral("mailto"));
}

} // namespace
} // namespace pairsift::test

#include "MainWindowMarkingTests.moc"
