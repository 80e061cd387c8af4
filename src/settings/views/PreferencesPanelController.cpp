#include "settings/views/PreferencesPanelController.h"

#include "platform/UserDefaults.h"
#include "settings/PreferencesHost.h"
#include "settings/PreferencesPanes.h"
#include "settings/PsfPrefsFiltersController.h"
#include "settings/PsfPrefsGeneralController.h"
#include "settings/PsfPrefsUpdatesController.h"
#include "settings/SettingsKeys.h"
#include "settings/views/PsfPrefsFiltersView.h"
#include "settings/views/PsfPrefsGeneralView.h"
#include "settings/views/PsfPrefsUpdatesView.h"
#include "ui/FailureAlert.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLayout>
#include <QMainWindow>
#include <QPropertyAnimation>
#include <QScreen>
#include <QStyle>
#include <QToolBar>

#include <algorithm>
#include <atomic>

namespace pairsift {

namespace {

std::atomic<bool> isAnimated{true};

constexpr int fadeMilliseconds = 100;
constexpr int resizeMilliseconds = 100;
constexpr int slowResizeMilliseconds = 1000;
// Panes share one width at least, so that the window does not jump sideways between them.
constexpr int minimumPaneWidth = 480;

struct ToolbarItem {
    PreferencesPane pane;
    const char* identifier;
    const char* label;
    const char* themeIcon;
    QStyle::StandardPixmap fallbackIcon;
};

const ToolbarItem toolbarItems[] = {
    {PreferencesPane::General, "General", QT_TRANSLATE_NOOP("PreferencesPanelController", "General"),
        "preferences-system", QStyle::SP_ComputerIcon},
    {PreferencesPane::Filters, "Filters", QT_TRANSLATE_NOOP("PreferencesPanelController", "Filters"),
        "view-filter", QStyle::SP_FileDialogDetailedView},
    {PreferencesPane::Updates, "Updates", QT_TRANSLATE_NOOP("PreferencesPanelController", "Updates"),
        "system-software-update", QStyle::SP_BrowserReload},
};

// The keyboard lands on the new pane's first control, as a tab into it would.
void focusFirstControl(QWidget* view)
{
    for (QWidget* widget = view->nextInFocusChain(); view->isAncestorOf(widget); widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(view)) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    // A pane without controls still takes the focus from the one that went away.
    view->setFocus(Qt::OtherFocusReason);
}

} // namespace

PreferencesPanelController::PreferencesPanelController(PreferencesHost& mainWindowController, QObject* parent)
    : QObject(parent)
    , m_mainWindowController(mainWindowController)
    , m_window(std::make_unique<QMainWindow>())
    , m_content(new QWidget)
{
    m_window->setWindowTitle(tr("Preferences"));
    m_window->setContextMenuPolicy(Qt::PreventContextMenu);
    m_window->setCentralWidget(m_content);
    buildToolbar();

    auto* close = new QAction(m_window.get());
    close->setShortcuts({QKeySequence::Close, QKeySequence(Qt::Key_Escape)});
    connect(close, &QAction::triggered, m_window.get(), &QWidget::close);
    m_window->addAction(close);

    // The General pane first, at its own size.
    QWidget* general = viewForTag(0);
    placeView(general);
    selectToolbarItem(0);
    m_currentViewTag = 0;
    setWindowFrame(newFrameForNewContentView(general), 0);
    m_window->installEventFilter(this);
}

PreferencesPanelController::~PreferencesPanelController()
{
    m_window->removeEventFilter(this);
}

QString PreferencesPanelController::windowFrameAutosaveName()
{
    return QString::fromLatin1(SettingsKey::PreferencesWindowFrame);
}

void PreferencesPanelController::setAnimated(bool animated)
{
    isAnimated.store(animated, std::memory_order_relaxed);
}

void PreferencesPanelController::showWindow()
{
    if (!m_window->isVisible())
        placeWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void PreferencesPanelController::closeWindow()
{
    if (m_filtersView)
        m_filtersView->endEditing();
    m_window->close();
}

void PreferencesPanelController::buildToolbar()
{
    m_toolbar = m_window->addToolBar(tr("Panes"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbarItems = new QActionGroup(m_toolbar);
    m_toolbarItems->setExclusive(true);
    int number = 1;
    for (const ToolbarItem& item : toolbarItems) {
        QIcon icon = QIcon::fromTheme(QString::fromLatin1(item.themeIcon));
        if (icon.isNull())
            icon = m_window->style()->standardIcon(item.fallbackIcon);
        auto* action = new QAction(icon, tr(item.label), m_toolbarItems);
        action->setObjectName(QString::fromLatin1(item.identifier));
        action->setData(static_cast<qint64>(item.pane));
        action->setCheckable(true);
        action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + number++)));
        connect(action, &QAction::triggered, this, [this, action] { switchView(action->data().toLongLong()); });
        m_toolbar->addAction(action);
    }
}

void PreferencesPanelController::selectToolbarItem(qint64 tag)
{
    const qint64 pane = static_cast<qint64>(paneForTag(tag));
    for (QAction* action : m_toolbarItems->actions())
        action->setChecked(action->data().toLongLong() == pane);
}

PsfPrefsGeneralController* PreferencesPanelController::generalController()
{
    if (!m_generalController)
        m_generalController = std::make_unique<PsfPrefsGeneralController>(
            [this](const QString& path) { revealOrAlert(path, m_window.get()); });
    m_generalController->setCurrentLogFilePath(m_mainWindowController.currentLogFilePath());
    return m_generalController.get();
}

PsfPrefsFiltersController* PreferencesPanelController::filtersController()
{
    if (!m_filtersController)
        m_filtersController = std::make_unique<PsfPrefsFiltersController>(m_mainWindowController);
    return m_filtersController.get();
}

PsfPrefsUpdatesController* PreferencesPanelController::updatesController()
{
    if (!m_updatesController)
        m_updatesController = std::make_unique<PsfPrefsUpdatesController>(m_mainWindowController);
    return m_updatesController.get();
}

QWidget* PreferencesPanelController::viewForTag(qint64 tag)
{
    switch (paneForTag(tag)) {
    case PreferencesPane::General:
        // Asked every time, so that the log file path is the main window's current one.
        generalController();
        if (!m_generalView)
            m_generalView = new PsfPrefsGeneralView(*m_generalController, m_content);
        return m_generalView;
    case PreferencesPane::Filters:
        if (!m_filtersView)
            m_filtersView = new PsfPrefsFiltersView(*filtersController(), m_content);
        return m_filtersView;
    case PreferencesPane::Updates:
        if (!m_updatesView)
            m_updatesView = new PsfPrefsUpdatesView(*updatesController(), m_content);
        return m_updatesView;
    }
    Q_UNREACHABLE();
    return nullptr;
}

QRect PreferencesPanelController::newFrameForNewContentView(QWidget* view) const
{
    m_window->layout()->activate();
    const QSize chrome = m_window->size() - m_content->size();
    return pairsift::newFrameForNewContentView(m_window->geometry(), chrome, view->size());
}

void PreferencesPanelController::placeView(QWidget* view)
{
    if (!view->property("isSized").toBool()) {
        view->adjustSize();
        view->resize(view->size().expandedTo(
            QSize(std::max(minimumPaneWidth, m_toolbar->sizeHint().width()), 0)));
        view->setProperty("isSized", true);
    }
    view->move(0, 0);
    view->show();
}

void PreferencesPanelController::switchView(qint64 tag)
{
    QWidget* newView = viewForTag(tag);
    QWidget* oldView = viewForTag(m_currentViewTag);
    m_currentViewTag = tag;
    selectToolbarItem(tag);
    placeView(newView);
    const QRect frame = newFrameForNewContentView(newView);
    if (oldView != newView)
        oldView->hide();

    const bool animate = isAnimated.load(std::memory_order_relaxed) && m_window->isVisible();
    if (animate && oldView != newView) {
        auto* effect = new QGraphicsOpacityEffect(newView);
        newView->setGraphicsEffect(effect);
        auto* fade = new QPropertyAnimation(effect, "opacity", effect);
        fade->setDuration(fadeMilliseconds);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        connect(fade, &QAbstractAnimation::finished, newView, [newView] { newView->setGraphicsEffect(nullptr); });
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    }
    const bool isShiftDown = QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
    setWindowFrame(frame, animate ? (isShiftDown ? slowResizeMilliseconds : resizeMilliseconds) : 0);
    focusFirstControl(newView);
}

void PreferencesPanelController::setWindowFrame(const QRect& frame, int milliseconds)
{
    delete m_resize;
    if (milliseconds <= 0 || frame == m_window->geometry()) {
        m_window->setGeometry(frame);
        m_window->setFixedSize(frame.size());
        return;
    }
    // The user cannot resize the window; only the resize to the new pane can.
    m_window->setMinimumSize(0, 0);
    m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    auto* resize = new QPropertyAnimation(m_window.get(), "geometry", this);
    resize->setDuration(milliseconds);
    resize->setStartValue(m_window->geometry());
    resize->setEndValue(frame);
    connect(resize, &QAbstractAnimation::finished, this, [this, frame] { m_window->setFixedSize(frame.size()); });
    m_resize = resize;
    resize->start(QAbstractAnimation::DeleteWhenStopped);
}

void PreferencesPanelController::placeWindow()
{
    // Frames are the window's inside, as saved; the title bar above it must lie on the screen too.
    // Only the place is restored: the size is the pane's.
    const QSize size = m_window->geometry().size();
    std::optional<QRect> saved = frameFromText(UserDefaults::standard().stringValue(windowFrameAutosaveName()));
    if (saved)
        saved = QRect(saved->topLeft(), size);
    const QRect anchor = m_mainWindow ? m_mainWindow->frameGeometry() : availableScreenArea(nullptr);
    m_window->setGeometry(insideOnScreen(saved, size, anchor, windowDecorations(*m_window, m_mainWindow)));
}

void PreferencesPanelController::saveFrame() const
{
    UserDefaults::standard().setValue(windowFrameAutosaveName(), frameText(m_window->geometry()));
}

bool PreferencesPanelController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        saveFrame();
    return QObject::eventFilter(watched, event);
}

} // namespace pairsift
