#include "settings/FilterListModel.h"

#include "settings/PreferencesHost.h"

namespace pairsift {

FilterListModel::FilterListModel(PreferencesHost& host, QObject* parent)
    : QAbstractListModel(parent)
    , m_host(host)
{
}

int FilterListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_host.filters().size());
}

QVariant FilterListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_host.filters().at(index.row()).glob();
}

QVariant FilterListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return tr("Skip paths containing");
    return {};
}

Qt::ItemFlags FilterListModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool FilterListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::EditRole)
        return false;
    QList<Filter> filters = m_host.filters();
    filters[index.row()].setGlob(value.toString());
    m_host.setFilters(std::move(filters));
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

bool FilterListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    QList<Filter> filters = m_host.filters();
    filters.remove(row, count);
    m_host.setFilters(std::move(filters));
    endRemoveRows();
    return true;
}

int FilterListModel::appendNewFilter()
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    QList<Filter> filters = m_host.filters();
    filters.append(Filter());
    m_host.setFilters(std::move(filters));
    endInsertRows();
    return row;
}

void FilterListModel::reload()
{
    beginResetModel();
    endResetModel();
}

} // namespace pairsift
