#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace pairsift {

class AddLocationMenu;
class MainWindowController;
class PlainResultsTree;
class ResultsArea;
class ScanLocationTableView;

// The view the window shows between scans: the locations with Add, Remove and Scan above, the results
// below, and a status line (wasted space, marking status, staged files, the busy indicator). It builds
// itself, follows the controller's properties and forwards the buttons.
class MainView : public QWidget {
    Q_OBJECT

public:
    // The controller must outlive the view.
    explicit MainView(MainWindowController& controller, QWidget* parent = nullptr);

    ScanLocationTableView* locationsTable() const { return m_locationsTable; }
    ResultsArea* resultsArea() const;
    AddLocationMenu* addMenu() const { return m_addMenu; }
    QToolButton* addButton() const { return m_addButton; }
    QPushButton* removeButton() const { return m_removeButton; }
    QPushButton* scanButton() const { return m_scanButton; }
    QLabel* wastedInfoLabel() const { return m_wastedInfoLabel; }
    QLabel* selectionInfoLabel() const { return m_selectionInfoLabel; }
    QLabel* trashInfoLabel() const { return m_trashInfoLabel; }
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
    PlainResultsTree* m_results = nullptr;
    QLabel* m_wastedInfoLabel = nullptr;
    QLabel* m_selectionInfoLabel = nullptr;
    QLabel* m_trashInfoLabel = nullptr;
    QProgressBar* m_busyProgressIndicator = nullptr;
    QLabel* m_busyMessageLabel = nullptr;
};

} // namespace pairsift
