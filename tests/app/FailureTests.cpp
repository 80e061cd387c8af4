// Failures the user must be told of: a scan whose store or worker fails, a second program on the same
// store, and a store that cannot be opened.
#include "app/AppTestSupport.h"

#include "app/ApplicationLauncher.h"
#include "app/MainWindow.h"
#include "processing/ProcessingPipeline.h"
#include "scan/ProcessingViewController.h"
#include "store/PairsiftDatabase.h"
#include "testkit/EventLoopWait.h"
#include "testkit/FullDisk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QRandomGenerator>

#include <atomic>
#include <stdexcept>

namespace pairsift::test {
namespace {

// A stage whose content operation throws, as an exhausted allocation or a bug would.
class ThrowingStage : public ProcessingStage {
public:
    ThrowingStage() : ProcessingStage(QStringLiteral("stage"), nullptr, nullptr, nullptr) {}

protected:
    FileGroupingKind outputKind() const override { return FileGroupingByHash; }
    const StageTexts& texts() const override
    {
        static const StageTexts texts{"in %lu %lu %lu", "out %lu %lu %lu", nullptr, "failed '%@'"};
        return texts;
    }
    std::optional<FileGroupKey> contentKey(const FileItem&, const HashProgressBlock&) override
    {
        throw std::runtime_error("injected failure");
    }
};

class FailureTest : public AppTest {
protected:
    void writeDuplicates()
    {
        writeFile(QStringLiteral("a/one"), QByteArray(1000, 'x'));
        writeFile(QStringLiteral("a/two"), QByteArray(1000, 'x'));
        writeFile(QStringLiteral("a/three"), QByteArray(3000, 'y'));
        writeFile(QStringLiteral("a/four"), QByteArray(3000, 'y'));
    }
    QString storePath() const { return dataFolder() + QStringLiteral("/PairsiftData.db3"); }
};

class FullDiskFailureTest : protected FullDisk, public FailureTest {};

TEST_F(FullDiskFailureTest, aStoreThatFailsMidWalkOrMidComparisonFailsTheScan)
{
    writeDuplicates();
    launchAndScan({QStringLiteral("a")});
    ASSERT_EQ(groupCount(), 2u);

    std::atomic<bool> isComparing{false};
    QObject::connect(&m_controller->processingViewController(), &ProcessingViewController::runningChanged,
                     m_controller.get(), [&] { isComparing = m_controller->processingViewController().isRunning(); });
    const struct {
        const char* name;
        std::function<bool()> isFull;
    } cases[] = {
        {"mid-walk", [this] { return session().fileCount() > 0; }},
        {"mid-comparison", [&isComparing] { return isComparing.load(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setFullWhen(c.isFull);
        scanAndWait();
        expectFailedScan(QStringLiteral("database or disk is full"));
        setFullWhen(nullptr);
        setFull(false);
    }

    // Room again: the next scan finds the groups.
    scanAndWait();
    EXPECT_FALSE(m_controller->hasScanFailed());
    EXPECT_EQ(groupCount(), 2u);
}

TEST_F(FailureTest, aWorkerThatThrowsFailsTheScanAndTheWindowStaysUsable)
{
    writeDuplicates();
    launch();
    addLocation(filesPath(QStringLiteral("a")));
    ProcessingViewController& processing = m_controller->processingViewController();
    processing.setPipelineFactory([](FileGrouping bySize, SOLoggerPtr, std::shared_ptr<PairsiftDatabase>) {
        ProcessingPipeline::Stages stages;
        stages.push_back(std::make_unique<ThrowingStage>());
        return std::make_unique<ProcessingPipeline>(std::make_shared<const FileGrouping>(std::move(bySize)),
                                                    std::move(stages));
    });
    scanAndWait();
    expectFailedScan(QStringLiteral("injected failure"));

    processing.setPipelineFactory(nullptr);
    ASSERT_TRUE(m_controller->canStartScan());
    scanAndWait();
    EXPECT_EQ(groupCount(), 2u);
}

TEST_F(FailureTest, aSecondProgramOnTheSameStoreBringsTheFirstForwardAndLeavesItAlone)
{
    writeDuplicates();
    launchAndScan({QStringLiteral("a")});
    ASSERT_EQ(groupCount(), 2u);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitUntil([&other] { return other.isActiveWindow(); }));

    ApplicationLauncher second({m_dockTile, m_chooser, nullptr, QDateTime()});
    int exitCode = -1;
    QObject::connect(&second, &ApplicationLauncher::exitRequested, [&exitCode](int code) { exitCode = code; });
    EXPECT_FALSE(second.start());
    EXPECT_FALSE(second.controller());
    ASSERT_TRUE(waitUntil([&exitCode] { return exitCode != -1; }));
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(second.failureAlert()) << "the first answered: no message";
    EXPECT_TRUE(waitUntil([this] { return m_controller->window()->isActiveWindow(); }));
    QApplication::setQuitOnLastWindowClosed(true);

    m_controller->loadFilesFromDatabase();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_EQ(groupCount(), 2u);
}

// Many rows, so the store has pages between its first and its last.
void writeStoreWithADamagedPage(const QString& path)
{
    {
        const std::unique_ptr<PairsiftDatabase> store = PairsiftDatabase::databaseWithPath(path);
        ASSERT_TRUE(store);
        ASSERT_TRUE(store->beginTransaction());
        for (int index = 0; index < 3000; ++index)
            ASSERT_TRUE(store->addFile(QStringLiteral("/files/%1/%2").arg(index).arg(QString(60, 'n')), 100,
                                       QDateTime(), QString(), QString()));
        ASSERT_TRUE(store->commit());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 pageSize = 4096;
    ASSERT_GT(file.size(), 20 * pageSize);
    ASSERT_TRUE(file.seek((file.size() / pageSize / 2) * pageSize));
    file.write(QByteArray(pageSize, '\x5a'));
}

TEST_F(FailureTest, aDamagedStoreGivesTheReasonAndStartFreshSetsItAside)
{
    const struct {
        const char* name;
        std::function<void(const QString&)> damage;
        const char* reason; // empty: any text of SQLite's
    } cases[] = {
        {"random bytes",
         [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             QByteArray noise(64 * 1024, '\0');
             QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
             file.write(noise);
         },
         "file is not a database"},
        {"a damaged page", writeStoreWithADamagedPage, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dataFolder()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(dataFolder()));
        c.damage(storePath());
        QFile damaged(storePath());
        ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
        const QByteArray damagedBytes = damaged.readAll();

        ApplicationLauncher launcher({m_dockTile, m_chooser, nullptr, QDateTime()});
        EXPECT_FALSE(launcher.start());
        QMessageBox* alert = launcher.failureAlert();
        ASSERT_TRUE(alert);
        EXPECT_TRUE(alert->text().contains(storePath()));
        EXPECT_FALSE(alert->informativeText().isEmpty());
        EXPECT_TRUE(alert->informativeText().contains(QString::fromUtf8(c.reason)))
            << alert->informativeText().toStdString();
        for (QAbstractButton* button : alert->buttons()) {
            if (button->text() == ApplicationLauncher::startFreshButtonTitle())
                button->click();
        }
        ASSERT_TRUE(launcher.controller());
        const QStringList aside = QDir(dataFolder()).entryList({QStringLiteral("PairsiftData.db3.damaged-*")});
        ASSERT_EQ(aside.size(), 1);
        QFile setAside(dataFolder() + QLatin1Char('/') + aside.first());
        ASSERT_TRUE(setAside.open(QIODevice::ReadOnly));
        EXPECT_EQ(setAside.readAll(), damagedBytes);
        std::uint64_t staged = 1;
        EXPECT_TRUE(launcher.controller()->db()->getTrashFileCount(&staged, nullptr));
        EXPECT_EQ(staged, 0u);
        launcher.controller()->window()->close();
    }
}

} // namespace
} // namespace pairsift::test
