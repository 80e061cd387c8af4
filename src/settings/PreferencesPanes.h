#pragma once

#include <QRect>
#include <QSize>

namespace pairsift {

// The panes of the preferences window, by the tag of their tool-bar item.
enum class PreferencesPane : qint64 {
    General = 0,
    Filters = 1,
    Updates = 99,
};

// The pane a tool-bar tag shows: any tag but those of Filters and Updates shows General.
PreferencesPane paneForTag(qint64 tag);

// The window frame that fits a pane of `contentSize` below the window's fixed parts (tool bar and
// border, `chromeSize`) while its top edge stays where `currentFrame` has it. Coordinates grow
// downwards, so the top-left corner simply stays.
QRect newFrameForNewContentView(const QRect& currentFrame, const QSize& chromeSize, const QSize& contentSize);

} // namespace pairsift
