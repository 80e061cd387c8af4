#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace pairsift {

namespace {

QMargins knownDecorations(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect inside = window.geometry();
    return QMargins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                    frame.bottom() - inside.bottom());
}

} // namespace

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

QRect insideOnScreen(const std::optional<QRect>& savedInside, const QSize& insideSize, const QRect& anchor,
                     const QMargins& decorations)
{
    std::optional<QRect> saved;
    if (savedInside)
        saved = savedInside->marginsAdded(decorations);
    return frameOnScreen(saved, insideSize.grownBy(decorations), anchor).marginsRemoved(decorations);
}

QMargins windowDecorations(const QWidget& window, const QWidget* framed)
{
    if (const QMargins own = knownDecorations(window); !own.isNull())
        return own;
    if (framed) {
        if (const QMargins other = knownDecorations(*framed); !other.isNull())
            return other;
    }
    return QMargins(0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
}

QRect availableScreenArea(const QWidget* window)
{
    const QScreen* screen = window ? QGuiApplication::screenAt(window->frameGeometry().center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QString frameText(const QRect& frame)
{
    return QStringLiteral("%1 %2 %3 %4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
}

std::optional<QRect> frameFromText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int values[4];
    for (int index = 0; index < 4; ++index) {
        bool isNumber = false;
        values[index] = parts.at(index).toInt(&isNumber);
        if (!isNumber)
            return std::nullopt;
    }
    return QRect(values[0], values[1], values[2], values[3]);
}

} // namespace pairsift
