#pragma once

#include <QAbstractListModel>

namespace pairsift {

class PreferencesHost;

// The main window's filter list as an editable one-column list: one row per filter showing its text.
// It keeps no copy: every read asks the host, and every change hands the host the whole new list at
// once, so the next scan uses it. Main thread only.
class FilterListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit FilterListModel(PreferencesHost& host, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Any text is taken, the empty one too (an empty filter skips nothing).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // Adds a filter with the new-filter text at the end and answers its row.
    int appendNewFilter();
    // The filter list changed elsewhere: shows it afresh.
    void reload();

private:
    PreferencesHost& m_host;
};

} // namespace pairsift
