#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace pairsift {

// Debugging texts of geometry: a point "(%f, %f)", a size "(%f x %f)", and a rectangle as the texts of its
// origin and size inside one more pair of parentheses.
QString stringWithCGPoint(const QPointF& point);
QString stringWithCGSize(const QSizeF& size);
QString stringWithCGRect(const QRectF& rect);

} // namespace pairsift
