#include "app/PlainResultsTree.h"

#include "app/PlainResultsModel.h"
#include "model/Session.h"

#include <QHeaderView>
#include <QSet>

namespace pairsift {

PlainResultsTree::PlainResultsTree(Session& session, QWidget* parent)
    : QTreeView(parent)
    , m_session(session)
    , m_model(new PlainResultsModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(PlainResultsModel::NameColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(PlainResultsModel::SizeColumn, QHeaderView::Interactive);
    header()->setSectionResizeMode(PlainResultsModel::TotalColumn, QHeaderView::Interactive);
    header()->resizeSection(PlainResultsModel::SizeColumn, 120);
    header()->resizeSection(PlainResultsModel::TotalColumn, 90);

    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { rememberExpansion(index, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { rememberExpansion(index, false); });
}

std::optional<ResultsSelectionKey> PlainResultsTree::selectedItemKey() const
{
    return keyOf(selectionModel()->currentIndex().isValid() && selectionModel()->hasSelection()
                     ? selectionModel()->selectedRows().value(0)
                     : QModelIndex());
}

void PlainResultsTree::showSession(const std::optional<ResultsSelectionKey>& selection)
{
    std::vector<FileGroupPtr> groups;
    for (std::uint64_t index = 0; index < m_session.sortedFileHashes().size(); ++index) {
        if (const FileGroupPtr group = m_session.groupAtIndex(index); group && group->count() > 0)
            groups.push_back(group);
    }
    m_isRebuilding = true;
    m_model->setGroups(groups);
    const QList<QByteArray>& expandedList = m_session.expandedGroups();
    const QSet<QByteArray> expanded(expandedList.cbegin(), expandedList.cend());
    for (std::size_t row = 0; row < groups.size() && !expanded.isEmpty(); ++row) {
        if (expanded.contains(groups[row]->sha1()))
            expand(m_model->indexOfGroup(static_cast<int>(row)));
    }
    m_isRebuilding = false;

    if (!selection)
        return;
    for (std::size_t row = 0; row < groups.size(); ++row) {
        if (groups[row]->sha1() != selection->sha1)
            continue;
        QModelIndex target = m_model->indexOfGroup(static_cast<int>(row));
        if (!selection->path.isEmpty()) {
            const qsizetype position = groups[row]->indexOfFileWithName(selection->path);
            // A file of a collapsed group has no visible row; the selection then stays cleared.
            if (position < 0 || !isExpanded(target))
                return;
            target = m_model->index(static_cast<int>(position), 0, target);
        }
        setCurrentIndex(target);
        scrollTo(target);
        return;
    }
}

std::optional<ResultsSelectionKey> PlainResultsTree::keyOf(const QModelIndex& index) const
{
    if (const FileItemPtr file = m_model->fileAt(index))
        return ResultsSelectionKey{file->sha1(), file->name()};
    if (const FileGroupPtr group = m_model->groupAt(index))
        return ResultsSelectionKey{group->sha1(), QString()};
    return std::nullopt;
}

void PlainResultsTree::rememberExpansion(const QModelIndex& index, bool expanded)
{
    const FileGroupPtr shown = m_model->groupAt(index);
    // The session's own object for the digest, which a reload may have replaced.
    const FileGroupPtr group = shown ? m_session.fileGroupWithSHA1(shown->sha1()) : nullptr;
    if (m_isRebuilding || !group)
        return;
    if (expanded)
        m_session.addExpandedGroup(group);
    else
        m_session.removeExpandedGroup(group);
}

} // namespace pairsift
