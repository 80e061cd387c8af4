#include "app/ApplicationLauncher.h"

#include "app/InstanceChannel.h"
#include "app/MainWindow.h"
#include "store/DamagedStore.h"
#include "store/StoreLock.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace pairsift {

namespace {

const char alreadyRunningText[] = "Pairsift is already running.";

} // namespace

ApplicationLauncher::ApplicationLauncher(MainWindowController::Environment environment, QObject* parent)
    : QObject(parent)
    , m_environment(std::move(environment))
{
}

ApplicationLauncher::~ApplicationLauncher() = default;

bool ApplicationLauncher::start()
{
    MainWindowController::StoreFailure failure;
    m_controller = MainWindowController::create(m_environment, &failure);
    if (!m_controller) {
        if (failure.kind == MainWindowController::StoreFailure::Kind::AlreadyRunning)
            handOffToRunningProgram(failure.path);
        else
            showStoreFailure(failure);
        return false;
    }
    // Closing the window quits again, after a start-up message had kept the program up.
    QApplication::setQuitOnLastWindowClosed(true);
    m_controller->awakeFromNib();
    m_controller->window()->show();
    m_controller->applicationDidFinishLaunching();
    return true;
}

QMessageBox* ApplicationLauncher::openAlert(QMessageBox::Icon icon, const QString& text, const QString& informativeText)
{
    // The message is the only window; closing it must not end the program before it has said how.
    QApplication::setQuitOnLastWindowClosed(false);
    auto* box = new QMessageBox(icon, QStringLiteral("Pairsift"), text, QMessageBox::NoButton);
    box->setInformativeText(informativeText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_failureAlert = box;
    return box;
}

void ApplicationLauncher::handOffToRunningProgram(const QString& databasePath)
{
    // Nothing may end the program before the answer comes.
    QApplication::setQuitOnLastWindowClosed(false);
    const QPointer<ApplicationLauncher> self(this);
    InstanceChannel::requestActivation(databasePath, [self](bool delivered) {
        if (!self)
            return;
        if (!delivered) {
            // A program too old to listen, or one that does not answer: the user is told.
            self->showAlreadyRunning();
            return;
        }
        std::fputs(alreadyRunningText, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        Q_EMIT self->exitRequested(0);
    });
}

void ApplicationLauncher::showAlreadyRunning()
{
    QMessageBox* box = openAlert(QMessageBox::Information, QString::fromLatin1(alreadyRunningText), QString());
    box->addButton(QMessageBox::Ok);
    connect(box, &QMessageBox::finished, this, [this] { Q_EMIT exitRequested(0); });
    box->open();
}

void ApplicationLauncher::showStoreFailure(const MainWindowController::StoreFailure& failure)
{
    QMessageBox* box = openAlert(QMessageBox::Critical,
        tr("Pairsift cannot open its file store at “%1”.").arg(failure.path),
        failure.reason + QStringLiteral("\n\n")
            + tr("Start Fresh moves the file aside, where it is kept, and begins with an empty store; the "
                 "locations and the settings stay as they are."));
    // Starting fresh loses nothing (the file is only moved aside), so it is the default.
    QPushButton* freshButton = box->addButton(startFreshButtonTitle(), QMessageBox::AcceptRole);
    QPushButton* quitButton = box->addButton(quitButtonTitle(), QMessageBox::RejectRole);
    box->setDefaultButton(freshButton);
    box->setEscapeButton(quitButton);
    connect(box, &QMessageBox::finished, this, [this, box, freshButton, path = failure.path] {
        if (box->clickedButton() == freshButton)
            startFresh(path);
        else
            Q_EMIT exitRequested(storeFailureExitCode);
    });
    box->open();
}

// The locations and the settings live apart from the store, so they are kept.
void ApplicationLauncher::startFresh(const QString& databasePath)
{
    {
        // Nobody may open the store while it is moved.
        StoreLock lock(databasePath);
        if (lock.state() == StoreLock::State::HeldElsewhere) {
            showAlreadyRunning();
            return;
        }
        QString reason;
        if (setDamagedStoreAside(databasePath, QDateTime::currentDateTime(), &reason).isNull()) {
            showStoreFailure({MainWindowController::StoreFailure::Kind::CannotOpen, databasePath, reason});
            return;
        }
    }
    start();
}

} // namespace pairsift
