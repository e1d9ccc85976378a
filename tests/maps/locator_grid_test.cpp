#include "maps/locator_grid.h"
#include "maps/map_scroll.h"

#include <gtest/gtest.h>

namespace zenthra {
namespace {

TEST(SquareCentre, MatchesTheGridFigures)
{
    struct Row
    {
        const char* loc;
        GridSquare square;
        QPointF centre;
    };
    // A subsquare draws at the centre of its square.
    for (const Row& r : {Row{"IO90", {89, 39}, {1432, 316}}, Row{"AA00", {0, 179}, {8, 1436}},
                         Row{"RR99", {179, 0}, {2872, 4}}, Row{"JN45", {94, 44}, {1512, 356}},
                         Row{"JN45AB", {94, 44}, {1512, 356}}}) {
        const QString loc = QString::fromLatin1(r.loc);
        EXPECT_EQ(gridSquare(loc), r.square) << r.loc;
        EXPECT_EQ(locatorCentre(loc), r.centre) << r.loc;
    }
}

TEST(NotASquare, LeavesTheCoordinatesAsTheyWere)
{
    for (const char* bad : {"", "IO9", "io90", "AS00", "IOX0"}) {
        const QString loc = QString::fromLatin1(bad);
        EXPECT_FALSE(locatorCentre(loc).has_value()) << bad;
        LocatorGrid grid;
        grid.POPULATE_LOC_ARRAYS();
        ASSERT_TRUE(grid.GET_XY(QStringLiteral("IO90"), QStringLiteral("RR99")));
        EXPECT_FALSE(grid.GET_XY(loc, QStringLiteral("AA00"))) << bad;
        EXPECT_EQ(QPointF(grid.sngX1, grid.sngY1), QPointF(89, 39)) << bad;
        // The other locator of the call is still converted.
        EXPECT_EQ(QPointF(grid.sngX2, grid.sngY2), QPointF(0, 179)) << bad;
    }
}

TEST(StartupPosition, PlacesTheSquareAndClampsAtTheEdges)
{
    struct Row
    {
        const char* loc;
        QSizeF frame; // twips
        QPoint expected;
    };
    for (const Row& r : {// In the frame the constants were measured on, the square lands 257 x 190 pixels in.
                         Row{"IO90", {7995, 5655}, {1432 - 257, 316 - 190}},
                         // Half a pixel rounds to the even neighbour: 1175 - 0.5 = 1174.5 gives 1174.
                         Row{"IO90", {8010, 5655}, {1174, 126}},
                         // Near the edges the bars stop at their minimum and maximum.
                         Row{"AA00", {7995, 5655}, {0, 1100}}, Row{"RR99", {7995, 5655}, {2400, 0}}}) {
        EXPECT_EQ(
            STARTUP_POSITION(*gridSquare(QString::fromLatin1(r.loc)), r.frame, 15, {0, 2400}, {0, 1100}),
            r.expected)
            << r.loc;
    }
    // The map window's frame is of its own height.
    EXPECT_EQ(STARTUP_POSITION({89, 39}, {7995, 5715}, 15, {0, 2400}, {0, 1100}, windowMapFrame),
              QPoint(1175, 126));
}

TEST(ScrollRange, LetsTheWholePicturePass)
{
    EXPECT_EQ(scrollRange(2880, 800), (ScrollRange{0, 2080}));
    EXPECT_EQ(scrollRange(1440, 2000), (ScrollRange{0, 0}));
}

} // namespace
} // namespace zenthra
