#pragma once

#include "app/MainWindowController.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <memory>

namespace pairsift {

// Starts the program: the coordinator's three halves of start-up in order, then the window. When the
// store cannot be opened there is no window: a message names the store's path, and dismissing it asks
// for a non-zero exit.
class ApplicationLauncher : public QObject {
    Q_OBJECT

public:
    static constexpr int storeFailureExitCode = 1;

    explicit ApplicationLauncher(MainWindowController::Environment environment = {}, QObject* parent = nullptr);
    ~ApplicationLauncher() override;

    // Main thread, with the event loop about to run. False when the store could not be opened.
    bool start();

    // Null before start() and after a failed one.
    MainWindowController* controller() const { return m_controller.get(); }
    // The store failure's message while it is open.
    QMessageBox* failureAlert() const { return m_failureAlert; }

Q_SIGNALS:
    void exitRequested(int exitCode);

private:
    void showStoreFailure(const QString& databasePath);

    MainWindowController::Environment m_environment;
    std::unique_ptr<MainWindowController> m_controller;
    QPointer<QMessageBox> m_failureAlert;
};

} // namespace pairsift
