#pragma once

#include <QMainWindow>

class QAction;
class QSplitter;
class QStackedWidget;

namespace pairsift {

class MainView;
class MainWindowController;

// The program's one window: the main view, or a scan's counting or processing view, in a stack; the
// menus with their shortcuts. Becoming the active window and closing are reported to the controller;
// closing it quits the program. Its frame and splitters are kept from one run to the next.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // The controller must outlive the window.
    explicit MainWindow(MainWindowController& controller);

    // The inside and the splitter positions saved at the last close, when that inside lies wholly on a
    // screen; else the default size, centred on the primary screen. Before the window is shown.
    void restoreFrame();
    // Into the settings, with the other settings at close.
    void saveFrame() const;

    QStackedWidget* stack() const { return m_stack; }
    MainView* mainView() const { return m_mainView; }

    QAction* addFolderAction() const { return m_addFolderAction; }
    QAction* scanAction() const { return m_scanAction; }
    QAction* stopAction() const { return m_stopAction; }
    QAction* clearAction() const { return m_clearAction; }
    QAction* deleteAction() const { return m_deleteAction; }
    QAction* checkForUpdatesAction() const { return m_checkForUpdatesAction; }
    QAction* selectDuplicatesAction() const { return m_selectDuplicatesAction; }
    QAction* selectNoneAction() const { return m_selectNoneAction; }
    QAction* markUnmarkAction() const { return m_markUnmarkAction; }
    QAction* stageAction() const { return m_stageAction; }
    QAction* trashSheetAction() const { return m_trashSheetAction; }
    QAction* preferencesAction() const { return m_preferencesAction; }
    QAction* expandAllAction() const { return m_expandAllAction; }
    QAction* collapseAllAction() const { return m_collapseAllAction; }
    QAction* revealAction() const { return m_revealAction; }
    QAction* previewAction() const { return m_previewAction; }

protected:
    // Key events anywhere in the window report their modifier keys to the controller.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // The results list's commands; they act on the main view's list.
    void buildViewMenu();
    void updateCommands();
    // Marking, staging and the removal sheet.
    void buildMarkMenu();
    void showAbout();
    // The main view's splitters, outer first: the order the view builds them in, which the saved
    // positions follow.
    QList<QSplitter*> splitters() const;

    MainWindowController& m_controller;
    QStackedWidget* m_stack;
    MainView* m_mainView;
    QAction* m_addFolderAction = nullptr;
    QAction* m_scanAction = nullptr;
    QAction* m_stopAction = nullptr;
    QAction* m_clearAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_checkForUpdatesAction = nullptr;
    QAction* m_selectDuplicatesAction = nullptr;
    QAction* m_selectNoneAction = nullptr;
    QAction* m_markUnmarkAction = nullptr;
    QAction* m_stageAction = nullptr;
    QAction* m_trashSheetAction = nullptr;
    QAction* m_preferencesAction = nullptr;
    QAction* m_expandAllAction = nullptr;
    QAction* m_collapseAllAction = nullptr;
    QAction* m_revealAction = nullptr;
    QAction* m_previewAction = nullptr;
};

} // namespace pairsift
