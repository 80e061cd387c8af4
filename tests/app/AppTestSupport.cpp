#include "app/AppTestSupport.h"

#include "app/MainWindow.h"
#include "locations/ScanLocationAddController.h"
#include "model/Session.h"
#include "platform/UserDefaults.h"
#include "removal/TrashSheetController.h"
#include "removal/views/TrashSheet.h"
#include "settings/SettingsKeys.h"
#include "testkit/EventLoopWait.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QMetaMethod>
#include <QTimer>

namespace pairsift::test {

namespace {

const char* const environmentNames[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"};

} // namespace

AppTest::AppTest()
{
    const QString folders[] = {m_home.makeFolder(QStringLiteral("home")), m_home.makeFolder(QStringLiteral("data")),
                               m_home.makeFolder(QStringLiteral("config")), m_home.makeFolder(QStringLiteral("cache"))};
    for (int index = 0; index < 4; ++index) {
        m_previousEnvironment[index] = qgetenv(environmentNames[index]);
        qputenv(environmentNames[index], folders[index].toUtf8());
    }
    m_home.makeFolder(QStringLiteral("files"));
    UserDefaults::setConfigurationFolder(m_home.path(QStringLiteral("config/Pairsift")));
    // The test files are small.
    UserDefaults::standard().setValue(SettingsKey::IgnoreSmallFiles, QStringLiteral("NO"));
    m_previousSystemPaths = setSystemPathTable(SystemPathTable{{m_home.path(QStringLiteral("System"))}, {}});
}

AppTest::~AppTest()
{
    m_controller.reset();
    setSystemPathTable(m_previousSystemPaths);
    UserDefaults::setConfigurationFolder(QString());
    for (int index = 0; index < 4; ++index)
        qputenv(environmentNames[index], m_previousEnvironment[index]);
}

QString AppTest::writeFile(const QString& relative, const QByteArray& content) const
{
    return m_home.writeFile(QStringLiteral("files/") + relative, content);
}

void AppTest::launch()
{
    MainWindowController::Environment environment;
    environment.dockTile = m_dockTile;
    environment.folderChooser = m_chooser;
    m_controller = MainWindowController::create(environment);
    ASSERT_TRUE(m_controller);
    m_controller->awakeFromNib();
    m_controller->window()->show();
    m_controller->applicationDidFinishLaunching();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
}

void AppTest::quit()
{
    m_controller->window()->close();
    m_controller.reset();
}

void AppTest::addLocation(const QString& path)
{
    m_chooser->answer = {path};
    m_controller->scanLocationAddController().addFolder();
}

void AppTest::scanAndWait()
{
    m_controller->startScan();
    ASSERT_TRUE(m_controller->isScanning());
    ASSERT_TRUE(waitFor(&MainWindowController::scanningChanged));
    // Loading the results, or removing a failed scan's rows.
    ASSERT_TRUE(waitUntil([this] { return !m_controller->isBusy(); }));
}

TrashSheetController* AppTest::openRemovalSheet()
{
    m_controller->displayTrashSheet();
    // It opens once the store's queue has pruned the store to the locations.
    EXPECT_TRUE(waitUntil([this] { return m_controller->trashSheet() || m_controller->areStoreCommandsEnabled(); }));
    TrashSheet* sheet = m_controller->trashSheet();
    EXPECT_TRUE(sheet);
    if (!sheet)
        return nullptr;
    TrashSheetController* controller = sheet->controller();
    if (controller->isBusy()) {
        EXPECT_TRUE(waitForSignal(controller, QMetaMethod::fromSignal(&TrashSheetController::busyChanged)));
    }
    return controller;
}

void AppTest::launchAndScan(const QStringList& folders)
{
    launch();
    for (const QString& folder : folders)
        addLocation(filesPath(folder));
    scanAndWait();
}

std::uint64_t AppTest::groupCount() const
{
    return m_controller->session()->groupCount();
}

void AppTest::expectFailedScan(const QString& reason)
{
    EXPECT_TRUE(m_controller->mainViewActive());
    EXPECT_FALSE(m_controller->isScanning());
    EXPECT_TRUE(m_controller->hasScanFailed());
    EXPECT_EQ(m_controller->wastedInfoText(), QStringLiteral("Scan failed."));
    EXPECT_EQ(groupCount(), 0u);
    auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("The scan could not be completed."));
    EXPECT_TRUE(alert->informativeText().contains(reason)) << alert->informativeText().toStdString();
    alert->accept();
}

bool AppTest::waitForSignal(QObject* sender, const QMetaMethod& signal)
{
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    const QMetaObject::Connection connection =
        QObject::connect(sender, signal, &loop, loop.metaObject()->method(loop.metaObject()->indexOfSlot("quit()")));
    bound.start(30000);
    const bool arrived = loop.exec() == 0;
    QObject::disconnect(connection);
    return arrived;
}

} // namespace pairsift::test
