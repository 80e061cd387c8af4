#pragma once

#include <QMainWindow>

class QAction;
class QStackedWidget;

namespace pairsift {

class MainView;
class MainWindowController;

// The program's one window: the main view, or a scan's counting or processing view, in a stack; the
// menus with their shortcuts. Becoming the active window and closing are reported to the controller;
// closing it quits the program.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // The controller must outlive the window.
    explicit MainWindow(MainWindowController& controller);

    QStackedWidget* stack() const { return m_stack; }
    MainView* mainView() const { return m_mainView; }

    QAction* addFolderAction() const { return m_addFolderAction; }
    QAction* scanAction() const { return m_scanAction; }
    QAction* stopAction() const { return m_stopAction; }
    QAction* clearAction() const { return m_clearAction; }
    QAction* deleteAction() const { return m_deleteAction; }
    QAction* checkForUpdatesAction() const { return m_checkForUpdatesAction; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void updateCommands();
    // Delete acts on whichever list has the keyboard: the locations list forgets its selected rows.
    void deleteSelection();
    void showAbout();

    MainWindowController& m_controller;
    QStackedWidget* m_stack;
    MainView* m_mainView;
    QAction* m_addFolderAction = nullptr;
    QAction* m_scanAction = nullptr;
    QAction* m_stopAction = nullptr;
    QAction* m_clearAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_checkForUpdatesAction = nullptr;
};

} // namespace pairsift
