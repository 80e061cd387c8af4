#include "scan/DKDockProgressIndicator.h"

#include "platform/DockTile.h"
#include "platform/ProgressIndicator.h"
#include "scan/DockTileDrawing.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

class RecordingTile : public DockTile {
public:
    QImage applicationIcon() override { return icon; }
    void display(const QImage& tile, double fraction) override
    {
        lastTile = tile;
        fractions.append(fraction);
    }
    void restore() override { ++restores; }

    QImage icon;
    QImage lastTile;
    QList<double> fractions;
    int restores = 0;
};

QImage filled(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// How many pixels of the track's middle line have `color`.
int trackPixelsOf(const QImage& tile, QColor color)
{
    const int y = static_cast<int>(dockTrackRect.center().y());
    int count = 0;
    for (int x = 0; x < tile.width(); ++x)
        count += tile.pixelColor(x, y) == color ? 1 : 0;
    return count;
}

TEST(DockProgressGeometry, barWidthIsClampedToTheTrack)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double minValue, maxValue, value, width;
    } cases[] = {
        {0, 200, 50, 30},
        {0, 200, 200, 120},
        {0, 200, 0, 0},
        {100, 300, 150, 30},
        {0, 0, 0, 0},
        {5, 5, 9, 0},
        {0, 200, -10, 0},
        {0, 200, 250, 120},
        {0, 200, nan, 0},
        {nan, 200, 50, 0},
    };
    for (const auto& testCase : cases) {
        EXPECT_DOUBLE_EQ(dockBarWidth(testCase.minValue, testCase.maxValue, testCase.value, 120), testCase.width)
            << testCase.minValue << ".." << testCase.maxValue << " at " << testCase.value;
        const QRectF bar = dockBarRect(testCase.minValue, testCase.maxValue, testCase.value);
        EXPECT_EQ(bar.topLeft(), dockTrackRect.topLeft());
        EXPECT_EQ(bar.height(), dockTrackRect.height());
        EXPECT_DOUBLE_EQ(bar.width(), testCase.width);
    }
}

TEST(DockProgressGeometry, trackSitsFourPointsInsideTheBottomOfTheTile)
{
    EXPECT_EQ(dockTrackRect.left(), 4);
    EXPECT_EQ(dockTileSize - dockTrackRect.right(), 4);
    EXPECT_EQ(dockTileSize - dockTrackRect.bottom(), 4);
}

TEST(DockTileDrawing, missingGradientsGiveAWhiteTrackAndAColouredBar)
{
    const DockTileArt art{QImage(), QImage(), QImage(), Qt::red};
    const QImage quarter = drawDockTile(art, dockBarRect(0, 200, 50));
    EXPECT_EQ(quarter.size(), QSize(dockTileSize, dockTileSize));
    EXPECT_EQ(trackPixelsOf(quarter, Qt::red), 30);
    EXPECT_EQ(trackPixelsOf(quarter, Qt::white), 90);
    EXPECT_EQ(quarter.pixelColor(4, 116), QColor(Qt::red));
    EXPECT_EQ(quarter.pixelColor(34, 116), QColor(Qt::white));
    EXPECT_EQ(quarter.pixelColor(2, 116).alpha(), 0);
    EXPECT_EQ(quarter.pixelColor(64, 100).alpha(), 0);

    const QImage empty = drawDockTile(art, dockBarRect(7, 7, 7));
    EXPECT_EQ(trackPixelsOf(empty, Qt::red), 0);
    EXPECT_EQ(trackPixelsOf(empty, Qt::white), 120);

    const QImage overfull = drawDockTile(art, dockBarRect(0, 10, 50));
    EXPECT_EQ(trackPixelsOf(overfull, Qt::red), 120);
    EXPECT_EQ(overfull.pixelColor(125, 116).alpha(), 0);
}

