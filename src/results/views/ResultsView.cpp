#include "results/views/ResultsView.h"

#include "model/Session.h"
#include "results/ResultsController.h"
#include "results/ResultsListModel.h"
#include "results/ResultsSelectionModel.h"
#include "results/views/ResultsOutlineView.h"
#include "results/views/PreviewWindow.h"
#include "results/views/SelectionDetailsView.h"
#include "settings/PairsiftDefaults.h"
#include "ui/ImageAndTextCell.h"
#include "ui/FailureAlert.h"
#include "ui/SortableHeaderSections.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QSplitter>

namespace pairsift {

ResultsView::ResultsView(ResultsController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_dupView(new ResultsOutlineView(controller.selectionModel()))
    , m_detailsView(new SelectionDetailsView(*controller.details()))
{
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_dupView);
    splitter->addWidget(m_detailsView);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setChildrenCollapsible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    m_controller.setRevealer([this](const QString& path) { revealOrAlert(path, window()); });
    setupDuplicatesTableView();

    connect(m_dupView, &QTreeView::expanded, &m_controller, &ResultsController::itemDidExpand);
    connect(m_dupView, &QTreeView::collapsed, &m_controller, &ResultsController::itemDidCollapse);
    connect(&m_controller, &ResultsController::expandRowsRequested, this, [this](const QModelIndexList& rows) {
        for (const QModelIndex& row : rows)
            m_dupView->expand(row);
    });
    connect(&m_controller, &ResultsController::expandAllRequested, m_dupView, &QTreeView::expandAll);
    connect(&m_controller, &ResultsController::collapseAllRequested, m_dupView, &QTreeView::collapseAll);
    connect(&m_controller, &ResultsController::scrollToRequested, this,
            [this](const QModelIndex& index) { m_dupView->scrollTo(index); });
    connect(m_controller.selectionModel(), &QItemSelectionModel::selectionChanged, this, &ResultsView::followSelection);
    // Expanding and collapsing show and hide selected rows.
    connect(&m_controller, &ResultsController::shownRowsChanged, this, &ResultsView::followSelection);
    // Whatever was expanded before the list existed.
    m_controller.restoreExpandedGroups();
}

ResultsView::~ResultsView()
{
    m_dupView->setKeyDelegate(nullptr);
}

void ResultsView::setupDuplicatesTableView()
{
    m_dupView->setModel(m_controller.model());
    m_dupView->setSelectionModel(m_controller.selectionModel());
    m_dupView->setKeyDelegate(this);
    // Uniform rows let the view lay out a hundred thousand groups without asking each for its size.
    m_dupView->setUniformRowHeights(true);
    m_dupView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_dupView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_dupView->setAllColumnsShowFocus(true);
    m_dupView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dupView->setIconSize(QSize(16, 16));
    // The check boxes come first; the outline's arrows and indentation belong to the names.
    m_dupView->setTreePosition(ResultsListModel::NameColumn);

    auto* textCell = new ImageAndTextCell(m_dupView);
    textCell->setHighlightedForegroundRole(ResultsListModel::HighlightedForegroundRole);
    m_dupView->setItemDelegate(textCell);
    auto* nameCell = new ImageAndTextCell(m_dupView);
    nameCell->setDelegate(this);
    nameCell->setElidesPaths(true);
    nameCell->setHighlightedForegroundRole(ResultsListModel::HighlightedForegroundRole);
    m_dupView->setItemDelegateForColumn(ResultsListModel::NameColumn, nameCell);

    QHeaderView* header = m_dupView->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ResultsListModel::MarkedForRemovalColumn, QHeaderView::Fixed);
    header->resizeSection(ResultsListModel::MarkedForRemovalColumn, 28);
    header->setSectionResizeMode(ResultsListModel::NameColumn, QHeaderView::Stretch);
    header->resizeSection(ResultsListModel::FileSizeColumn, 110);
    header->resizeSection(ResultsListModel::TotalSizeColumn, 90);
    header->resizeSection(ResultsListModel::DateCreatedColumn, 150);
    showSortIndicator();
    m_dupView->setSortingEnabled(true);
    new SortableHeaderSections(header, [](int column) { return !ResultsListModel::sortKeyForColumn(column).isNull(); });
    connect(header, &QHeaderView::sortIndicatorChanged, this, &ResultsView::headerSortChanged);
}

