#include "scan/DockTileDrawing.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace pairsift {

namespace {

QImage namedImage(const char* name)
{
    return QImage(QStringLiteral(":/images/%1.png").arg(QLatin1String(name)));
}

// Without a GUI application there is no palette to ask.
QColor knobColor()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
    return QColor(0x30, 0x7a, 0xd6);
}

void paintPart(QPainter& painter, const QImage& image, const QColor& fill, const QRectF& rect)
{
    if (rect.isEmpty())
        return;
    if (image.isNull())
        painter.fillRect(rect, fill);
    else
        painter.drawImage(rect, image);
}

} // namespace

double dockBarWidth(double minValue, double maxValue, double value, double trackWidth)
{
    const double span = maxValue - minValue;
    if (span == 0 || !std::isfinite(span))
        return 0;
    const double width = (value - minValue) * trackWidth / span;
    return std::isnan(width) ? 0 : std::clamp(width, 0.0, trackWidth);
}

QRectF dockBarRect(double minValue, double maxValue, double value)
{
    QRectF bar = dockTrackRect;
    bar.setWidth(dockBarWidth(minValue, maxValue, value, dockTrackRect.width()));
    return bar;
}

DockTileArt DockTileArt::named(const QImage& applicationIcon)
{
    return {applicationIcon, namedImage("MiniProgressGradientGray"), namedImage("MiniProgressGradient"), knobColor()};
}

QImage drawDockTile(const DockTileArt& art, const QRectF& barRect)
{
    QImage tile(dockTileSize, dockTileSize, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!art.applicationIcon.isNull())
        painter.drawImage(QRectF(0, 0, dockTileSize, dockTileSize), art.applicationIcon);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    paintPart(painter, art.track, Qt::white, dockTrackRect);
    paintPart(painter, art.bar, art.barColor, barRect);
    painter.end();
    return tile;
}

} // namespace pairsift
