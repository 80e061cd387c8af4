#include "support/foundation/PairsiftColors.h"

#include "support/foundation/Colors.h"

namespace pairsift {

QColor colorWithRGB(quint64 rgb, double alpha)
{
    return colorWithCalibratedRGB(rgb, alpha).toQColor();
}

QColor ignoredTextColor()
{
    return grayColor().toQColor();
}

QColor topItemColor()
{
    return colorWithRGB(0x0E8122);
}

} // namespace pairsift
