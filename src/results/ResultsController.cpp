#include "results/ResultsController.h"

#include "model/NotFound.h"
#include "model/Session.h"
#include "platform/Format.h"
#include "results/IconAndKindCache.h"
#include "results/ResultsListModel.h"
#include "results/ResultsSelectionModel.h"
#include "results/SelectionDetails.h"
#include "settings/PairsiftDefaults.h"
#include "support/foundation/ImageAndTextCellData.h"
#include "support/foundation/SizeFormatting.h"

#include <QSet>
#include <QTimer>

namespace pairsift {

ResultsController::ResultsController(Session& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_icons(std::make_unique<IconAndKindCache>())
    , m_model(new ResultsListModel(session, *m_icons, this))
    , m_selectionModel(new ResultsSelectionModel(m_model, this))
    , m_details(new SelectionDetails(*m_icons, this))
    , m_shownRowsChanged(new QTimer(this))
{
    connect(m_model, &ResultsListModel::marksChanged, this, &ResultsController::updateMarkingStatus);
    connect(m_model, &ResultsListModel::sortRequested, this, &ResultsController::sortDescriptorsDidChange);
    connect(m_selectionModel, &QItemSelectionModel::selectionChanged, this,
            &ResultsController::outlineViewSelectionDidChange);
    m_shownRowsChanged->setSingleShot(true);
    m_shownRowsChanged->setInterval(0);
    connect(m_shownRowsChanged, &QTimer::timeout, this, [this] {
        outlineViewSelectionDidChange();
        Q_EMIT shownRowsChanged();
    });
    // The observer is called at once too, before anything is listed; a change may come from any thread.
    m_preferFilesObserver = PairsiftDefaults::observePreferFiles([this](qint64) {
        QMetaObject::invokeMethod(this, [this] {
            m_details->preferFilesDidChange();
            sortAndDisplayFiles();
        });
    });
    updateMarkingStatus();
}

ResultsController::~ResultsController()
{
    PairsiftDefaults::unobservePreferFiles(m_preferFilesObserver);
}

void ResultsController::loadFilesFromDatabase()
{
    reload([this] {
        m_session.loadFilesFromDatabase();
        m_session.sortFilesInGroupsWithLocations(m_locations ? m_locations() : QList<LocationItemPtr>());
        m_session.sortGroupsUsingDescriptor({PairsiftDefaults::sortKey(), PairsiftDefaults::sortAscending()});
    });
}

void ResultsController::displayLoadedFiles(Session::LoadedFiles loaded)
{
    reload([&] {
        m_session.replaceLoadedFiles(std::move(loaded));
        m_session.sortGroupsUsingDescriptor({PairsiftDefaults::sortKey(), PairsiftDefaults::sortAscending()});
    });
}

void ResultsController::sortAndDisplayFiles()
{
    if (m_reloadsHeld)
        return;
    reload([this] {
        m_session.sortFilesInGroupsWithLocations(m_locations ? m_locations() : QList<LocationItemPtr>());
        m_session.sortGroupsUsingDescriptor({PairsiftDefaults::sortKey(), PairsiftDefaults::sortAscending()});
    });
}

void ResultsController::clearResults()
{
    m_selectionModel->clearSelection();
    m_model->beginReload();
    m_session.clear();
    m_model->endReload();
    outlineViewSelectionDidChange();
    updateMarkingStatus();
    triggerIsNonEmpty();
    Q_EMIT resultsReloaded();
}

void ResultsController::sortDescriptorsDidChange(int column, Qt::SortOrder order)
{
    const QString key = ResultsListModel::sortKeyForColumn(column);
    if (key.isNull())
        return;
    const bool isAscending = order == Qt::AscendingOrder;
    if (!m_reloadsHeld)
        reload([&] { m_session.sortGroupsUsingDescriptor({key, isAscending}); });
    // The list also sorts when it is first shown; only a change of order is the user's to keep.
    if (key != PairsiftDefaults::sortKey())
        PairsiftDefaults::setSortKey(key);
    if (isAscending != PairsiftDefaults::sortAscending())
        PairsiftDefaults::setSortAscending(isAscending);
}

void ResultsController::reload(const std::function<void()>& change)
{
    // Only the digest and the path of the selected row matter once the session changes.
    const Item remembered = selectedItem();
    m_model->beginReload();
    change();
    m_model->endReload();
    updateMarkingStatus();
    restoreExpandedGroups();
    selectItem(remembered);
    outlineViewSelectionDidChange();
    triggerIsNonEmpty();
    Q_EMIT resultsReloaded();
}

void ResultsController::updateMarkingStatus()
{
    const PSFTSessionMarkedInfo info = m_session.markedInfo();
    m_selectionInfoText = m_session.groupCount() > 0
                              ? formatString("Selected %lu file%s (%@)", info.count, info.count == 1 ? "" : "s",
                                             stringWithDiskSpace(info.size))
                              : QStringLiteral("No duplicate files.");
    m_markedCount = info.count;
    Q_EMIT markingStatusChanged();
}

bool ResultsController::isNonEmpty() const
{
    return m_session.groupCount() > 0;
}

void ResultsController::triggerIsNonEmpty()
{
    Q_EMIT isNonEmptyChanged();
}

QList<QByteArray> ResultsController::listedDigests() const
{
    QList<QByteArray> digests;
    const int rows = m_model->rowCount();
    digests.reserve(rows);
    for (int row = 0; row < rows; ++row)
        digests.append(m_model->groupForIndex(m_model->indexForGroupRow(row))->sha1());
    return digests;
}

void ResultsController::restoreExpandedGroups()
{
    QModelIndexList rows;
    QSet<int> seen;
    m_session.enumerateExpandedGroupsWithBlock([&](const QByteArray& sha1) {
        const int row = m_model->rowForDigest(sha1);
        if (row >= 0 && !seen.contains(row)) {
            seen.insert(row);
            rows.append(m_model->indexForGroupRow(row));
        }
    });
    if (!rows.isEmpty())
        Q_EMIT expandRowsRequested(rows);
}

void ResultsController::itemDidExpand(const QModelIndex& index)
{
    if (const FileGroupPtr group = m_model->groupForIndex(index); group && !m_model->fileForIndex(index)) {
        m_session.addExpandedGroup(group);
        shownRowsDidChange();
    }
}

void ResultsController::itemDidCollapse(const QModelIndex& index)
{
    if (const FileGroupPtr group = m_model->groupForIndex(index); group && !m_model->fileForIndex(index)) {
        m_session.removeExpandedGroup(group);
        shownRowsDidChange();
    }
}

void ResultsController::expandAll()
{
    m_session.addExpandedGroups(listedDigests());
    shownRowsDidChange();
    Q_EMIT expandAllRequested();
}

void ResultsController::collapseAll()
{
    const QList<QByteArray> listed = listedDigests();
    m_session.removeExpandedGroups(QSet<QByteArray>(listed.cbegin(), listed.cend()));
    shownRowsDidChange();
    Q_EMIT collapseAllRequested();
}

void ResultsController::shownRowsDidChange()
{
    // One refresh for the whole batch: restarting the timer per group would cost a timer each.
    if (!m_shownRowsChanged->isActive())
        m_shownRowsChanged->start();
}

bool ResultsController::isGroupExpanded(const FileGroupPtr& group) const
{
    return group && m_session.isGroupExpanded(group->sha1());
}

ResultsController::Item ResultsController::selectedItem() const
{
    // A collapsed group's files stay selected, out of sight; the item is always a row the list shows.
    const auto isExpanded = [this](const QModelIndex& group) { return isGroupExpanded(m_model->groupForIndex(group)); };
    QModelIndex index = m_selectionModel->currentIndex();
    if (!m_selectionModel->isRowSelected(index) || (index.parent().isValid() && !isExpanded(index.parent())))
        index = m_selectionModel->topmostSelectedRow(isExpanded);
    return Item{m_model->groupForIndex(index), m_model->fileForIndex(index)};
}

QModelIndex ResultsController::indexForItem(const Item& item) const
{
    if (!item.group)
        return {};
    const int row = m_model->rowForDigest(item.group->sha1());
    if (row < 0)
        return {};
    const QModelIndex groupIndex = m_model->indexForGroupRow(row);
    if (!item.file)
        return groupIndex;
    const qsizetype position = m_model->groupForIndex(groupIndex)->indexOfFileWithName(item.file->name());
    return position == NotFound ? QModelIndex() : m_model->index(static_cast<int>(position), 0, groupIndex);
}

void ResultsController::selectItem(const Item& item)
{
    if (item.file) {
        const FileGroupPtr group = m_session.fileGroupWithFile(item.file);
        if (group)
            selectItemInGroup(group, group->indexOfFileWithName(item.file->name()));
    } else if (item.group) {
        selectGroup(item.group);
    }
}

void ResultsController::selectGroup(const FileGroupPtr& group)
{
    selectItemInGroup(group, NotFound);
}

void ResultsController::selectItemInGroup(const FileGroupPtr& group, qsizetype index)
{
    if (!group)
        return;
    const int row = m_model->rowForDigest(group->sha1());
    if (row < 0)
        return;
    QModelIndex target = m_model->indexForGroupRow(row);
    const FileGroupPtr listed = m_model->groupForIndex(target);
    if (index != NotFound && index >= 0 && listed->fileAtIndex(static_cast<quint64>(index))) {
        // A file of a collapsed group has no row to select.
        if (!m_session.isGroupExpanded(listed->sha1()))
            return;
        target = m_model->index(static_cast<int>(index), 0, target);
    }
    m_selectionModel->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Q_EMIT scrollToRequested(target);
}

QList<FileItemPtr> ResultsController::filesForRows(const QModelIndexList& rows) const
{
    QList<FileItemPtr> files;
    QSet<const FileItem*> collected;
    for (const QModelIndex& row : rows) {
        FileItemPtr file = m_model->fileForIndex(row);
        if (!file) {
            const FileGroupPtr group = m_model->groupForIndex(row);
            file = group ? group->head() : nullptr;
        }
        if (file && !collected.contains(file.get())) {
            collected.insert(file.get());
            files.append(file);
        }
    }
    return files;
}

void ResultsController::outlineViewSelectionDidChange()
{
    const Item item = selectedItem();
    m_details->setSelection(item.file, item.file ? nullptr : item.group);
}

bool ResultsController::revealInFinder()
{
    const Item item = selectedItem();
    if (!item.file)
        return false;
    if (m_reveal)
        m_reveal(item.file->name());
    return true;
}

QIcon ResultsController::iconForCell(const QVariant& data)
{
    if (data.metaType() == QMetaType::fromType<ImageAndTextCellData>())
        return data.value<ImageAndTextCellData>().image;
    return m_icons->iconForPath(data.toString());
}

} // namespace pairsift
