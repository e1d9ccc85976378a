#include "muf_calcs_fixture.h"

#include <cmath>

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

TEST_F(MufCalcsTest, CriticalFrequencyAndMufFollowTheSecantLaw)
{
    for (const auto& [from, to] :
         {std::pair{"IO91WM", "JN58TD"}, std::pair{"KP20AA", "JO62QM"}, std::pair{"JN58TD", "JN58TE"},
          // Across the date line: the short way round, either way.
          std::pair{"RL65AA", "AL05AA"}, std::pair{"AL05AA", "RL65AA"}}) {
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

TEST_F(MufCalcsTest, FotWeighsBetweenCriticalFrequencyAndMufByElevation)
{
    const struct
    {
        double elevation;
        double muf;
        double critFreq;
        double expected;
    } cases[] = {
        // A flat ray weighs fully towards the MUF: clamped to it.
        {0, 72.59, 13.31, 72.59},
        // (1 - sin 30)^2 = 1/4.
        {30, 40, 10, (0.25 * 30 + 10) * 1.047},
        // Straight up: 1.047 times the critical frequency, cut to the MUF when that is lower.
        {90, 10.2, 10, 10.2},
        // A MUF below the critical frequency gives the critical frequency.
        {45, 8, 10, 10},
    };
    for (const auto& k : cases) {
        const double fot = calc.CALCULATE_FOT(0, 0, k.elevation, 110, k.muf, 50.2, 150, k.critFreq);
        EXPECT_NEAR(fot, k.expected, 1e-9) << k.elevation << "deg " << k.muf << "MHz";
        // Second-hop distance, distance, layer height, frequency and height do not enter.
        EXPECT_EQ(fot, calc.CALCULATE_FOT(1234, 987, k.elevation, 90, k.muf, 144.3, 3000, k.critFreq));
    }
    EXPECT_TRUE(logged().isEmpty());
}

} // namespace
