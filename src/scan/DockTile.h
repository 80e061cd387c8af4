#pragma once

#include <QImage>

namespace pairsift {

// Where a progress indicator shows itself. Main thread only.
class DockTile {
public:
    virtual ~DockTile() = default;

    // The plain application icon the bar is drawn over; null when there is none.
    virtual QImage applicationIcon() = 0;
    // Shows a drawn tile whose bar covers `fraction` (0 to 1) of the track.
    virtual void display(const QImage& tile, double fraction) = 0;
    // Shows the plain application icon and no bar.
    virtual void restore() = 0;
};

} // namespace pairsift
