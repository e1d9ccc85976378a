#include "maps/map_passes.h"

#include <gtest/gtest.h>

namespace zenthra {
namespace {

// Each call as one text: "L IO90-JN45 ff0000" or "P IO90 ffff00" or "C".
class RecordingSurface : public MapSurface
{
public:
    bool write_line(QStringView loc1, QStringView loc2, QRgb colour) override
    {
        calls.push_back(QStringLiteral("L %1-%2 %3").arg(loc1, loc2, hex(colour)));
        return gridSquare(loc1) && gridSquare(loc2);
    }
    bool write_point(QStringView loc, QRgb colour) override
    {
        calls.push_back(QStringLiteral("P %1 %2").arg(loc, hex(colour)));
        return gridSquare(loc).has_value();
    }
    void CLEAR_MAP_LIVESPOTS() override { calls.push_back(QStringLiteral("C")); }

    static QString hex(QRgb colour) { return QString::number(colour & 0xFFFFFF, 16).rightJustified(6, u'0'); }
    std::vector<QString> calls;
};

struct ColourCase
{
    std::optional<double> freq;
    std::optional<QRgb> colour;
};

class BandColour : public ::testing::TestWithParam<ColourCase>
{
};

TEST_P(BandColour, FollowsTheFrequency)
{
    EXPECT_EQ(bandColour(GetParam().freq), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(Bands, BandColour,
                         ::testing::Values(ColourCase{144.3, mapRed}, ColourCase{140.01, mapRed},
                                           ColourCase{140, mapGrey}, ColourCase{70.2, mapGrey},
                                           ColourCase{69, mapWhite}, ColourCase{50.1, mapWhite},
                                           ColourCase{49, std::nullopt}, ColourCase{28.5, std::nullopt},
                                           ColourCase{std::nullopt, std::nullopt}));

MapSpotRow row(double freq, const char* from, const char* to, const char* centre)
{
    MapSpotRow r;
    r.freq = freq;
    r.dxLoc1 = QString::fromLatin1(from);
    r.dxLoc2 = QString::fromLatin1(to);
    r.centreLoc = QString::fromLatin1(centre);
    r.tryFrom = QStringLiteral("IO91");
    r.tryTo = QStringLiteral("KM46");
    return r;
}

struct PassCase
{
    const char* name;
    MapPassOptions options;
    bool clear;
    std::vector<const char*> calls;
};

class Passes : public ::testing::TestWithParam<PassCase>
{
};

TEST_P(Passes, DrawInTheirOrderAndColours)
{
    // Newest first: a 2 m path, then a 6 m path.
    const std::vector<MapSpotRow> rows{row(144.3, "JN45", "IM58", "JN12"), row(50.1, "IO90", "JN78", "JN24")};
    RecordingSurface surface;
    drawMapPasses(rows, GetParam().options, GetParam().clear, surface);
    std::vector<QString> expected;
    for (const char* c : GetParam().calls) {
        expected.push_back(QString::fromLatin1(c));
    }
    EXPECT_EQ(surface.calls, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Options, Passes,
    ::testing::Values(
        PassCase{
            "LinesClear",
            {true, false, false, false},
            true,
            {"C", "L JN45-JN12 ff0000", "L JN12-IM58 ff0000", "L IO90-JN24 ffffff", "L JN24-JN78 ffffff"}},
        PassCase{"PointsNeverErase",
                 {false, true, false, false},
                 true,
                 {"P JN45 000000", "P IM58 000000", "P IO90 000000", "P JN78 000000"}},
        PassCase{"Centres", {false, false, true, false}, false, {"P JN12 ffff00", "P JN24 ffff00"}},
        PassCase{"YourPathNeedsAPassToAddTo", {false, false, false, true}, true, {}},
        PassCase{"Everything",
                 {true, true, true, true},
                 false,
                 {"L JN45-JN12 ff0000", "L JN12-IM58 ff0000", "L IO90-JN24 ffffff", "L JN24-JN78 ffffff",
                  "P JN45 000000",      "P IM58 000000",      "P IO90 000000",      "P JN78 000000",
                  "P JN12 ffff00",      "P JN24 ffff00",      "L IO91-JN12 000000", "L JN12-KM46 000000",
                  "L IO91-JN24 000000", "L JN24-KM46 000000", "P IO91 ff0000",      "P KM46 ff0000",
                  "P IO91 ff0000",      "P KM46 ff0000",      "P JN12 ffff00",      "P JN24 ffff00"}}),
    [](const ::testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

TEST(Passes, ABadLocatorSkipsItsLineAndTheDrawingGoesOn)
{
    std::vector<MapSpotRow> rows{row(50.1, "", "JN78", "JN24"), row(50.2, "io90", "JN78", "JN24"),
                                 row(50.3, "IO90", "JN78", "JN24")};
    MapCanvas canvas;
    canvas.setSticky(true);
    drawMapPasses(rows, {true, false, false, false}, false, canvas);
    // The first two rows still draw their second half; the third draws both.
    // The rows after the bad ones are still drawn.
    EXPECT_EQ(canvas.persistentImage().pixel(locatorCentre(u"IO90")->toPoint()), mapWhite);
    EXPECT_EQ(canvas.persistentImage().pixel(locatorCentre(u"JN78")->toPoint()), mapWhite);
}

} // namespace
} // namespace zenthra
