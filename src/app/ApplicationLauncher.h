#pragma once

#include "app/MainWindowController.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <memory>

namespace pairsift {

// Starts the program: the coordinator's three halves of start-up in order, then the window. Without the
// store there is no window: another program holding the store is asked to bring its window forward, and
// this one prints that it is already running and asks for a plain exit (a program that does not answer is
// named in a message first); a store that cannot be opened is named with SQLite's reason, and the user either starts
// fresh (the store is moved aside, never deleted, and start-up runs again) or quits with failure.
class ApplicationLauncher : public QObject {
    Q_OBJECT

public:
    static constexpr int storeFailureExitCode = 1;
    static QString startFreshButtonTitle() { return QStringLiteral("Start Fresh"); }
    static QString quitButtonTitle() { return QStringLiteral("Quit"); }

    explicit ApplicationLauncher(MainWindowController::Environment environment = {}, QObject* parent = nullptr);
    ~ApplicationLauncher() override;

    // Main thread, with the event loop about to run. False when there is no window (yet).
    bool start();

    // Null before a successful start().
    MainWindowController* controller() const { return m_controller.get(); }
    // The start-up message while it is open.
    QMessageBox* failureAlert() const { return m_failureAlert; }

Q_SIGNALS:
    void exitRequested(int exitCode);

private:
    void handOffToRunningProgram(const QString& databasePath);
    void showAlreadyRunning();
    void showStoreFailure(const MainWindowController::StoreFailure& failure);
    void startFresh(const QString& databasePath);
    QMessageBox* openAlert(QMessageBox::Icon icon, const QString& text, const QString& informativeText);

    MainWindowController::Environment m_environment;
    std::unique_ptr<MainWindowController> m_controller;
    QPointer<QMessageBox> m_failureAlert;
};

} // namespace pairsift
