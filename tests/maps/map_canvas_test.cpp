#include "maps/map_canvas.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace zenthra {
namespace {

constexpr QRgb red = fromBgr(0xFF);
constexpr QRgb yellow = fromBgr(0xFFFF);

QImage plainWorld()
{
    QImage world(worldWidth, worldHeight, QImage::Format_RGB32);
    world.fill(Qt::blue);
    return world;
}

TEST(BgrColour, PutsRedInTheLowByte)
{
    EXPECT_EQ(fromBgr(0xFF), qRgb(255, 0, 0));
    EXPECT_EQ(fromBgr(0xFFFF), qRgb(255, 255, 0));
    EXPECT_EQ(fromBgr(0x808080), qRgb(128, 128, 128));
    EXPECT_EQ(fromBgr(0xFF0000), qRgb(0, 0, 255));
}

TEST(MapCanvas, StickyPointGoesIntoThePersistentImage)
{
    MapCanvas canvas;
    canvas.setBitmap(plainWorld());
    canvas.setSticky(true);
    QSignalSpy changed(&canvas, &MapCanvas::changed);
    ASSERT_TRUE(canvas.write_point(QStringLiteral("IO90"), yellow));
    EXPECT_EQ(changed.count(), 1);
    const QImage& image = canvas.persistentImage();
    EXPECT_EQ(image.pixel(1432, 316), yellow);
    // Radius 2: two pixels out is still the mark, four pixels out is the sea.
    EXPECT_EQ(image.pixel(1434, 316), yellow);
    EXPECT_EQ(image.pixel(1436, 316), qRgb(0, 0, 255));
    EXPECT_TRUE(canvas.screenLayer().isNull());
}

TEST(MapCanvas, LineRunsBetweenTheSquareCentres)
{
    MapCanvas canvas;
    canvas.setBitmap(plainWorld());
    canvas.setSticky(true);
    // IO90 (1432, 316) to IO99 (1432, 244): a vertical line.
    ASSERT_TRUE(canvas.write_line(QStringLiteral("IO90"), QStringLiteral("IO99"), red));
    const QImage& image = canvas.persistentImage();
    for (int y : {244, 280, 316}) {
        EXPECT_EQ(image.pixel(1432, y), red) << y;
    }
    EXPECT_EQ(image.pixel(1434, 280), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1432, 320), qRgb(0, 0, 255));
}

TEST(MapCanvas, MarksOffStickyStayOutOfThePersistentImage)
{
    MapCanvas canvas;
    canvas.setBitmap(plainWorld());
    ASSERT_TRUE(canvas.write_point(QStringLiteral("JN45"), red));
    EXPECT_EQ(canvas.persistentImage().pixel(1512, 356), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.shownImage().pixel(1512, 356), red);
}

TEST(MapCanvas, ClearingKeepsTheBitmapOnly)
{
    MapCanvas canvas;
    canvas.setBitmap(plainWorld());
    canvas.write_point(QStringLiteral("JN45"), red);
    canvas.setSticky(true);
    canvas.write_point(QStringLiteral("IO90"), red);
    canvas.CLEAR_MAP_LIVESPOTS();
    EXPECT_EQ(canvas.shownImage(), plainWorld());
    EXPECT_EQ(canvas.persistentImage(), plainWorld());
}

TEST(MapCanvas, InvalidLocatorDrawsNothing)
{
    MapCanvas canvas;
    canvas.setBitmap(plainWorld());
    canvas.setSticky(true);
    EXPECT_FALSE(canvas.write_line(QStringLiteral("io90"), QStringLiteral("JN45"), red));
    EXPECT_FALSE(canvas.write_point(QString(), red));
    EXPECT_EQ(canvas.persistentImage(), plainWorld());
}

TEST(MapCanvas, MissingBitmapKeepsAPictureOfTheWorldsSize)
{
    MapCanvas canvas;
    EXPECT_FALSE(canvas.loadBitmap(QStringLiteral("/nonexistent/world.gif")));
    EXPECT_FALSE(canvas.hasBitmap());
    EXPECT_EQ(canvas.size(), QSize(worldWidth, worldHeight));
}

} // namespace
} // namespace zenthra
