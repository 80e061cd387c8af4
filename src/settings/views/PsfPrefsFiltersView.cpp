#include "settings/views/PsfPrefsFiltersView.h"

#include "settings/FilterListModel.h"
#include "settings/PsfPrefsFiltersController.h"
#include "settings/views/FilterEditorDelegate.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace pairsift {

PsfPrefsFiltersView::PsfPrefsFiltersView(PsfPrefsFiltersController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_table(new QTableView(this))
    , m_delegate(new FilterEditorDelegate(this))
{
    m_table->setModel(controller.filterArrayController());
    m_table->setItemDelegate(m_delegate);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);

    auto* explanation = new QLabel(
        tr("Files and folders whose path contains one of these texts are left out of scans."), this);
    explanation->setWordWrap(true);
    auto* add = new QPushButton(tr("&Add"), this);
    auto* remove = new QPushButton(tr("&Remove"), this);
    remove->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    // Delete removes the selected filters while the table has the focus (an open editor keeps the key).
    auto* removeAction = new QAction(this);
    removeAction->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    removeAction->setShortcutContext(Qt::WidgetShortcut);
    m_table->addAction(removeAction);

    connect(add, &QPushButton::clicked, &controller, &PsfPrefsFiltersController::addFilter);
    connect(remove, &QPushButton::clicked, this, &PsfPrefsFiltersView::removeSelectedFilters);
    connect(removeAction, &QAction::triggered, this, &PsfPrefsFiltersView::removeSelectedFilters);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, remove,
        [this, remove] { remove->setEnabled(m_table->selectionModel()->hasSelection()); });
    controller.setFilterTableView(this);
}

PsfPrefsFiltersView::~PsfPrefsFiltersView()
{
    m_controller.setFilterTableView(nullptr);
}

bool PsfPrefsFiltersView::endEditing()
{
    return m_delegate->commitAndClose();
}

void PsfPrefsFiltersView::editRow(int row)
{
    const QModelIndex index = m_table->model()->index(row, 0);
    m_table->setCurrentIndex(index);
    m_table->scrollTo(index);
    m_table->setFocus();
    m_table->edit(index);
    if (auto* editor = qobject_cast<QLineEdit*>(m_delegate->openEditor()))
        editor->selectAll();
}

void PsfPrefsFiltersView::removeSelectedFilters()
{
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.append(index.row());
    m_controller.removeFilters(rows);
}

} // namespace pairsift
