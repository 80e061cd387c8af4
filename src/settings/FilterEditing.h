#pragma once

namespace pairsift {

// The filters table as the Filters pane's controller drives it, so that the controller needs no
// widgets. Main thread only.
class FilterEditing {
public:
    virtual ~FilterEditing() = default;

    // Ends the edit in progress, keeping its text. False when the edit refuses to end (its text was
    // not taken); the edit then goes on. True when nothing was being edited.
    virtual bool endEditing() = 0;
    // Starts editing the filter text of `row` with all of it selected.
    virtual void editRow(int row) = 0;
};

} // namespace pairsift
