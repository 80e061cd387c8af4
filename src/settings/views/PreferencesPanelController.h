#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>

class QActionGroup;
class QMainWindow;
class QToolBar;
class QWidget;

namespace pairsift {

class PreferencesHost;
class PsfPrefsFiltersController;
class PsfPrefsFiltersView;
class PsfPrefsGeneralController;
class PsfPrefsGeneralView;
class PsfPrefsUpdatesController;
class PsfPrefsUpdatesView;

// The preferences window: a tool bar with one item per pane (General, Filters, Updates) over the pane on
// show. Each pane's controller and view are made the first time they are needed and kept for the
// window's life. Switching panes fades the new pane in while the window resizes around it with its top
// edge fixed (the resize takes 1 s instead of 0.1 s while Shift is held). The window's frame is kept in
// the settings under "PairsiftPrefPanel".
//
// The main window controller makes this on first use and keeps it; it implements PreferencesHost and
// must outlive it. Main thread only.
class PreferencesPanelController : public QObject {
    Q_OBJECT

public:
    explicit PreferencesPanelController(PreferencesHost& mainWindowController, QObject* parent = nullptr);
    ~PreferencesPanelController() override;

    static QString windowFrameAutosaveName();
    // Off: panes swap and the window resizes at once (tests).
    static void setAnimated(bool animated);

    QMainWindow* window() const { return m_window.get(); }
    QToolBar* toolbar() const { return m_toolbar; }
    // The window Preferences opens over: when the saved frame lies on no screen, the window is centred
    // over it, on its screen. Not owned.
    void setMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }
    // Shows the window (with the pane last on show) and brings it to the front. A hidden window is first
    // placed wholly on a screen: where it was saved when that frame lies on one, else over the main
    // window.
    void showWindow();
    // Ends an edit in progress (its text kept) and closes the window.
    void closeWindow();

    PreferencesHost& mainWindowController() const { return m_mainWindowController; }
    qint64 currentViewTag() const { return m_currentViewTag; }

    // The view of the pane for `tag` (see paneForTag), made with its controller when needed.
    QWidget* viewForTag(qint64 tag);
    // The window frame that fits `view` with the top edge where it is.
    QRect newFrameForNewContentView(QWidget* view) const;

    // Every call hands it the main window's current log file path.
    PsfPrefsGeneralController* generalController();
    PsfPrefsFiltersController* filtersController();
    PsfPrefsUpdatesController* updatesController();

    // Shows the pane of `tag`; the action of every tool-bar item.
    void switchView(qint64 tag);

private:
    void buildToolbar();
    void selectToolbarItem(qint64 tag);
    void placeView(QWidget* view);
    void setWindowFrame(const QRect& frame, int resizeMilliseconds);
    void placeWindow();
    void saveFrame() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    PreferencesHost& m_mainWindowController;
    qint64 m_currentViewTag = 0;
    // Declared before the window, whose pane views use them, so they go after it.
    std::unique_ptr<PsfPrefsGeneralController> m_generalController;
    std::unique_ptr<PsfPrefsFiltersController> m_filtersController;
    std::unique_ptr<PsfPrefsUpdatesController> m_updatesController;
    std::unique_ptr<QMainWindow> m_window;
    QToolBar* m_toolbar = nullptr;
    QActionGroup* m_toolbarItems = nullptr;
    QWidget* m_content = nullptr;
    PsfPrefsGeneralView* m_generalView = nullptr;
    PsfPrefsFiltersView* m_filtersView = nullptr;
    PsfPrefsUpdatesView* m_updatesView = nullptr;
    QPointer<QObject> m_resize;
    QPointer<QWidget> m_mainWindow;
};

} // namespace pairsift
