#include "app/MainWindow.h"

#include "app/ApplicationInfo.h"
#include "app/MainView.h"
#include "app/MainWindowController.h"
#include "locations/views/AddLocationMenu.h"
#include "locations/views/ScanLocationTableView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QStackedWidget>

namespace pairsift {

MainWindow::MainWindow(MainWindowController& controller)
    : m_controller(controller)
    , m_stack(new QStackedWidget(this))
    , m_mainView(new MainView(controller))
{
    setWindowTitle(ApplicationInfo::name());
    m_stack->addWidget(m_mainView);
    setCentralWidget(m_stack);
    resize(960, 680);
    setMinimumSize(640, 460);
    buildMenus();
    connect(&m_controller, &MainWindowController::commandStateChanged, this, &MainWindow::updateCommands);
    updateCommands();
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    m_addFolderAction = file->addAction(tr("&Add Folder…"), m_mainView->addMenu()->addFolderAction(), &QAction::trigger);
    m_addFolderAction->setShortcut(QKeySequence::Open);
    m_scanAction = file->addAction(tr("&Scan"), &m_controller, &MainWindowController::startScan);
    m_scanAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_stopAction = file->addAction(tr("S&top Scan"), &m_controller, &MainWindowController::stopScan);
    m_stopAction->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Period)});
    file->addSeparator();
    m_clearAction = file->addAction(tr("C&lear Results…"), &m_controller, &MainWindowController::clear);
    file->addSeparator();
    QAction* close = file->addAction(tr("&Close Window"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);
    QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    m_deleteAction = edit->addAction(tr("&Delete"), this, &MainWindow::deleteSelection);
    m_deleteAction->setShortcut(QKeySequence::Delete);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    m_checkForUpdatesAction = help->addAction(tr("Check for &Updates…"), &m_controller, &MainWindowController::checkForUpdates);
    help->addAction(tr("&About Pairsift"), this, &MainWindow::showAbout);
}

void MainWindow::updateCommands()
{
    const bool scanning = m_controller.isScanning();
    m_addFolderAction->setEnabled(!scanning);
    m_scanAction->setEnabled(m_controller.canStartScan());
    m_stopAction->setEnabled(scanning);
    m_clearAction->setEnabled(m_controller.areStoreCommandsEnabled() && m_controller.isNonEmpty());
    m_deleteAction->setEnabled(m_controller.areStoreCommandsEnabled());
}

void MainWindow::deleteSelection()
{
    if (qobject_cast<ScanLocationTableView*>(QApplication::focusWidget()))
        m_controller.removeSelectedLocations();
}

void MainWindow::showAbout()
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, tr("About Pairsift"),
                                tr("<b>Pairsift %1</b><p>Finds duplicate files and removes them safely.</p>")
                                    .arg(ApplicationInfo::version()),
                                QMessageBox::Ok, this);
    box->setIconPixmap(windowIcon().pixmap(64, 64));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_controller.windowDidBecomeMain();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_controller.windowWillClose();
    event->accept();
}

} // namespace pairsift
