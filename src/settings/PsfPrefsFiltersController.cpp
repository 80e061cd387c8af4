#include "settings/PsfPrefsFiltersController.h"

#include "settings/FilterEditing.h"
#include "settings/FilterListModel.h"

#include <algorithm>

namespace pairsift {

PsfPrefsFiltersController::PsfPrefsFiltersController(PreferencesHost& mainWindowController, QObject* parent)
    : QObject(parent)
    , m_mainWindowController(mainWindowController)
    , m_filters(new FilterListModel(mainWindowController, this))
{
}

void PsfPrefsFiltersController::addFilter()
{
    if (m_table && !m_table->endEditing())
        return;
    const int row = m_filters->appendNewFilter();
    if (m_table)
        m_table->editRow(row);
}

void PsfPrefsFiltersController::removeFilters(QList<int> rows)
{
    // From the bottom up, so that the rows still to go keep their numbers.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows)
        m_filters->removeRows(row, 1);
}

} // namespace pairsift
