#include "support/foundation/GeometryFormatting.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(GeometryText, pointSizeAndRectangleWithSixDecimals)
{
    EXPECT_EQ(stringWithCGPoint(QPointF(1.5, -2)), QStringLiteral("(1.500000, -2.000000)"));
    EXPECT_EQ(stringWithCGSize(QSizeF(0.25, 1e6)), QStringLiteral("(0.250000 x 1000000.000000)"));
    EXPECT_EQ(stringWithCGRect(QRectF(-1, 2, 3.125, 0)), QStringLiteral("((-1.000000, 2.000000)(3.125000 x 0.000000))"));
}

} // namespace
} // namespace pairsift
