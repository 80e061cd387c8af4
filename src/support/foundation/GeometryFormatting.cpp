#include "support/foundation/GeometryFormatting.h"

#include "platform/Format.h"

namespace pairsift {

QString stringWithCGPoint(const QPointF& point)
{
    return formatString("(%f, %f)", point.x(), point.y());
}

QString stringWithCGSize(const QSizeF& size)
{
    return formatString("(%f x %f)", size.width(), size.height());
}

QString stringWithCGRect(const QRectF& rect)
{
    return formatString("(%@%@)", stringWithCGPoint(rect.topLeft()), stringWithCGSize(rect.size()));
}

} // namespace pairsift
