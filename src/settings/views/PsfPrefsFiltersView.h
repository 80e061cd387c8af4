#pragma once

#include "settings/FilterEditing.h"

#include <QWidget>

class QTableView;

namespace pairsift {

class FilterEditorDelegate;
class PsfPrefsFiltersController;

// The Filters pane: the filter list edited in place, with buttons to add and remove filters. It is the
// table its controller drives while it lives.
class PsfPrefsFiltersView : public QWidget, public FilterEditing {
    Q_OBJECT

public:
    explicit PsfPrefsFiltersView(PsfPrefsFiltersController& controller, QWidget* parent = nullptr);
    ~PsfPrefsFiltersView() override;

    QTableView* filterTableView() const { return m_table; }

    bool endEditing() override;
    void editRow(int row) override;

private:
    void removeSelectedFilters();

    PsfPrefsFiltersController& m_controller;
    QTableView* m_table;
    FilterEditorDelegate* m_delegate;
};

} // namespace pairsift
