#include "app/PlainResultsTree.h"

#include "model/FileGroup.h"
#include "model/FileItem.h"
#include "model/Session.h"
#include "platform/Format.h"
#include "support/foundation/SizeFormatting.h"

#include <QFileInfo>
#include <QHeaderView>

namespace pairsift {

namespace {

enum Role { Sha1Role = Qt::UserRole + 1, PathRole };

} // namespace

PlainResultsTree::PlainResultsTree(Session& session, QWidget* parent)
    : QTreeWidget(parent)
    , m_session(session)
{
    setColumnCount(ColumnCount);
    setHeaderLabels({tr("Name"), tr("Size"), tr("Total")});
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(SizeColumn, QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(TotalColumn, QHeaderView::ResizeToContents);

    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { rememberExpansion(item, true); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { rememberExpansion(item, false); });
}

std::optional<ResultsSelectionKey> PlainResultsTree::selectedItemKey() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return keyOf(items.constFirst());
}

void PlainResultsTree::showSession(const std::optional<ResultsSelectionKey>& selection)
{
    m_isRebuilding = true;
    clear();
    QList<QTreeWidgetItem*> groups;
    const std::vector<Sha1Digest>& order = m_session.sortedFileHashes();
    for (std::uint64_t index = 0; index < order.size(); ++index) {
        const FileGroupPtr group = m_session.groupAtIndex(index);
        if (!group || group->count() == 0)
            continue;
        const QByteArray sha1 = group->sha1();
        auto* groupItem = new QTreeWidgetItem;
        groupItem->setText(NameColumn, QFileInfo(group->head()->name()).fileName());
        groupItem->setText(SizeColumn, formatString("%lu × %@", group->count(),
                                                    stringWithDiskSpace(static_cast<double>(group->fileSize()))));
        groupItem->setText(TotalColumn, stringWithDiskSpace(static_cast<double>(group->totalSize())));
        groupItem->setData(NameColumn, Sha1Role, sha1);
        for (const FileItemPtr& file : group->files()) {
            auto* fileItem = new QTreeWidgetItem(groupItem);
            fileItem->setText(NameColumn, file->name());
            fileItem->setToolTip(NameColumn, file->name());
            fileItem->setText(SizeColumn, stringWithDiskSpace(static_cast<double>(file->totalSize())));
            fileItem->setData(NameColumn, Sha1Role, sha1);
            fileItem->setData(NameColumn, PathRole, file->name());
        }
        groups.append(groupItem);
    }
    addTopLevelItems(groups);
    for (QTreeWidgetItem* groupItem : std::as_const(groups)) {
        if (m_session.expandedGroups().contains(groupItem->data(NameColumn, Sha1Role).toByteArray()))
            groupItem->setExpanded(true);
    }
    m_isRebuilding = false;

    if (!selection)
        return;
    for (QTreeWidgetItem* groupItem : std::as_const(groups)) {
        if (keyOf(groupItem).sha1 != selection->sha1)
            continue;
        QTreeWidgetItem* target = groupItem;
        for (int child = 0; !selection->path.isNull() && child < groupItem->childCount(); ++child) {
            if (keyOf(groupItem->child(child)) == *selection)
                target = groupItem->child(child);
        }
        // A file of a collapsed group has no visible row; the selection then stays cleared.
        if (target == groupItem || groupItem->isExpanded()) {
            setCurrentItem(target);
            scrollToItem(target);
        }
        return;
    }
}

ResultsSelectionKey PlainResultsTree::keyOf(const QTreeWidgetItem* item)
{
    return ResultsSelectionKey{item->data(NameColumn, Sha1Role).toByteArray(), item->data(NameColumn, PathRole).toString()};
}

void PlainResultsTree::rememberExpansion(QTreeWidgetItem* item, bool expanded)
{
    if (m_isRebuilding || item->parent())
        return;
    const FileGroupPtr group = m_session.fileGroupWithSHA1(keyOf(item).sha1);
    if (!group)
        return;
    if (expanded)
        m_session.addExpandedGroup(group);
    else
        m_session.removeExpandedGroup(group);
}

} // namespace pairsift
