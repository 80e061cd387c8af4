#include "support/foundation/FallbackIcons.h"

#include <QImage>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

int paintedPixels(const QIcon& icon, int side)
{
    const QImage image = icon.pixmap(side, side).toImage();
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return painted;
}

TEST(FallbackIcons, everyKindIsDrawnAndAMissingThemeNameGivesItsStandIn)
{
    const FallbackIcon kinds[] = {FallbackIcon::File, FallbackIcon::Folder, FallbackIcon::Error, FallbackIcon::Trash};
    QList<QImage> drawn;
    for (FallbackIcon kind : kinds) {
        const QIcon icon = fallbackIcon(kind);
        EXPECT_GT(paintedPixels(icon, 16), 16 * 16 / 4);
        EXPECT_GT(paintedPixels(icon, 64), 64 * 64 / 4);
        drawn.append(icon.pixmap(16, 16).toImage());
    }
    for (int first = 0; first < drawn.size(); ++first)
        for (int second = first + 1; second < drawn.size(); ++second)
            EXPECT_NE(drawn[first], drawn[second]) << first << " and " << second << " look alike";

    const QIcon standIn = themeIcon(QStringLiteral("no-theme-has-this-name-x-pairsift"), FallbackIcon::Error);
    EXPECT_EQ(standIn.pixmap(16, 16).toImage(), fallbackIcon(FallbackIcon::Error).pixmap(16, 16).toImage());
}

} // namespace
} // namespace pairsift
