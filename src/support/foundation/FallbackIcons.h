#pragma once

#include <QIcon>
#include <QString>

namespace pairsift {

// The few icons the windows cannot do without. A desktop's icon theme may lack any name (or there may be
// no theme at all), so each has a drawn stand-in that needs nothing but the GUI library.
enum class FallbackIcon { File, Folder, Error, Trash };

// The drawn stand-in, at 16, 32 and 64 pixels. Main thread; needs a GUI application (a null icon otherwise).
QIcon fallbackIcon(FallbackIcon kind);
// The theme's icon of that name, or the stand-in when the theme has none.
QIcon themeIcon(const QString& name, FallbackIcon fallback);

} // namespace pairsift
