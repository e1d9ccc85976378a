#include "muf_calcs_fixture.h"

#include "platform/legacy_value.h"

#include <cmath>

using zenthra::legacy::format;
using zenthra::test::at;
using zenthra::test::MufCalcsTest;

namespace {

constexpr double earthRadius = 6371.291;

// Secant of the largest angle of incidence: a ray leaving the ground horizontally and meeting a
// layer `height` km up. Worked out from the right triangle, not the library's formula.
double grazingSecant(double height)
{
    const double s = earthRadius / (earthRadius + height);
    return 1 / std::sqrt(1 - s * s);
}

// Cosine of the angle of incidence at a layer `height` km above the mid-point of a path with
// central angle d, by the law of sines in the triangle centre - station - reflection point.
double incidenceCosine(double d, double height)
{
    const double top = earthRadius + height;
    const double slant =
        std::sqrt(earthRadius * earthRadius + top * top - 2 * earthRadius * top * std::cos(d / 2));
    const double sine = earthRadius * std::sin(d / 2) / slant;
    return std::sqrt(1 - sine * sine);
}

double centralAngle(const zenthra::test::Position& a, const zenthra::test::Position& b)
{
    return std::acos(std::sin(a.lat) * std::sin(b.lat) +
                     std::cos(a.lat) * std::cos(b.lat) * std::cos(a.lon - b.lon));
}

TEST_F(MufCalcsTest, LondonToMunichOnSixMetres)
{
    const auto a = at("IO91WM");
    const auto b = at("JN58TD");
    const double qrb = calc.CALCULATE_QRB(a.lat, a.lon, b.lat, b.lon);
    const double elevation = calc.CALCULATE_ELEVATION(qrb, 110, 150);
    const double critFreq =
        calc.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, qrb, elevation, 50.2, 110, 150);
    const double muf = calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, qrb, 110, 50.2, 150);
    EXPECT_EQ(format(critFreq, u"0.00"), "13.31");
    EXPECT_EQ(format(muf, u"0.00"), "72.59");
    EXPECT_EQ(format(calc.CALCULATE_FOT(0, qrb, elevation, 110, muf, 50.2, 150, critFreq), u"0.00"), "54.19");
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, CriticalFrequencyAndMufFollowTheSecantLaw)
{
    for (const auto& [from, to] :
         {std::pair{"IO91WM", "JN58TD"}, std::pair{"KP20AA", "JO62QM"}, std::pair{"IN80DL", "JO01AB"},
          std::pair{"FN31PR", "EL29FX"}, std::pair{"QF22LD", "QG62KP"}, std::pair{"JN58TD", "JN58TE"}}) {
        const auto a = at(from);
        const auto b = at(to);
        for (const double masl : {0.0, 150.0, 2500.0}) {
            const double height = 110 - masl / 2000;
            const double expected = 50.2 * incidenceCosine(centralAngle(a, b), height);
            const double critFreq =
                calc.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, 0, 0, 50.2, 110, masl);
            const double muf = calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 0, 110, 50.2, masl);
            EXPECT_NEAR(critFreq, expected, 1e-6) << from << to << masl;
            EXPECT_NEAR(muf, critFreq * grazingSecant(height), 1e-6) << from << to << masl;
        }
    }
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, IdenticalEndPointsHearTheCriticalFrequencyItself)
{
    const auto p = at("JO62QM");
    EXPECT_DOUBLE_EQ(calc.CALCULATE_CRITFREQ(p.lat, p.lon, p.lat, p.lon, 0, 90, 28.5, 110, 150), 28.5);
    EXPECT_NEAR(calc.CALCULATE_MUF(p.lat, p.lon, p.lat, p.lon, 0, 110, 28.5, 150),
                28.5 * grazingSecant(109.925), 1e-9);
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, StationHeightOnlyLowersTheReflectionPointByHalfOfIt)
{
    const auto a = at("IO91WM");
    const auto b = at("JN58TD");
    EXPECT_DOUBLE_EQ(calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 921.5, 110, 50.2, 5000),
                     calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 921.5, 107.5, 50.2, 0));
    EXPECT_DOUBLE_EQ(calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 921.5, 110, 50.2, 150),
                     calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 921.5, 109.925, 50.2, 0));
    EXPECT_DOUBLE_EQ(calc.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, 921.5, 11.2, 50.2, 110, 5000),
                     calc.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, 921.5, 11.2, 50.2, 107.5, 0));
    // The distance and elevation arguments only go into the log text.
    EXPECT_EQ(calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 1, 110, 50.2, 150),
              calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 5000, 110, 50.2, 150));
    EXPECT_EQ(calc.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, 1, -5, 50.2, 110, 150),
              calc.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, 5000, 60, 50.2, 110, 150));
}

