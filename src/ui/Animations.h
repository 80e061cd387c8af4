#pragma once

class QStackedWidget;
class QWidget;

namespace pairsift {

// The push from one view to the next: going forward the new view enters from the right (slide left),
// going back to the first view it enters from the left (slide right).
enum class SlideTransition {
    PushFromRight,
    PushFromLeft,
};

class Animations {
public:
    Animations() = delete;

    static SlideTransition slideLeftAnimation() { return SlideTransition::PushFromRight; }
    static SlideTransition slideRightAnimation() { return SlideTransition::PushFromLeft; }

    // Every transition's length in milliseconds; 0 swaps at once (tests).
    static int duration();
    static void setDuration(int milliseconds);

    // Makes `newView` the stack's current view with the push. The swap itself happens at once, so
    // callers see the new current view immediately; only the pictures move afterwards.
    static void replaceView(QStackedWidget* stack, QWidget* newView, SlideTransition transition);
};

} // namespace pairsift
