#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace pairsift {

// Where a window goes so that the user can always reach it: `saved` (an earlier frame, title bar
// included) when it lies wholly on one screen; otherwise a frame of `size`, shrunk to fit if need be,
// centred over `anchor` (the main window's frame) and moved onto the screen that holds the anchor's
// centre (else the primary screen).
QRect frameOnScreen(const std::optional<QRect>& saved, const QSize& size, const QRect& anchor);

// The same for a window's inside (what geometry() and setGeometry() take), with `decorations` around it.
// Insides are what gets saved: a frame position means different things to different window managers, and a
// window moved to its own saved frame can creep by its title bar at every showing.
QRect insideOnScreen(const std::optional<QRect>& savedInside, const QSize& insideSize, const QRect& anchor,
                     const QMargins& decorations);

// The frame the window manager puts around `window`; before it has framed the window, that of `framed`
// when it has one, else the style's title bar.
QMargins windowDecorations(const QWidget& window, const QWidget* framed = nullptr);

// The available area of the screen that holds `window`'s centre, else of the primary screen.
QRect availableScreenArea(const QWidget* window);

// A frame as a settings text, "x y width height", and back; nothing for a text that is not one.
QString frameText(const QRect& frame);
std::optional<QRect> frameFromText(const QString& text);

} // namespace pairsift
