#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace pairsift {

QRect frameOnScreen(const std::optional<QRect>& saved, const QSize& size, const QRect& anchor)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (saved && std::any_of(screens.cbegin(), screens.cend(),
                             [&saved](const QScreen* screen) { return screen->availableGeometry().contains(*saved); }))
        return *saved;
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(anchor.topLeft(), size);
    const QRect available = screen->availableGeometry();
    QRect frame(QPoint(), size.boundedTo(available.size()));
    frame.moveCenter(anchor.center());
    // Onto the screen: the right and bottom edges first, so a frame as large as the screen keeps its top.
    frame.moveRight(std::min(frame.right(), available.right()));
    frame.moveBottom(std::min(frame.bottom(), available.bottom()));
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveTop(std::max(frame.top(), available.top()));
    return frame;
}

} // namespace pairsift
