#pragma once

#include "model/FileGroup.h"
#include "model/FileItem.h"
#include "model/Sha1Digest.h"

#include <QAbstractItemModel>

#include <memory>
#include <unordered_map>

namespace pairsift {

class IconAndKindCache;
class Session;
class StyledDateFormatter;

// The results list as an item model over the session: one row per group in the session's display order,
// and below it one row per file, the kept file first. It answers from the session's own objects and keeps
// nothing per row but a digest-to-row table for lookups; a file row's internal id names its group's row.
// Main thread only. Whoever changes the session's groups wraps the change in beginReload()/endReload().
class ResultsListModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { MarkedForRemovalColumn, NameColumn, FileSizeColumn, TotalSizeColumn, DateCreatedColumn, ColumnCount };
    enum Role {
        // The text colour of a highlighted cell when it differs from the highlight's own (a QColor).
        HighlightedForegroundRole = Qt::UserRole + 1,
    };

    ResultsListModel(Session& session, IconAndKindCache& icons, QObject* parent = nullptr);
    ~ResultsListModel() override;

    // "markedForRemoval", "name", "fileSize", "totalSize", "dateCreated".
    static QString columnIdentifier(int column);
    // The group order a column header offers: "name", "fileSize", "total"; null for the other columns.
    static QString sortKeyForColumn(int column);
    // The column that offers the key; -1 for none.
    static int columnForSortKey(const QString& key);

    Session& session() const { return m_session; }

    void beginReload();
    void endReload();

    // The group of a group row or of a file row's parent; null for an invalid index.
    FileGroupPtr groupForIndex(const QModelIndex& index) const;
    // Null for a group row.
    FileItemPtr fileForIndex(const QModelIndex& index) const;
    // The row of the listed group with this digest; -1 when none is listed.
    int rowForDigest(const QByteArray& sha1) const;
    QModelIndex indexForGroupRow(int row, int column = 0) const;

    // A check-box edit. The new value counts as marked only when it is a number that is not 0, so a mixed
    // box counts as marked. A file's Option click leaves that file the only unmarked one of its group; a
    // plain click sets the one file; a group's box sets all its files. False for any other column.
    bool setMarked(const QModelIndex& index, const QVariant& value, bool isOptionClick);
    // Marks changed in any group: every shown check box is drawn again, without a reload.
    void marksDidChange();

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Check-box edits read the Alt (Option) key from the event being handled.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // A header click: handed to whoever owns the order (sortRequested).
    void sort(int column, Qt::SortOrder order) override;

Q_SIGNALS:
    void marksChanged();
    void sortRequested(int column, Qt::SortOrder order);

private:
    QVariant groupData(const FileGroup& group, int column, int role) const;
    QVariant fileData(const FileGroup& group, const FileItemPtr& file, int column, int role) const;

    Session& m_session;
    IconAndKindCache& m_icons;
    std::unique_ptr<StyledDateFormatter> m_tableDateFormatter;
    std::unordered_map<Sha1Digest, int> m_rowOfDigest;
    int m_groupRows = 0;
};

} // namespace pairsift
