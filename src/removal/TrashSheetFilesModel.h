#pragma once

#include <QAbstractTableModel>

#include <functional>

namespace pairsift {

class TrashSheetController;

// The removal sheet's table over the controller's staged files: row N is deletedFiles()[N]. Columns: the
// file's icon (by the type found when the list was read, never from the disk while painting), the error
// image with the reason as its tooltip, its path. Every image has a drawn stand-in for a desktop without an
// icon theme. Main thread only.
class TrashSheetFilesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { IconColumn, ErrorColumn, NameColumn, ColumnCount };
    // ErrorColumn: true when the row shows the error image (a reason, or an error mark).
    static constexpr int ErrorMarkRole = Qt::UserRole;

    // Rows first to last, both included.
    struct RowRange {
        int first;
        int last;
    };

    explicit TrashSheetFilesModel(TrashSheetController* controller);

    // Runs `change` (which adds or removes staged files) inside a model reset.
    void replaceRows(const std::function<void()>& change);
    // Removes each range (given bottom up, so the rows above keep their numbers) through `erase`. A list
    // cut into very many ranges is reset once instead: the view redoes that faster than thousands of
    // removals.
    void removeRowRanges(const QList<RowRange>& bottomUp, const std::function<void(const RowRange&)>& erase);
    // Every row's values may have changed (error marks, icons).
    void reloadData();

    // "iconColumn", "errorColumn", "nameColumn".
    static QString columnIdentifier(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TrashSheetController* m_controller;
};

} // namespace pairsift
