#include "app/ApplicationLauncher.h"

#include "app/MainWindow.h"

#include <QApplication>
#include <QMessageBox>

namespace pairsift {

ApplicationLauncher::ApplicationLauncher(MainWindowController::Environment environment, QObject* parent)
    : QObject(parent)
    , m_environment(std::move(environment))
{
}

ApplicationLauncher::~ApplicationLauncher() = default;

bool ApplicationLauncher::start()
{
    QString databasePath;
    m_controller = MainWindowController::create(m_environment, &databasePath);
    if (!m_controller) {
        showStoreFailure(databasePath);
        return false;
    }
    m_controller->awakeFromNib();
    m_controller->window()->show();
    m_controller->applicationDidFinishLaunching();
    return true;
}

void ApplicationLauncher::showStoreFailure(const QString& databasePath)
{
    // The message is the only window; closing it must not end the program with success.
    QApplication::setQuitOnLastWindowClosed(false);
    auto* box = new QMessageBox(QMessageBox::Critical, tr("Pairsift cannot start"),
                                tr("Pairsift cannot open its file store at “%1”.").arg(databasePath), QMessageBox::Ok);
    box->setInformativeText(tr("Check that the folder exists, that you may write to it, and that the disk is not full."));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this] { Q_EMIT exitRequested(storeFailureExitCode); });
    m_failureAlert = box;
    box->open();
}

} // namespace pairsift
