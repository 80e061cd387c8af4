#pragma once

#include "model/FileItem.h"
#include "ui/ImageAndTextCellDelegate.h"
#include "ui/KeyForwardingOutlineView.h"

#include <QWidget>

namespace pairsift {

class PreviewWindow;
class ResultsController;
class SelectionDetailsView;

// The results area of the main window: the outline list of groups and files beside the selection details,
// and the preview window that the space bar opens. It builds the widgets, shows the controller's model
// and selection, and hands expand, collapse, header and key events to the controller. Of the main
// window's operations, setupDuplicatesTableView, the five key callbacks, launchQuickLook,
// quickLookSelectedItems, invokeQuickLook and togglePreviewPanel live here; the rest of the list is
// ResultsController's.
class ResultsView : public QWidget, public KeyForwardingDelegate, public ImageAndTextCellDelegate {
    Q_OBJECT

public:
    explicit ResultsView(ResultsController& controller, QWidget* parent = nullptr);
    ~ResultsView() override;

    ResultsController& controller() const { return m_controller; }
    KeyForwardingOutlineView* dupView() const { return m_dupView; }
    SelectionDetailsView* detailsView() const { return m_detailsView; }
    // Null until first opened.
    PreviewWindow* previewPanel() const { return m_previewPanel; }
    bool isPreviewVisible() const;
    const QList<FileItemPtr>& selectedItemsForQuickLook() const { return m_selectedItemsForQuickLook; }

    // Opens the preview on the selected files, keeping the keyboard in the list; closes it when open.
    void launchQuickLook();
    void invokeQuickLook() { launchQuickLook(); }
    // Opens or closes the preview without collecting the files or handing the keyboard back.
    void togglePreviewPanel();
    // The selected rows' files, a group standing for its kept file, each once; shown when open.
    void quickLookSelectedItems();

    void expandAll();
    void collapseAll();
    // Beeps unless a file is selected.
    void revealInFinder();

    bool userDidPressSpaceInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressUpInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressDownInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressLeftInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressRightInOutlineView(KeyForwardingOutlineView* view) override;

    std::optional<QIcon> iconForCell(const ImageAndTextCell& cell, const QVariant& data) override;

private:
    void setupDuplicatesTableView();
    void showSortIndicator();
    void headerSortChanged(int column, Qt::SortOrder order);
    // Reloads the open preview; the arrows then move the selection as usual.
    bool arrowPressed();
    PreviewWindow& preview();

    ResultsController& m_controller;
    KeyForwardingOutlineView* m_dupView;
    SelectionDetailsView* m_detailsView;
    PreviewWindow* m_previewPanel = nullptr;
    QList<FileItemPtr> m_selectedItemsForQuickLook;
};

} // namespace pairsift
