#include "results/ResultsImages.h"

#include <QPainter>
#include <QPainterPath>

namespace pairsift {

namespace {

// A small bin: lid, handle and body with three ribs, in the template grey.
QImage drawTinyTrash()
{
    QImage image(14, 14, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x40, 0x40, 0x40);
    painter.setPen(QPen(ink, 1.0));
    painter.drawLine(QPointF(2.0, 3.5), QPointF(12.0, 3.5));
    painter.drawRect(QRectF(5.5, 1.5, 3.0, 2.0));
    QPainterPath body;
    body.moveTo(3.5, 4.0);
    body.lineTo(4.5, 12.5);
    body.lineTo(9.5, 12.5);
    body.lineTo(10.5, 4.0);
    painter.drawPath(body);
    for (const double x : {5.5, 7.0, 8.5})
        painter.drawLine(QPointF(x, 5.5), QPointF(x, 11.0));
    return image;
}

// A dashed rounded square with a sheet of paper inside, in light grey.
QImage drawPlaceholder()
{
    QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0xA0, 0xA0, 0xA0);
    QPen dashed(ink, 2.0, Qt::DashLine);
    painter.setPen(dashed);
    painter.drawRoundedRect(QRectF(4, 4, 88, 88), 12, 12);
    painter.setPen(QPen(ink, 2.0));
    QPainterPath sheet;
    sheet.moveTo(32, 22);
    sheet.lineTo(56, 22);
    sheet.lineTo(66, 32);
    sheet.lineTo(66, 74);
    sheet.lineTo(32, 74);
    sheet.closeSubpath();
    painter.drawPath(sheet);
    painter.drawPolyline(QList<QPointF>{{56, 22}, {56, 32}, {66, 32}});
    return image;
}

} // namespace

QImage namedImage(const QString& name)
{
    if (name == QLatin1String("TinyTrash")) {
        static const QImage image = drawTinyTrash();
        return image;
    }
    if (name == QLatin1String("PlaceholderTemplate")) {
        static const QImage image = drawPlaceholder();
        return image;
    }
    return {};
}

} // namespace pairsift
