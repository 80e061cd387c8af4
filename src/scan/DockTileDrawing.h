#pragma once

#include "platform/DockTile.h"

#include <QColor>
#include <QImage>
#include <QRectF>

namespace pairsift {

// The progress tile: the application icon at dockTileSize (128) square with a 120 × 14 track 4 from the left,
// right and bottom edges (top-left origin).
inline constexpr QRectF dockTrackRect(4, 110, 120, 14);

// The bar's width on a track `trackWidth` wide: (value − min) × trackWidth ÷ (max − min), never below 0
// or beyond the track. Empty when min equals max or a value is not a number.
double dockBarWidth(double minValue, double maxValue, double value, double trackWidth);
// The bar's rectangle on the tile: the track's left part, dockBarWidth() wide.
QRectF dockBarRect(double minValue, double maxValue, double value);

// What the tile is drawn from. A null image is left out (the icon) or replaced by a fill (the track in
// white, the bar in `barColor`).
struct DockTileArt {
    QImage applicationIcon;
    QImage track;
    QImage bar;
    QColor barColor;

    // The application's gradient images "MiniProgressGradientGray" and "MiniProgressGradient" (null when
    // the program carries none) and the palette's highlight as the bar colour.
    static DockTileArt named(const QImage& applicationIcon);
};

// The tile with the icon scaled to it, the track, and the bar in `barRect`; the track and the bar replace
// what is under them.
QImage drawDockTile(const DockTileArt& art, const QRectF& barRect);

} // namespace pairsift
