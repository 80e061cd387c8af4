#pragma once

#include "model/FileGroup.h"
#include "model/FileItem.h"

#include <QAbstractItemModel>
#include <QList>

#include <vector>

namespace pairsift {

// The groups of a loaded session as a read-only two-level model: a row per group (the kept file's name,
// "count × size", the total), below it a row per file (full path, size). It keeps its own copy of the
// groups and their file lists, taken at setGroups(), so it never reads the session in between; a reset
// costs nothing per row, and the texts are made only for rows on screen.
class PlainResultsModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { NameColumn, SizeColumn, TotalColumn, ColumnCount };

    using QAbstractItemModel::QAbstractItemModel;

    void setGroups(const std::vector<FileGroupPtr>& groups);

    // Null for a file row.
    FileGroupPtr groupAt(const QModelIndex& index) const;
    // Null for a group row.
    FileItemPtr fileAt(const QModelIndex& index) const;
    QModelIndex indexOfGroup(int row) const { return index(row, 0); }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Group {
        FileGroupPtr group;
        QList<FileItemPtr> files;
    };

    // A group row has the id 0; a file row the row of its group plus one.
    static bool isGroupRow(const QModelIndex& index) { return index.internalId() == 0; }

    std::vector<Group> m_groups;
};

} // namespace pairsift