void ResultsView::showSortIndicator()
{
    const int column = ResultsListModel::columnForSortKey(PairsiftDefaults::sortKey());
    const QSignalBlocker blocker(m_dupView->header());
    m_dupView->header()->setSortIndicator(column, PairsiftDefaults::sortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void ResultsView::headerSortChanged(int column, Qt::SortOrder)
{
    // A column without a group order keeps the indicator where the order is.
    if (ResultsListModel::sortKeyForColumn(column).isNull())
        showSortIndicator();
}

bool ResultsView::isPreviewVisible() const
{
    return m_sharedPanel && m_sharedPanel->isOpen();
}

PreviewWindow& ResultsView::sharedPanel()
{
    if (!m_sharedPanel)
        m_sharedPanel = new PreviewWindow(*this, m_controller.icons(), this);
    return *m_sharedPanel;
}

void ResultsView::launchQuickLook()
{
    if (isPreviewVisible()) {
        m_sharedPanel->orderOut();
        return;
    }
    quickLookSelectedItems();
    sharedPanel().makeKeyAndOrderFront();
    // The list keeps the keyboard.
    window()->activateWindow();
    m_dupView->setFocus();
}

void ResultsView::togglePreviewPanel()
{
    if (isPreviewVisible())
        m_sharedPanel->orderOut();
    else
        sharedPanel().makeKeyAndOrderFront();
}

void ResultsView::quickLookSelectedItems()
{
    const QModelIndexList shown = m_controller.selectionModel()->selectedRowsInOrder(
        [this](const QModelIndex& group) { return m_dupView->isExpanded(group); });
    m_selectedItemsForQuickLook = m_controller.filesForRows(shown);
    if (isPreviewVisible())
        m_sharedPanel->reloadData();
}

void ResultsView::followSelection()
{
    if (isPreviewVisible())
        quickLookSelectedItems();
}

bool ResultsView::acceptsPreviewPanelControl(PreviewWindow&)
{
    return true;
}

void ResultsView::beginPreviewPanelControl(PreviewWindow& panel)
{
    m_previewPanel = &panel;
    panel.setDelegate(this);
    panel.setDataSource(this);
    quickLookSelectedItems();
}

void ResultsView::endPreviewPanelControl(PreviewWindow&)
{
    m_previewPanel = nullptr;
}

qsizetype ResultsView::numberOfPreviewItemsInPreviewPanel(PreviewWindow&)
{
    return m_selectedItemsForQuickLook.size();
}

FileItemPtr ResultsView::previewItemAtIndex(PreviewWindow&, qsizetype index)
{
    return m_selectedItemsForQuickLook.value(index);
}

bool ResultsView::handleEvent(PreviewWindow&, QKeyEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    m_dupView->keyPressEvent(event);
    return true;
}

QRect ResultsView::sourceFrameOnScreenForPreviewItem(PreviewWindow&, const FileItemPtr& item)
{
    return m_selectedItemsForQuickLook.isEmpty() ? QRect() : iconFrameOnScreen(visibleItemWithFileInfo(item));
}

QRect ResultsView::frameForURL(PreviewWindow&, const QUrl& url)
{
    return iconFrameOnScreen(visibleItemWithURL(url));
}

QRect ResultsView::iconFrameOnScreen(const FileItemPtr& visible) const
{
    if (!visible)
        return {};
    const QModelIndex row = m_controller.indexForItem({m_controller.session().fileGroupWithFile(visible), visible});
    const QRect cell = m_dupView->visualRect(row.siblingAtColumn(ResultsListModel::NameColumn));
    if (cell.isEmpty())
        return {};
    return QRect(m_dupView->viewport()->mapToGlobal(cell.topLeft()), QSize(m_dupView->iconSize().width(), cell.height()));
}

FileItemPtr ResultsView::visibleItemWithURL(const QUrl& url) const
{
    const QString path = url.toLocalFile();
    return visibleItemWhere([&path](const FileItemPtr& file) { return file->name() == path; });
}

FileItemPtr ResultsView::visibleItemWithFileInfo(const FileItemPtr& item) const
{
    return visibleItemWhere([&item](const FileItemPtr& file) { return file == item; });
}

FileItemPtr ResultsView::visibleItemWhere(const std::function<bool(const FileItemPtr&)>& matches) const
{
    const int bottom = m_dupView->viewport()->height();
    for (QModelIndex row = m_dupView->indexAt(QPoint(0, 0)); row.isValid() && m_dupView->visualRect(row).top() < bottom;
         row = m_dupView->indexBelow(row)) {
        if (FileItemPtr file = m_controller.model()->fileForIndex(row); file && matches(file))
            return file;
    }
    return nullptr;
}

void ResultsView::expandAll()
{
    m_controller.expandAll();
}

void ResultsView::collapseAll()
{
    m_controller.collapseAll();
}

void ResultsView::revealInFinder()
{
    if (!m_controller.revealInFinder())
        QApplication::beep();
}

bool ResultsView::userDidPressSpaceInOutlineView(KeyForwardingOutlineView*)
{
    launchQuickLook();
    return true;
}

bool ResultsView::arrowPressed()
{
    if (isPreviewVisible())
        m_sharedPanel->reloadData();
    return false;
}

bool ResultsView::userDidPressUpInOutlineView(KeyForwardingOutlineView*)
{
    return arrowPressed();
}

bool ResultsView::userDidPressDownInOutlineView(KeyForwardingOutlineView*)
{
    return arrowPressed();
}

bool ResultsView::userDidPressLeftInOutlineView(KeyForwardingOutlineView*)
{
    return arrowPressed();
}

bool ResultsView::userDidPressRightInOutlineView(KeyForwardingOutlineView*)
{
    return arrowPressed();
}

std::optional<QIcon> ResultsView::iconForCell(const ImageAndTextCell&, const QVariant& data)
{
    return m_controller.iconForCell(data);
}

} // namespace pairsift
