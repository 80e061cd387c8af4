#pragma once

// Declared only: the interface needs no drawing, so the platform core stays free of Qt Gui. Users and
// implementations include <QImage> themselves.
class QImage;

namespace pairsift {

// The side of the square tile a progress indicator draws on.
inline constexpr int dockTileSize = 128;

// Where a progress indicator shows itself: the application's icon on the desktop, a fake in tests. The
// owner of the window hands the tile to the indicator. Main thread only.
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
