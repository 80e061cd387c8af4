#include "support/foundation/PairsiftColors.h"

namespace pairsift {

namespace {

double component(quint64 rgb, int shift)
{
    return static_cast<double>(static_cast<float>((rgb >> shift) & 0xFF) / 255.0f);
}

} // namespace

QColor colorWithRGB(quint64 rgb, double alpha)
{
    return QColor::fromRgbF(static_cast<float>(component(rgb, 16)), static_cast<float>(component(rgb, 8)),
                            static_cast<float>(component(rgb, 0)), static_cast<float>(alpha));
}

QColor ignoredTextColor()
{
    return QColor::fromRgbF(0.5f, 0.5f, 0.5f);
}

QColor topItemColor()
{
    return colorWithRGB(0x0E8122);
}

} // namespace pairsift
