#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace pairsift {

class IconAndKindCache;
class PairsiftDatabase;
class PhotoLibraryHandlers;
class SOLogger;
class TrashSheetController;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The removal sheet's window: the staged files, the status line, the idle panel with the actions and the
// running panel with the progress and Stop. It only builds itself, follows its controller's properties,
// forwards the user's actions and asks before a permanent deletion; the work is TrashSheetController's.
// It cannot be closed (button or Esc) while a run is in progress. Made fresh for each showing.
class TrashSheet : public QDialog {
    Q_OBJECT

public:
    // Runs on the main thread once the sheet has closed: true when a file was removed or put back, so the
    // results need a refresh.
    using Completion = std::function<void(bool hasChangedFiles)>;

    // Opens a fresh sheet window-modal over `parent`, loads the staged list and returns at once. The sheet
    // deletes itself after the completion. `icons` (the results list's, which must outlive the sheet) saves
    // looking up again the icons the list already has.
    static TrashSheet* openOver(QWidget* parent, std::shared_ptr<PairsiftDatabase> database, SOLoggerPtr logger,
        Completion completion, std::shared_ptr<PhotoLibraryHandlers> photoLibraryHandlers = {},
        IconAndKindCache* icons = nullptr);

    TrashSheet(std::shared_ptr<PairsiftDatabase> database, SOLoggerPtr logger, QWidget* parent = nullptr);

    // Also where the logger is replaced and the window-did-become-main notification is delivered.
    TrashSheetController* controller() const { return m_controller; }

    void reject() override;

Q_SIGNALS:
    // The help anchor to open in the program's help.
    void helpRequested(const QString& anchor);

private:
    void buildPanels();
    void followController();
    // Window-modal over the sheet; the controller hears the answer.
    void askForPermanentDeletion(quint64 count);
    // The controller's selection, sent to the table as contiguous ranges unless the table shows it already.
    void showSelectionFromController();
    void sendSelectionToController();
    // The table's selected rows, sorted, from its ranges.
    QList<int> selectedRows() const;

    TrashSheetController* m_controller;
    QTableView* m_table = nullptr;
    QLabel* m_status = nullptr;
    QStackedWidget* m_panels = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_deleteAndLinkButton = nullptr;
    QPushButton* m_putBackButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPushButton* m_helpButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QProgressBar* m_loadingIndicator = nullptr;
    bool m_isApplyingSelection = false;
};

} // namespace pairsift