TEST(DockTileDrawing, gradientsAndIconAreStretchedIntoPlace)
{
    const DockTileArt art{filled(32, 32, Qt::green), filled(3, 2, Qt::gray), filled(2, 2, Qt::blue), Qt::red};
    const QImage tile = drawDockTile(art, dockBarRect(0, 4, 2));
    EXPECT_EQ(tile.pixelColor(64, 40), QColor(Qt::green));
    EXPECT_EQ(tile.pixelColor(127, 0), QColor(Qt::green));
    EXPECT_EQ(trackPixelsOf(tile, Qt::blue), 60);
    EXPECT_EQ(trackPixelsOf(tile, Qt::gray), 60);
    EXPECT_EQ(trackPixelsOf(tile, Qt::red), 0);
}

TEST(DKDockProgressIndicator, everyValueChangeRedrawsTheTileHiddenOrNot)
{
    auto tile = std::make_shared<RecordingTile>();
    tile->icon = filled(dockTileSize, dockTileSize, Qt::green);
    DKDockProgressIndicator indicator(tile);
    QList<bool> hiddenChanges;
    QObject::connect(&indicator, &DKDockProgressIndicator::hiddenChanged, &indicator,
                     [&hiddenChanges](bool hidden) { hiddenChanges.append(hidden); });
    EXPECT_TRUE(indicator.isHidden());
    EXPECT_EQ(indicator.maxValue(), 0);

    indicator.setMaxValue(200);
    indicator.setDoubleValue(50);
    EXPECT_TRUE(indicator.isHidden());
    EXPECT_EQ(tile->fractions, (QList<double>{0, 0.25}));
    EXPECT_EQ(tile->lastTile.pixelColor(64, 40), QColor(Qt::green));

    // Showing draws nothing by itself: the bar follows at the next value.
    indicator.setHidden(false);
    EXPECT_EQ(tile->fractions.size(), 2);
    indicator.setDoubleValue(500);
    EXPECT_EQ(tile->fractions.last(), 1);

    indicator.setHidden(true);
    indicator.setHidden(true);
    EXPECT_TRUE(indicator.isHidden());
    EXPECT_EQ(tile->restores, 1);
    EXPECT_EQ(hiddenChanges, (QList<bool>{false, true}));
}

class RecordingBar : public ProgressIndicator {
public:
    explicit RecordingBar(QStringList& calls) : m_calls(calls) {}
    void setMinValue(double value) override { m_calls.append(QStringLiteral("min %1").arg(value)); }
    void setMaxValue(double value) override { m_calls.append(QStringLiteral("max %1").arg(value)); }
    void setDoubleValue(double value) override { m_calls.append(QStringLiteral("value %1").arg(value)); }
    void setHidden(bool hidden) override { m_calls.append(QStringLiteral("hidden %1").arg(hidden)); }
    void setNeedsDisplay(bool needs) override { m_calls.append(QStringLiteral("needsDisplay %1").arg(needs)); }
    void display() override { m_calls.append(QStringLiteral("display")); }

private:
    QStringList& m_calls;
};

TEST(DKDockProgressIndicator, theWindowBarMirrorsValuesHiddenStateAndDrawingRequests)
{
    auto tile = std::make_shared<RecordingTile>();
    DKDockProgressIndicator indicator(tile);
    indicator.setNeedsDisplay(true);
    indicator.display();
    indicator.setMaxValue(200);

    QStringList calls;
    indicator.setProgress(std::make_unique<RecordingBar>(calls));
    EXPECT_EQ(calls, (QStringList{"min 0", "max 200", "value 0", "hidden 1"}));
    calls.clear();

    indicator.setDoubleValue(50);
    indicator.setHidden(false);
    indicator.setNeedsDisplay(true);
    indicator.display();
    EXPECT_EQ(calls, (QStringList{"value 50", "hidden 0", "needsDisplay 1", "display"}));
    // Drawing requests are the window bar's alone.
    EXPECT_EQ(tile->fractions.size(), 2);
}

TEST(DKDockProgressIndicator, goingAwayAfterDrawingRestoresThePlainIcon)
{
    auto tile = std::make_shared<RecordingTile>();
    {
        DKDockProgressIndicator indicator(tile);
        indicator.setMinValue(0);
    }
    EXPECT_EQ(tile->restores, 1);
    {
        DKDockProgressIndicator neverDrawn(tile);
        neverDrawn.setHidden(false);
    }
    EXPECT_EQ(tile->restores, 1);
}

} // namespace
} // namespace pairsift
