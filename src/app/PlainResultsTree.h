#pragma once

#include "app/ResultsArea.h"

#include <QTreeWidget>

namespace pairsift {

class Session;

// A stand-in for the results list: the session's groups and their files in a plain, read-only tree (the
// group row names the kept file, its children are the files, kept file first). It copies what it shows
// at each showSession(), so it never reads the session in between. Expanding and collapsing a group
// updates the session's remembered groups.
class PlainResultsTree : public QTreeWidget, public ResultsArea {
    Q_OBJECT

public:
    enum Column { NameColumn, SizeColumn, TotalColumn, ColumnCount };

    // The session must outlive the tree.
    explicit PlainResultsTree(Session& session, QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    std::optional<ResultsSelectionKey> selectedItemKey() const override;
    void showSession(const std::optional<ResultsSelectionKey>& selection) override;

private:
    static ResultsSelectionKey keyOf(const QTreeWidgetItem* item);
    void rememberExpansion(QTreeWidgetItem* item, bool expanded);

    Session& m_session;
    // Expansions made while the tree is being rebuilt are the session's own, not the user's.
    bool m_isRebuilding = false;
};

} // namespace pairsift
