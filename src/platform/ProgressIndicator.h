#pragma once

namespace pairsift {

// A progress bar in a window, as another indicator drives it: its range, value and hidden state, and the
// requests to draw it again. Main thread only.
class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;

    virtual void setMinValue(double minValue) = 0;
    virtual void setMaxValue(double maxValue) = 0;
    virtual void setDoubleValue(double value) = 0;
    virtual void setHidden(bool hidden) = 0;
    // Marks the bar for drawing at the next update (or not).
    virtual void setNeedsDisplay(bool needsDisplay) = 0;
    // Draws the bar now.
    virtual void display() = 0;
};

} // namespace pairsift
