#include "support/foundation/FallbackIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace pairsift {

namespace {

// Drawn on a 16-unit grid and scaled, so every size keeps the same shape.
void drawFile(QPainter& painter)
{
    QPainterPath page;
    page.moveTo(3, 1);
    page.lineTo(10, 1);
    page.lineTo(13.5, 4.5);
    page.lineTo(13.5, 15);
    page.lineTo(3, 15);
    page.closeSubpath();
    painter.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
    painter.setBrush(QColor(0xfa, 0xfa, 0xfa));
    painter.drawPath(page);
    painter.drawLine(QPointF(10, 1), QPointF(10, 4.5));
    painter.drawLine(QPointF(10, 4.5), QPointF(13.5, 4.5));
    painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 0.8));
    for (double y = 7; y <= 13; y += 2)
        painter.drawLine(QPointF(5, y), QPointF(11.5, y));
}

void drawFolder(QPainter& painter)
{
    painter.setPen(QPen(QColor(0x9a, 0x73, 0x1c), 1));
    painter.setBrush(QColor(0xe8, 0xb9, 0x4a));
    QPainterPath tab;
    tab.moveTo(1, 3);
    tab.lineTo(6, 3);
    tab.lineTo(7.5, 4.5);
    tab.lineTo(15, 4.5);
    tab.lineTo(15, 13.5);
    tab.lineTo(1, 13.5);
    tab.closeSubpath();
    painter.drawPath(tab);
    painter.setBrush(QColor(0xf5, 0xcd, 0x6a));
    painter.drawRect(QRectF(1, 6, 14, 7.5));
}

void drawError(QPainter& painter)
{
    painter.setPen(QPen(QColor(0x9c, 0x1a, 0x1a), 1));
    painter.setBrush(QColor(0xd9, 0x35, 0x35));
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
    painter.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

void drawTrash(QPainter& painter)
{
    painter.setPen(QPen(QColor(0x55, 0x5b, 0x63), 1));
    painter.setBrush(QColor(0xc8, 0xcd, 0xd3));
    QPainterPath can;
    can.moveTo(3.5, 4.5);
    can.lineTo(12.5, 4.5);
    can.lineTo(11.5, 15);
    can.lineTo(4.5, 15);
    can.closeSubpath();
    painter.drawPath(can);
    painter.drawRect(QRectF(2, 2.5, 12, 2));
    painter.drawRect(QRectF(6, 1, 4, 1.5));
    for (double x : {6.0, 8.0, 10.0})
        painter.drawLine(QPointF(x, 6.5), QPointF(x, 13));
}

QPixmap drawn(FallbackIcon kind, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 16.0, side / 16.0);
    switch (kind) {
    case FallbackIcon::File:
        drawFile(painter);
        break;
    case FallbackIcon::Folder:
        drawFolder(painter);
        break;
    case FallbackIcon::Error:
        drawError(painter);
        break;
    case FallbackIcon::Trash:
        drawTrash(painter);
        break;
    }
    return pixmap;
}

} // namespace

QIcon fallbackIcon(FallbackIcon kind)
{
    // Pixmaps exist only in a GUI application.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    // Drawn once per kind, as the lists ask for an icon per visible row; kept past the application's end
    // (pixmaps must not be freed after it).
    static auto* const icons = new std::array<QIcon, 4>;
    QIcon& icon = (*icons)[static_cast<std::size_t>(kind)];
    if (icon.isNull()) {
        for (int side : {16, 32, 64})
            icon.addPixmap(drawn(kind, side));
    }
    return icon;
}

QIcon themeIcon(const QString& name, FallbackIcon fallback)
{
    const QIcon themed = QIcon::fromTheme(name);
    return themed.isNull() ? fallbackIcon(fallback) : themed;
}

} // namespace pairsift
