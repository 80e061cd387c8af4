#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace pairsift {

class AddLocationMenu;
class MainWindowController;
class ResultsView;
class ScanLocationTableView;

// The view the window shows between scans: the locations with Add, Remove and Scan above, the results
// below with the selection details beside them, and a status line (wasted space, marking status, staged files, the busy indicator). It builds
// itself, follows the controller's properties and forwards the buttons.
class MainView : public QWidget {
    Q_OBJECT

public:
    // The controller must outlive the view.
    explicit MainView(MainWindowController& controller, QWidget* parent = nullptr);

    ScanLocationTableView* locationsTable() const { return m_locationsTable; }
    ResultsView* resultsView() const { return m_results; }
    AddLocationMenu* addMenu() const { return m_addMenu; }
    QToolButton* addButton() const { return m_addButton; }
    QPushButton* removeButton() const { return m_removeButton; }
    QPushButton* scanButton() const { return m_scanButton; }
    QLabel* wastedInfoLabel() const { return m_wastedInfoLabel; }
    QLabel* scanNoteLabel() const { return m_scanNoteLabel; }
    QLabel* selectionInfoLabel() const { return m_selectionInfoLabel; }
    QLabel* trashInfoLabel() const { return m_trashInfoLabel; }
    QToolButton* trashButton() const { return m_trashButton; }
    QProgressBar* busyProgressIndicator() const { return m_busyProgressIndicator; }
    QLabel* busyMessageLabel() const { return m_busyMessageLabel; }

private:
    QWidget* makeLocationsPane();
    QWidget* makeStatusLine();
    void showTexts();
    void showBusyState();
    void updateButtons();

    MainWindowController& m_controller;
    ScanLocationTableView* m_locationsTable = nullptr;
    AddLocationMenu* m_addMenu = nullptr;
    QToolButton* m_addButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_scanButton = nullptr;
    ResultsView* m_results = nullptr;
    QLabel* m_wastedInfoLabel = nullptr;
    QLabel* m_scanNoteLabel = nullptr;
    QLabel* m_selectionInfoLabel = nullptr;
    QLabel* m_trashInfoLabel = nullptr;
    QToolButton* m_trashButton = nullptr;
    QProgressBar* m_busyProgressIndicator = nullptr;
    QLabel* m_busyMessageLabel = nullptr;
};

} // namespace pairsift
