#pragma once

#include <QList>
#include <QObject>

namespace pairsift {

class FilterEditing;
class FilterListModel;
class PreferencesHost;

// The Filters pane without its widgets: the main window's filter list as a model, adding a filter
// (ending the edit in progress first) and removing filters. Main thread only.
class PsfPrefsFiltersController : public QObject {
    Q_OBJECT

public:
    explicit PsfPrefsFiltersController(PreferencesHost& mainWindowController, QObject* parent = nullptr);

    PreferencesHost& mainWindowController() const { return m_mainWindowController; }
    FilterListModel* filterArrayController() const { return m_filters; }

    // The table the pane shows; null while there is none (adding then needs no edit to end).
    void setFilterTableView(FilterEditing* table) { m_table = table; }

    // Ends the edit in progress; when that is refused, does nothing. Otherwise adds "<New Filter>" at the
    // end and starts editing it.
    void addFilter();
    // Removes the filters of these rows (any order, repeats allowed).
    void removeFilters(QList<int> rows);

private:
    PreferencesHost& m_mainWindowController;
    FilterListModel* m_filters;
    FilterEditing* m_table = nullptr;
};

} // namespace pairsift