TEST_F(MufCalcsTest, LongitudesAcrossTheDateLineAreTheShortWayRound)
{
    const auto a = at("RL65AA");
    const auto b = at("AL05AA");
    const double across = calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, 0, 110, 50.2, 0);
    EXPECT_NEAR(across, 50.2 * incidenceCosine(centralAngle(a, b), 110) * grazingSecant(110), 1e-6);
    EXPECT_DOUBLE_EQ(across, calc.CALCULATE_MUF(b.lat, b.lon, a.lat, a.lon, 0, 110, 50.2, 0));
}

struct FotCase
{
    double elevation;
    double muf;
    double critFreq;
    double expected;
};

void PrintTo(const FotCase& c, std::ostream* os)
{
    *os << c.elevation << "deg_" << c.muf << "MHz";
}

class Fot : public MufCalcsTest, public ::testing::WithParamInterface<FotCase>
{
};

TEST_P(Fot, WeighsBetweenCriticalFrequencyAndMufByElevation)
{
    const auto& c = GetParam();
    EXPECT_NEAR(calc.CALCULATE_FOT(0, 0, c.elevation, 110, c.muf, 50.2, 150, c.critFreq), c.expected, 1e-9);
    // Second-hop distance, distance, layer height, frequency and height do not enter.
    EXPECT_EQ(calc.CALCULATE_FOT(0, 0, c.elevation, 110, c.muf, 50.2, 150, c.critFreq),
              calc.CALCULATE_FOT(1234, 987, c.elevation, 90, c.muf, 144.3, 3000, c.critFreq));
    EXPECT_TRUE(logged().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, Fot,
                         ::testing::Values(
                             // A flat ray weighs fully towards the MUF: clamped to it.
                             FotCase{0, 72.59, 13.31, 72.59},
                             // Below the horizon the weight passes 1: still the MUF.
                             FotCase{-3, 72.59, 13.31, 72.59},
                             // (1 - sin 30)^2 = 1/4.
                             FotCase{30, 40, 10, (0.25 * 30 + 10) * 1.047},
                             // Straight up: 1.047 times the critical frequency...
                             FotCase{90, 30, 10, 10.47},
                             // ...cut to the MUF when that is lower.
                             FotCase{90, 10.2, 10, 10.2},
                             // A MUF below the critical frequency gives the critical frequency.
                             FotCase{45, 8, 10, 10}));

TEST_F(MufCalcsTest, SporadicEFailuresAreLoggedWithTheirArguments)
{
    const auto p = at("JO62QM");
    // A layer as deep as the earth's radius: the grazing ray divides by zero.
    EXPECT_EQ(calc.CALCULATE_MUF(p.lat, p.lon, p.lat, p.lon, 0, -6371.291, 50.2, 0), 0);
    EXPECT_EQ(calc.CALCULATE_CRITFREQ(p.lat, p.lon, p.lat, p.lon, 0, 90, 50.2, -6371.291, 0), 0);
    // A zero-length path reflected at ground level: 0/0.
    EXPECT_EQ(calc.CALCULATE_MUF(p.lat, p.lon, p.lat, p.lon, 0, 0, 50.2, 0), 0);
    // The weighted sum overflows.
    EXPECT_EQ(calc.CALCULATE_FOT(1, 2, 10, 110, 1e308, 50.2, 150, -1e308), 0);
    EXPECT_EQ(logged(), QStringList({"11 - CALCULATE_MUF(0, -6371.291, 50.2)",
                                     "11 - CALCULATE_CRITFREQ(0, 90, 50.2, -6371.291, 0)",
                                     "6 - CALCULATE_MUF(0, 0, 50.2)",
                                     "6 - CALCULATE_FOT(10, 110, 1E+308, 50.2, 150, -1E+308)"}));
    EXPECT_EQ(log.intErrorLogged, 1);
}

} // namespace
