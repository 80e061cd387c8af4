#pragma once

#include <QRect>

#include <optional>

namespace pairsift {

// Where a window goes so that the user can always reach it: `saved` (an earlier frame, title bar
// included) when it lies wholly on one screen; otherwise a frame of `size`, shrunk to fit if need be,
// centred over `anchor` (the main window's frame) and moved onto the screen that holds the anchor's
// centre (else the primary screen).
QRect frameOnScreen(const std::optional<QRect>& saved, const QSize& size, const QRect& anchor);

} // namespace pairsift
