#pragma once

#include "app/ResultsArea.h"

#include <QTreeView>

namespace pairsift {

class PlainResultsModel;
class Session;

// A stand-in for the results list: the session's groups and their files in a plain, read-only tree (the
// group row names the kept file, its children are the files, kept file first). Expanding and collapsing
// a group updates the session's remembered groups.
class PlainResultsTree : public QTreeView, public ResultsArea {
    Q_OBJECT

public:
    // The session must outlive the tree.
    explicit PlainResultsTree(Session& session, QWidget* parent = nullptr);

    PlainResultsModel* resultsModel() const { return m_model; }

    QWidget* widget() override { return this; }
    std::optional<ResultsSelectionKey> selectedItemKey() const override;
    void showSession(const std::optional<ResultsSelectionKey>& selection) override;

private:
    std::optional<ResultsSelectionKey> keyOf(const QModelIndex& index) const;
    void rememberExpansion(const QModelIndex& index, bool expanded);

    Session& m_session;
    PlainResultsModel* m_model;
    // Expansions made while the tree is being rebuilt are the session's own, not the user's.
    bool m_isRebuilding = false;
};

} // namespace pairsift
