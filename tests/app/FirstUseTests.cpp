// What a new user meets: a launch that changes no setting, Quit with Preferences open, and folders a
// scan could not read shown in the locations list and the status line.
#include "app/AppTestSupport.h"

#include "app/MainView.h"
#include "app/MainWindow.h"
#include "locations/ScanLocationListModel.h"
#include "locations/ScanLocationTableViewController.h"
#include "platform/UserDefaults.h"
#include "settings/PairsiftDefaults.h"
#include "settings/views/PreferencesPanelController.h"
#include "settings/views/PsfPrefsFiltersView.h"
#include "support/foundation/ImageAndTextCellData.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTableView>
#include <QTimer>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pairsift::test {
namespace {

QByteArray settingsFile()
{
    UserDefaults::standard().synchronize();
    QFile file(UserDefaults::standard().filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Root reads every folder through two capabilities; without them it reads as the folders' owner does.
// Threads inherit them from the thread that makes them, so the scan's threads, all made later, go
// without too. Permanent for this thread: CTest runs each test in a process of its own.
bool dropFolderReadingCapabilities()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    for (const unsigned capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        data[capability / 32].effective &= ~(1u << (capability % 32));
        data[capability / 32].permitted &= ~(1u << (capability % 32));
    }
    return ::syscall(SYS_capset, &header, data) == 0;
}

using FirstUseTest = AppTest;

TEST_F(FirstUseTest, aLaunchWritesNoSetting)
{
    const QByteArray before = settingsFile();
    ASSERT_FALSE(before.isEmpty());
    launch();
    QApplication::processEvents();
    EXPECT_EQ(settingsFile(), before);
}

TEST_F(FirstUseTest, quitWithPreferencesOpenEndsTheLoopAndKeepsTheFilterBeingEdited)
{
    launch();
    m_controller->showPreferencesPanel();
    PreferencesPanelController* preferences = m_controller->preferencesPanelController();
    ASSERT_TRUE(preferences);
    preferences->switchView(1);
    QTableView* table = static_cast<PsfPrefsFiltersView*>(preferences->viewForTag(1))->filterTableView();
    table->edit(table->model()->index(0, 0));
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("node_modules"));

    QAction* quit = nullptr;
    for (QAction* action : m_controller->window()->findChildren<QAction*>()) {
        if (action->menuRole() == QAction::QuitRole)
            quit = action;
    }
    ASSERT_NE(quit, nullptr);
    QTimer::singleShot(0, quit, &QAction::trigger);
    // A loop that Quit does not end is ended here, as a failure.
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(preferences->window()->isVisible());
    EXPECT_FALSE(m_controller->window()->isVisible());
    const QList<Filter> saved = PairsiftDefaults::filterArray();
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_EQ(saved.first().glob(), QStringLiteral("node_modules"));
}

TEST_F(FirstUseTest, foldersTheScanCouldNotReadAreMarkedAndCounted)
{
    if (::geteuid() == 0 && !dropFolderReadingCapabilities())
        GTEST_SKIP() << "every folder stays readable to root";
    writeFile(QStringLiteral("open/one.txt"), QByteArray(900, 'x'));
    writeFile(QStringLiteral("open/two.txt"), QByteArray(900, 'x'));
    writeFile(QStringLiteral("open/sealed/three.txt"), QByteArray(900, 'x'));
    writeFile(QStringLiteral("closed/four.txt"), QByteArray(900, 'x'));
    launch();
    addLocation(filesPath(QStringLiteral("open")));
    addLocation(filesPath(QStringLiteral("closed")));
    ASSERT_EQ(m_controller->scanLocationTableViewController().locations().size(), 2);
    const QString sealed = filesPath(QStringLiteral("open/sealed"));
    const QString closed = filesPath(QStringLiteral("closed"));
    const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(sealed, QFileDevice::WriteOwner);
    QFile::setPermissions(closed, QFileDevice::WriteOwner);

    scanAndWait();
    QAbstractItemModel* model = m_controller->scanLocationTableViewController().model();
    const QModelIndex openRow = model->index(0, 0);
    const QModelIndex closedRow = model->index(1, 0);
    EXPECT_EQ(openRow.data(Qt::ToolTipRole).toString(), filesPath(QStringLiteral("open")));
    EXPECT_EQ(closedRow.data(Qt::ToolTipRole).toString(),
              QStringLiteral("“%1” could not be read at the last scan: Permission denied.").arg(closed));
    const QVariant cell = closedRow.data(ScanLocationListModel::CellDataRole);
    ASSERT_EQ(cell.metaType(), QMetaType::fromType<ImageAndTextCellData>());
    EXPECT_FALSE(cell.value<ImageAndTextCellData>().image.isNull());
    EXPECT_EQ(m_controller->scanNoteText(), QStringLiteral("2 folders could not be read."));
    // Named in the window with the reason, though the log is off: the location first, then the subfolder.
    EXPECT_EQ(m_controller->window()->mainView()->scanNoteLabel()->toolTip(),
              QStringLiteral("%1: Permission denied\n%2: Permission denied").arg(closed, sealed));
    EXPECT_TRUE(m_controller->window()->mainView()->scanNoteLabel()->isVisibleTo(m_controller->window()));

    QFile::setPermissions(sealed, open);
    QFile::setPermissions(closed, open);
    scanAndWait();
    EXPECT_EQ(closedRow.data(Qt::ToolTipRole).toString(), closed);
    EXPECT_TRUE(m_controller->scanNoteText().isEmpty());
}

} // namespace
} // namespace pairsift::test
