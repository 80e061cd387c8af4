#include "app/MainWindow.h"

#include "app/ApplicationInfo.h"
#include "app/MainView.h"
#include "app/MainWindowController.h"
#include "locations/views/AddLocationMenu.h"
#include "platform/UserDefaults.h"
#include "results/views/ResultsView.h"
#include "settings/SettingsKeys.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStackedWidget>

namespace pairsift {

namespace {

constexpr QSize defaultSize(960, 680);

} // namespace

MainWindow::MainWindow(MainWindowController& controller)
    : m_controller(controller)
    , m_stack(new QStackedWidget(this))
    , m_mainView(new MainView(controller))
{
    setWindowTitle(ApplicationInfo::name());
    m_stack->addWidget(m_mainView);
    setCentralWidget(m_stack);
    resize(defaultSize);
    setMinimumSize(640, 460);
    buildMenus();
    connect(&m_controller, &MainWindowController::commandStateChanged, this, &MainWindow::updateCommands);
    updateCommands();
    // Whichever widget has the keyboard, and even when it handles the key itself.
    qApp->installEventFilter(this);
}

void MainWindow::restoreFrame()
{
    UserDefaults& defaults = UserDefaults::standard();
    const std::optional<QRect> saved = frameFromText(defaults.stringValue(QString::fromLatin1(SettingsKey::MainWindowFrame)));
    // A frame that fits no screen now (a screen gone, a lower resolution) gives way to the default one.
    setGeometry(insideOnScreen(saved, defaultSize, availableScreenArea(nullptr), windowDecorations(*this)));
    const QVariantList states = defaults.arrayValue(QString::fromLatin1(SettingsKey::MainWindowSplitters)).value_or(QVariantList());
    const QList<QSplitter*> views = splitters();
    for (qsizetype index = 0; index < std::min(states.size(), views.size()); ++index)
        views.at(index)->restoreState(QByteArray::fromBase64(states.at(index).toString().toLatin1()));
}

void MainWindow::saveFrame() const
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setValue(QString::fromLatin1(SettingsKey::MainWindowFrame), frameText(normalGeometry()));
    QVariantList states;
    for (const QSplitter* splitter : splitters())
        states.append(QString::fromLatin1(splitter->saveState().toBase64()));
    defaults.setValue(QString::fromLatin1(SettingsKey::MainWindowSplitters), states);
}

QList<QSplitter*> MainWindow::splitters() const
{
    return m_mainView->findChildren<QSplitter*>();
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
    // Ends the program even when another of its windows (Preferences, the preview) is open.
    QAction* quit = file->addAction(tr("&Quit"), this, [this] {
        if (this->close())
            QCoreApplication::quit();
    });
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    // Delete acts on whichever list has the keyboard.
    m_deleteAction = edit->addAction(tr("&Delete"), &m_controller, &MainWindowController::deleteAction);
    m_deleteAction->setShortcut(QKeySequence::Delete);
    edit->addSeparator();
    m_preferencesAction = edit->addAction(tr("&Preferences…"), &m_controller, &MainWindowController::showPreferencesPanel);
    m_preferencesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_preferencesAction->setMenuRole(QAction::PreferencesRole);

    buildMarkMenu();

    buildViewMenu();

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* helpBook = help->addAction(tr("Pairsift &Help"), &m_controller, &MainWindowController::showHelp);
    helpBook->setShortcut(QKeySequence::HelpContents);
    help->addAction(tr("&Contact Support…"), &m_controller, &MainWindowController::contactSupport);
    help->addSeparator();
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
    const bool storeCommands = m_controller.areStoreCommandsEnabled();
    m_deleteAction->setEnabled(storeCommands);
    m_stageAction->setEnabled(storeCommands && m_controller.isNonEmpty());
    m_trashSheetAction->setEnabled(storeCommands && m_controller.mainViewActive());
    for (QAction* action : {m_selectDuplicatesAction, m_selectNoneAction, m_markUnmarkAction})
        action->setEnabled(!scanning && m_controller.isNonEmpty());
    const bool listed = m_controller.mainViewActive() && m_controller.isNonEmpty();
    for (QAction* action : {m_expandAllAction, m_collapseAllAction, m_revealAction, m_previewAction})
        action->setEnabled(listed);
}

void MainWindow::buildMarkMenu()
{
    QMenu* mark = menuBar()->addMenu(tr("&Mark"));
    m_selectDuplicatesAction = mark->addAction(tr("Mark All &Duplicates"), &m_controller, &MainWindowController::selectDuplicates);
    m_selectDuplicatesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_selectNoneAction = mark->addAction(tr("&Unmark All"), &m_controller, &MainWindowController::selectNone);
    m_selectNoneAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    m_markUnmarkAction = mark->addAction(tr("&Mark or Unmark"), &m_controller, &MainWindowController::markUnmarkFile);
    m_markUnmarkAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    mark->addSeparator();
    m_stageAction = mark->addAction(tr("&Stage Marked Files for Removal"), &m_controller, &MainWindowController::removeAllMarkedFiles);
    m_stageAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Backspace));
    m_trashSheetAction = mark->addAction(tr("&Remove Staged Files…"), &m_controller, &MainWindowController::displayTrashSheet);
    m_trashSheetAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backspace));
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == this)
            m_controller.flagsChanged(static_cast<QKeyEvent*>(event)->modifiers());
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    // A key released while another window was active never reached this one.
    m_controller.flagsChanged(QGuiApplication::queryKeyboardModifiers());
    if (isActiveWindow())
        m_controller.windowDidBecomeMain();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_controller.windowWillClose();
    event->accept();
}

void MainWindow::buildViewMenu()
{
    ResultsView* results = m_mainView->resultsView();
    QMenu* view = menuBar()->addMenu(tr("&View"));
    m_expandAllAction = view->addAction(tr("&Expand All"), results, &ResultsView::expandAll);
    m_expandAllAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right));
    m_collapseAllAction = view->addAction(tr("&Collapse All"), results, &ResultsView::collapseAll);
    m_collapseAllAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left));
    view->addSeparator();
    m_revealAction = view->addAction(tr("&Reveal in File Manager"), results, &ResultsView::revealInFinder);
    m_revealAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    // Space in the list does the same; as a menu shortcut it would take the space bar from text fields.
    m_previewAction = view->addAction(tr("&Preview"), results, &ResultsView::togglePreviewPanel);
    m_previewAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(&m_controller, &MainWindowController::mainViewActiveChanged, this, &MainWindow::updateCommands);
}

} // namespace pairsift
