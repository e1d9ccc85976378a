#include "maps/map_canvas.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace zenthra {
namespace {

constexpr QRgb red = fromBgr(0xFF);
constexpr QRgb yellow = fromBgr(0xFFFF);
constexpr QRgb sea = qRgb(0, 0, 255);

QImage plainWorld()
{
    QImage world(worldWidth, worldHeight, QImage::Format_RGB32);
    world.fill(Qt::blue);
    return world;
}

class MapCanvasTest : public ::testing::Test
{
protected:
    MapCanvasTest() { canvas.setBitmap(plainWorld()); }
    MapCanvas canvas;
};

TEST_F(MapCanvasTest, StickyMarksGoIntoThePersistentImageOthersOnlyOnScreen)
{
    ASSERT_TRUE(canvas.write_point(QStringLiteral("JN45"), red));
    EXPECT_EQ(canvas.persistentImage().pixel(1512, 356), sea);
    EXPECT_EQ(canvas.shownImage().pixel(1512, 356), red);
    canvas.setSticky(true);
    QSignalSpy changed(&canvas, &MapCanvas::changed);
    ASSERT_TRUE(canvas.write_point(QStringLiteral("IO90"), yellow));
    EXPECT_EQ(changed.count(), 1);
    const QImage& image = canvas.persistentImage();
    // Radius 2: two pixels out is still the mark, four pixels out is the sea.
    EXPECT_EQ(image.pixel(1432, 316), yellow);
    EXPECT_EQ(image.pixel(1434, 316), yellow);
    EXPECT_EQ(image.pixel(1436, 316), sea);

    canvas.CLEAR_MAP_LIVESPOTS();
    EXPECT_EQ(canvas.shownImage(), plainWorld());
    EXPECT_EQ(canvas.persistentImage(), plainWorld());
}

TEST_F(MapCanvasTest, LineRunsBetweenTheSquareCentresAndBadLocatorsDrawNothing)
{
    canvas.setSticky(true);
    EXPECT_FALSE(canvas.write_line(QStringLiteral("io90"), QStringLiteral("JN45"), red));
    EXPECT_FALSE(canvas.write_point(QString(), red));
    EXPECT_EQ(canvas.persistentImage(), plainWorld());
    // IO90 (1432, 316) to IO99 (1432, 244): a vertical line.
    ASSERT_TRUE(canvas.write_line(QStringLiteral("IO90"), QStringLiteral("IO99"), red));
    const QImage& image = canvas.persistentImage();
    for (int y : {244, 280, 316}) {
        EXPECT_EQ(image.pixel(1432, y), red) << y;
    }
    EXPECT_EQ(image.pixel(1434, 280), sea);
    EXPECT_EQ(image.pixel(1432, 320), sea);
}

} // namespace
} // namespace zenthra
