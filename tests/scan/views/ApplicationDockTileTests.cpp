#include "platform/desktop/ApplicationDockTile.h"

#include "scan/DKDockProgressIndicator.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

QIcon solidIcon(QColor color)
{
    QPixmap pixmap(dockTileSize, dockTileSize);
    pixmap.fill(color);
    return QIcon(pixmap);
}

// The window icon is process-wide, so the test puts the one it found back.
class ApplicationDockTileTest : public testing::Test {
protected:
    void SetUp() override { m_previous = QGuiApplication::windowIcon(); }
    void TearDown() override { QGuiApplication::setWindowIcon(m_previous); }

private:
    QIcon m_previous;
};

TEST_F(ApplicationDockTileTest, barGoesOntoTheWindowIconAndHidingPutsThePlainIconBack)
{
    const QIcon plain = solidIcon(Qt::green);
    QGuiApplication::setWindowIcon(plain);
    {
        DKDockProgressIndicator indicator(std::make_shared<ApplicationDockTile>());
        indicator.setMaxValue(4);
        indicator.setDoubleValue(1);
        indicator.setHidden(false);

        const QImage shown = QGuiApplication::windowIcon().pixmap(QSize(dockTileSize, dockTileSize)).toImage();
        EXPECT_NE(QGuiApplication::windowIcon().cacheKey(), plain.cacheKey());
        EXPECT_EQ(shown.pixelColor(64, 40), QColor(Qt::green));
        EXPECT_EQ(shown.pixelColor(100, 117), QColor(Qt::white));
        EXPECT_NE(shown.pixelColor(10, 117), QColor(Qt::white));

        // Redrawing starts again from the plain icon, not from the tile shown last.
        indicator.setDoubleValue(0);
        const QImage redrawn = QGuiApplication::windowIcon().pixmap(QSize(dockTileSize, dockTileSize)).toImage();
        EXPECT_EQ(redrawn.pixelColor(10, 117), QColor(Qt::white));

        indicator.setHidden(true);
        EXPECT_EQ(QGuiApplication::windowIcon().cacheKey(), plain.cacheKey());
    }
    EXPECT_EQ(QGuiApplication::windowIcon().cacheKey(), plain.cacheKey());
}

TEST_F(ApplicationDockTileTest, restoringBeforeAnyDisplayLeavesTheIconAlone)
{
    const QIcon plain = solidIcon(Qt::blue);
    QGuiApplication::setWindowIcon(plain);
    ApplicationDockTile tile;
    tile.restore();
    EXPECT_EQ(QGuiApplication::windowIcon().cacheKey(), plain.cacheKey());
    EXPECT_EQ(tile.applicationIcon().pixelColor(5, 5), QColor(Qt::blue));
}

} // namespace
} // namespace pairsift
