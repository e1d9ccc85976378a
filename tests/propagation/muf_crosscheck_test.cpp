// Distance and bearing checked against hamlib's great-circle routine, which shares no code with ours.

#include "muf_calcs_fixture.h"

#include <hamlib/rig.h>
#include <hamlib/rotator.h>

#include <cmath>
#include <random>

using zenthra::test::at;
using zenthra::test::MufCalcsTest;

namespace {

constexpr double degreesPerRadian = 180 / M_PI;

// The difference of two bearings in degrees, folded into -180..180.
double bearingDifference(double a, double b)
{
    return std::remainder(a - b, 360.0);
}

QString randomLocator(std::mt19937& random)
{
    std::uniform_int_distribution<int> field(0, 17);
    std::uniform_int_distribution<int> square(0, 9);
    std::uniform_int_distribution<int> subsquare(0, 23);
    const QChar text[] = {QChar(u'A' + field(random)),     QChar(u'A' + field(random)),
                          QChar(u'0' + square(random)),    QChar(u'0' + square(random)),
                          QChar(u'A' + subsquare(random)), QChar(u'A' + subsquare(random))};
    return QString(text, 6);
}

class CrossCheck : public MufCalcsTest
{
protected:
    void SetUp() override { rig_set_debug(RIG_DEBUG_NONE); }

    void compare(const QString& from, const QString& to)
    {
        const auto a = at(from);
        const auto b = at(to);
        const double ours = calc.CALCULATE_QRB(a.lat, a.lon, b.lat, b.lon);
        const double bearing = calc.CALCULATE_QTF(a.lat, a.lon, b.lat, b.lon) - 0.49;

        double distance = 0;
        double azimuth = 0;
        ASSERT_EQ(::qrb(a.lon * degreesPerRadian, a.lat * degreesPerRadian, b.lon * degreesPerRadian,
                        b.lat * degreesPerRadian, &distance, &azimuth),
                  RIG_OK);
        const QByteArray path = (from + u'-' + to).toLatin1();
        EXPECT_NEAR(ours, distance, 0.01 * distance) << path.constData();
        // hamlib gives whole degrees, 360 for a bearing a hair west of north.
        EXPECT_LE(std::fabs(bearingDifference(bearing, azimuth)), 0.6)
            << path.constData() << " ours " << bearing << " hamlib " << azimuth;
        ++compared;
    }

    int compared = 0;
};

TEST_F(CrossCheck, DistanceAndBearingAgreeWithHamlibOverRandomAndSporadicEPaths)
{
    std::mt19937 random(20240614);
    int attempts = 0;
    while (compared < 400 && attempts < 1000) {
        ++attempts;
        const QString from = randomLocator(random);
        const QString to = randomLocator(random);
        const auto a = at(from);
        const auto b = at(to);
        const double angle = std::acos(std::sin(a.lat) * std::sin(b.lat) +
                                       std::cos(a.lat) * std::cos(b.lat) * std::cos(a.lon - b.lon));
        // Coincident and nearly antipodal pairs have no defined bearing.
        if (from == to || angle > M_PI * 0.98) {
            continue;
        }
        compare(from, to);
    }
    // Typical one-hop paths around Europe, short ones included, where the bearing formulas differ most.
    std::uniform_int_distribution<int> step(-20, 20);
    const auto home = at("JO62QM");
    for (int i = 0; i < 200; ++i) {
        const double lat = home.lat * degreesPerRadian + step(random) * 0.5 + 0.3;
        const double lon = home.lon * degreesPerRadian + step(random) * 1.0 + 0.3;
        compare(QStringLiteral("JO62QM"), calc.CALCULATE_LOCATOR(lat, lon));
    }
    compare(QStringLiteral("IO91WM"), QStringLiteral("JN58TD"));
    compare(QStringLiteral("JO62QM"), QStringLiteral("JO62QN"));
    EXPECT_EQ(compared, 602);
    EXPECT_TRUE(logged().isEmpty());
}

} // namespace
