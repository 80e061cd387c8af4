#include "removal/TrashSheetFilesModel.h"

#include "removal/TrashSheetController.h"

#include <QIcon>

namespace pairsift {

TrashSheetFilesModel::TrashSheetFilesModel(TrashSheetController* controller)
    : QAbstractTableModel(controller)
    , m_controller(controller)
{
}

void TrashSheetFilesModel::replaceRows(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

void TrashSheetFilesModel::reloadData()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

QString TrashSheetFilesModel::columnIdentifier(int column)
{
    switch (column) {
    case IconColumn:
        return QStringLiteral("iconColumn");
    case ErrorColumn:
        return QStringLiteral("errorColumn");
    default:
        return QStringLiteral("nameColumn");
    }
}

int TrashSheetFilesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_controller->deletedFiles().size());
}

int TrashSheetFilesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrashSheetFilesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FileItem& file = *m_controller->deletedFiles().at(index.row());
    switch (index.column()) {
    case IconColumn:
        return role == Qt::DecorationRole ? QVariant(file.icon()) : QVariant();
    case ErrorColumn: {
        const bool isMarked = m_controller->hasErrorMark(file.name());
        if (role == ErrorMarkRole)
            return isMarked;
        if (role == Qt::DecorationRole && isMarked)
            return QIcon::fromTheme(QStringLiteral("dialog-error"));
        return {};
    }
    default:
        return role == Qt::DisplayRole || role == Qt::ToolTipRole ? QVariant(file.name()) : QVariant();
    }
}

QVariant TrashSheetFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == NameColumn)
        return tr("File");
    return {};
}

} // namespace pairsift
