#include "ui/KeyForwardingOutlineView.h"

#include <QKeyEvent>

#include <algorithm>

namespace pairsift {

namespace {

// The rows from the top level down to the index: comparing two paths compares display order.
QList<int> rowPath(QModelIndex index)
{
    QList<int> path;
    for (; index.isValid(); index = index.parent())
        path.prepend(index.row());
    return path;
}

} // namespace

KeyForwardingOutlineView::KeyForwardingOutlineView(QWidget* parent)
    : QTreeView(parent)
{
}

QModelIndexList KeyForwardingOutlineView::selectedItems() const
{
    if (!selectionModel())
        return {};
    const auto isShown = [this](const QModelIndex& index) {
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
            if (!isExpanded(parent))
                return false;
        }
        return true;
    };
    QList<std::pair<QList<int>, QModelIndex>> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        if (index.column() == 0 && isShown(index))
            rows.append({rowPath(index), index});
    }
    std::sort(rows.begin(), rows.end(), [](const auto& left, const auto& right) { return left.first < right.first; });
    QModelIndexList items;
    items.reserve(rows.size());
    for (const auto& row : rows)
        items.append(row.second);
    return items;
}

void KeyForwardingOutlineView::keyPressEvent(QKeyEvent* event)
{
    if (m_keyDelegate) {
        bool isHandled = false;
        switch (event->key()) {
        case Qt::Key_Space:
            isHandled = m_keyDelegate->userDidPressSpaceInOutlineView(this);
            break;
        case Qt::Key_Up:
            isHandled = m_keyDelegate->userDidPressUpInOutlineView(this);
            break;
        case Qt::Key_Down:
            isHandled = m_keyDelegate->userDidPressDownInOutlineView(this);
            break;
        case Qt::Key_Left:
            isHandled = m_keyDelegate->userDidPressLeftInOutlineView(this);
            break;
        case Qt::Key_Right:
            isHandled = m_keyDelegate->userDidPressRightInOutlineView(this);
            break;
        default:
            break;
        }
        if (isHandled) {
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

} // namespace pairsift
