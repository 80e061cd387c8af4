#pragma once

#include "model/FileItem.h"
#include "results/views/PreviewWindow.h"
#include "ui/ImageAndTextCellDelegate.h"
#include "ui/KeyForwardingOutlineView.h"

#include <QWidget>

#include <functional>

namespace pairsift {

class ResultsController;
class SelectionDetailsView;

// The results area of the main window: the outline list of groups and files beside the selection details,
// and the preview window that the space bar opens. It builds the widgets, shows the controller's model
// and selection, and hands expand, collapse, header and key events to the controller. Of the main
// window's operations, setupDuplicatesTableView, the five key callbacks, launchQuickLook,
// quickLookSelectedItems, invokeQuickLook, togglePreviewPanel, the preview's control, data source and
// zoom frames, and the visible-row lookups live here; the rest of the list is ResultsController's.
class ResultsView : public QWidget,
                    public KeyForwardingDelegate,
                    public ImageAndTextCellDelegate,
                    public PreviewPanelController,
                    public PreviewPanelDataSource,
                    public PreviewPanelDelegate {
    Q_OBJECT

public:
    explicit ResultsView(ResultsController& controller, QWidget* parent = nullptr);
    ~ResultsView() override;

    ResultsController& controller() const { return m_controller; }
    KeyForwardingOutlineView* dupView() const { return m_dupView; }
    SelectionDetailsView* detailsView() const { return m_detailsView; }
    // The one preview window; null until first opened.
    PreviewWindow* sharedPreviewPanel() const { return m_sharedPanel; }
    // The preview while this view is in charge of it, else null.
    PreviewWindow* previewPanel() const { return m_previewPanel; }
    bool isPreviewVisible() const;
    const QList<FileItemPtr>& selectedItemsForQuickLook() const { return m_selectedItemsForQuickLook; }

    // Opens the preview on the selected files, keeping the keyboard in the list; closes it when open.
    void launchQuickLook();
    void invokeQuickLook() { launchQuickLook(); }
    // Opens or closes the preview; opening hands it to this view, which shows the selected files.
    void togglePreviewPanel();
    // The files of the selected rows the list shows, a group standing for its kept file, each once; shown
    // when open.
    void quickLookSelectedItems();

    void expandAll();
    void collapseAll();
    // Beeps unless a file is selected.
    void revealInFinder();

    // The first row shown in the list (top to bottom) that is this file, or a file at the URL's path.
    FileItemPtr visibleItemWithURL(const QUrl& url) const;
    FileItemPtr visibleItemWithFileInfo(const FileItemPtr& item) const;

    bool userDidPressSpaceInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressUpInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressDownInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressLeftInOutlineView(KeyForwardingOutlineView* view) override;
    bool userDidPressRightInOutlineView(KeyForwardingOutlineView* view) override;

    std::optional<QIcon> iconForCell(const ImageAndTextCell& cell, const QVariant& data) override;

    bool acceptsPreviewPanelControl(PreviewWindow& panel) override;
    // Also collects the selected files, so the preview opened from anywhere shows the selection.
    void beginPreviewPanelControl(PreviewWindow& panel) override;
    void endPreviewPanelControl(PreviewWindow& panel) override;
    qsizetype numberOfPreviewItemsInPreviewPanel(PreviewWindow& panel) override;
    FileItemPtr previewItemAtIndex(PreviewWindow& panel, qsizetype index) override;
    // Key presses go to the list.
    bool handleEvent(PreviewWindow& panel, QKeyEvent* event) override;
    // The icon column of the item's name cell (16 points wide, the row's height) in screen coordinates;
    // null when nothing was collected for the preview or the item's row is not shown.
    QRect sourceFrameOnScreenForPreviewItem(PreviewWindow& panel, const FileItemPtr& item) override;
    QRect frameForURL(PreviewWindow& panel, const QUrl& url) override;

private:
    void setupDuplicatesTableView();
    void showSortIndicator();
    void headerSortChanged(int column, Qt::SortOrder order);
    // The open preview shows what is selected and shown now.
    void followSelection();
    // Reloads the open preview; the arrows then move the selection as usual.
    bool arrowPressed();
    PreviewWindow& sharedPanel();
    FileItemPtr visibleItemWhere(const std::function<bool(const FileItemPtr&)>& matches) const;
    QRect iconFrameOnScreen(const FileItemPtr& visible) const;

    ResultsController& m_controller;
    KeyForwardingOutlineView* m_dupView;
    SelectionDetailsView* m_detailsView;
    PreviewWindow* m_sharedPanel = nullptr;
    PreviewWindow* m_previewPanel = nullptr;
    QList<FileItemPtr> m_selectedItemsForQuickLook;
};

} // namespace pairsift
