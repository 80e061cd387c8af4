#pragma once

#include "app/MainWindowController.h"
#include "locations/FolderChooser.h"
#include "model/Session.h"
#include "platform/DockTile.h"
#include "results/ResultsController.h"
#include "support/foundation/PathClassification.h"
#include "testkit/TemporaryTree.h"

#include <QByteArray>
#include <QImage>
#include <QMetaMethod>
#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace pairsift {
class TrashSheetController;
}

namespace pairsift::test {

// Records what the progress bar would show.
class RecordingDockTile : public DockTile {
public:
    QImage applicationIcon() override { return QImage(); }
    void display(const QImage&, double fraction) override { fractions.append(fraction); }
    void restore() override { ++restores; }

    QList<double> fractions;
    int restores = 0;
};

// Answers with the paths it holds, at once.
class AnsweringFolderChooser : public FolderChooser {
public:
    void chooseFolders(const QString&, const QString&, EnableRule, Completion done) override { done(answer); }

    QStringList answer;
};

// The program in a temporary home: HOME and the XDG folders point into a temporary tree, the settings
// live there (small files are not skipped), the system-path table covers only "<tree>/System", and transitions take no time. Files to
// scan go below "<tree>/files".
class AppTest : public testing::Test {
protected:
    AppTest();
    ~AppTest() override;

    QString dataFolder() const { return m_home.path(QStringLiteral("data/Pairsift")); }
    QString filesPath(const QString& relative) const { return m_home.path(QStringLiteral("files/") + relative); }
    QString writeFile(const QString& relative, const QByteArray& content) const;

    // The first two halves of start-up with the test's stand-ins, the window shown; waits for the
    // first load. Fails the test when the store cannot be opened.
    void launch();
    // Closes the window and releases the controller, as quitting does.
    void quit();
    // Adds a location through the folder chooser.
    void addLocation(const QString& path);
    // Runs the event loop until the signal comes (or a generous bound passes, which fails the test).
    template <typename Signal>
    bool waitFor(Signal signal) { return waitForSignal(m_controller.get(), QMetaMethod::fromSignal(signal)); }
    // Scans and waits for the results.
    void scanAndWait();
    // Launches, adds the folders below "files" as locations in this order, and scans.
    void launchAndScan(const QStringList& folders);
    // The removal sheet, open and loaded; null (failing the test) when it did not open.
    TrashSheetController* openRemovalSheet();
    Session& session() const { return *m_controller->session(); }
    ResultsController& results() const { return m_controller->resultsController(); }
    // Group count as the results show it.
    std::uint64_t groupCount() const;
    // The scan ended on the main view with the failure alert naming `reason`, and nothing listed; the
    // alert is then closed.
    void expectFailedScan(const QString& reason);

    TemporaryTree m_home;
    std::shared_ptr<RecordingDockTile> m_dockTile = std::make_shared<RecordingDockTile>();
    std::shared_ptr<AnsweringFolderChooser> m_chooser = std::make_shared<AnsweringFolderChooser>();
    std::unique_ptr<MainWindowController> m_controller;

    // The same for any sender.
    bool waitForSignal(QObject* sender, const QMetaMethod& signal);

private:

    QByteArray m_previousEnvironment[4];
    SystemPathTable m_previousSystemPaths;
};

} // namespace pairsift::test
