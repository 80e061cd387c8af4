#include "app/PlainResultsModel.h"

#include "platform/Format.h"
#include "support/foundation/SizeFormatting.h"

#include <QFileInfo>

namespace pairsift {

void PlainResultsModel::setGroups(const std::vector<FileGroupPtr>& groups)
{
    beginResetModel();
    m_groups.clear();
    m_groups.reserve(groups.size());
    for (const FileGroupPtr& group : groups)
        m_groups.push_back(Group{group, group->files()});
    endResetModel();
}

FileGroupPtr PlainResultsModel::groupAt(const QModelIndex& index) const
{
    if (!index.isValid() || !isGroupRow(index))
        return nullptr;
    return m_groups.at(static_cast<std::size_t>(index.row())).group;
}

FileItemPtr PlainResultsModel::fileAt(const QModelIndex& index) const
{
    if (!index.isValid() || isGroupRow(index))
        return nullptr;
    return m_groups.at(index.internalId() - 1).files.at(index.row());
}

QModelIndex PlainResultsModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    return parent.isValid() ? createIndex(row, column, static_cast<quintptr>(parent.row()) + 1)
                            : createIndex(row, column, quintptr(0));
}

QModelIndex PlainResultsModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || isGroupRow(child))
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr(0));
}

int PlainResultsModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(m_groups.size());
    if (parent.column() != 0 || !isGroupRow(parent))
        return 0;
    return static_cast<int>(m_groups.at(static_cast<std::size_t>(parent.row())).files.size());
}

int PlainResultsModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant PlainResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (const FileItemPtr file = fileAt(index)) {
        switch (index.column()) {
        case NameColumn: return file->name();
        case SizeColumn: return role == Qt::DisplayRole ? stringWithDiskSpace(static_cast<double>(file->totalSize())) : QVariant();
        default: return {};
        }
    }
    const FileGroupPtr group = groupAt(index);
    if (!group || role != Qt::DisplayRole || group->count() == 0)
        return {};
    switch (index.column()) {
    case NameColumn: return QFileInfo(group->head()->name()).fileName();
    case SizeColumn: return formatString("%lu × %@", group->count(), stringWithDiskSpace(static_cast<double>(group->fileSize())));
    case TotalColumn: return stringWithDiskSpace(static_cast<double>(group->totalSize()));
    default: return {};
    }
}

QVariant PlainResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return tr("Name");
    case SizeColumn: return tr("Size");
    case TotalColumn: return tr("Total");
    default: return {};
    }
}

} // namespace pairsift
