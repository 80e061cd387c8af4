#include "removal/TrashSheetFilesModel.h"

#include "removal/TrashSheetController.h"
#include "results/IconAndKindCache.h"

#include "support/foundation/FallbackIcons.h"

#include <QIcon>

namespace pairsift {
namespace {

// Above this many ranges a removal is one reset.
constexpr qsizetype maximumRemovedRanges = 64;

// "Not removed: its kept copy has changed."
QString reasonText(const QString& reason)
{
    return QStringLiteral("Not removed: %1.").arg(reason);
}

} // namespace

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

void TrashSheetFilesModel::removeRowRanges(const QList<RowRange>& bottomUp,
    const std::function<void(const RowRange&)>& erase)
{
    if (bottomUp.size() > maximumRemovedRanges) {
        replaceRows([&] {
            for (const RowRange& range : bottomUp)
                erase(range);
        });
        return;
    }
    for (const RowRange& range : bottomUp) {
        beginRemoveRows({}, range.first, range.last);
        erase(range);
        endRemoveRows();
    }
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
    const QString reason = m_controller->failureReason(file.name());
    switch (index.column()) {
    case IconColumn: {
        if (role != Qt::DecorationRole)
            return {};
        return m_controller->icons().iconForListType(m_controller->listTypeName(index.row()));
    }
    case ErrorColumn: {
        const bool showsError = !reason.isEmpty() || m_controller->hasErrorMark(file.name());
        if (role == ErrorMarkRole)
            return showsError;
        if (role == Qt::DecorationRole && showsError)
            return themeIcon(QStringLiteral("dialog-error"), FallbackIcon::Error);
        if (role == Qt::ToolTipRole && showsError)
            return reasonText(reason);
        return {};
    }
    default:
        if (role == Qt::DisplayRole)
            return file.name();
        if (role == Qt::ToolTipRole)
            return reason.isEmpty() ? file.name() : file.name() + QLatin1Char('\n') + reasonText(reason);
        return {};
    }
}

QVariant TrashSheetFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == NameColumn)
        return tr("File");
    return {};
}

} // namespace pairsift
