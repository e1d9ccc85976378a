#include "muf_calcs_fixture.h"

#include "platform/legacy_value.h"

#include <cmath>
#include <limits>
#include <vector>

using zenthra::legacy::format;
using zenthra::test::at;
using zenthra::test::MufCalcsTest;

namespace {

constexpr double legacyPi = 3.14159265358979;

double degrees(double radians)
{
    return radians * 180 / legacyPi;
}

// ---- CHECK_LOCATOR_SYNTAX ------------------------------------------------------------------

struct SyntaxCase
{
    const char16_t* input;
    const char16_t* result;    // what the function returns
    const char16_t* rewritten; // what the caller's variable holds afterwards
};

void PrintTo(const SyntaxCase& c, std::ostream* os)
{
    *os << '"' << QString::fromUtf16(c.input).toStdString() << '"';
}

class LocatorSyntax : public MufCalcsTest, public ::testing::WithParamInterface<SyntaxCase>
{
};

TEST_P(LocatorSyntax, NormalisesAndValidates)
{
    QString loc = QStringView(GetParam().input).toString();
    EXPECT_EQ(calc.CHECK_LOCATOR_SYNTAX(loc), QStringView(GetParam().result).toString());
    EXPECT_EQ(loc, QStringView(GetParam().rewritten).toString());
    EXPECT_TRUE(logged().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocatorSyntax,
    ::testing::Values(SyntaxCase{u"io91", u"IO91MM", u"IO91MM"}, SyntaxCase{u"IO91W", u"IO91WM", u"IO91WM"},
                      SyntaxCase{u"IO91WM77", u"IO91WM", u"IO91WM"},
                      SyntaxCase{u"jn58td", u"JN58TD", u"JN58TD"}, SyntaxCase{u"IO9", u"", u"IO9"},
                      SyntaxCase{u"", u"", u""}, SyntaxCase{u"IS91AA", u"", u"IS91AA"},
                      SyntaxCase{u"is91aa", u"", u"IS91AA"}, SyntaxCase{u"SA00AA", u"", u"SA00AA"},
                      SyntaxCase{u"IO91YA", u"", u"IO91YA"}, SyntaxCase{u"IO91AY", u"", u"IO91AY"},
                      SyntaxCase{u"IOA1WM", u"", u"IOA1WM"}, SyntaxCase{u"IO9:WM", u"", u"IO9:WM"},
                      SyntaxCase{u"@O91WM", u"", u"@O91WM"}, SyntaxCase{u"AA00AA", u"AA00AA", u"AA00AA"},
                      SyntaxCase{u"RR99XX", u"RR99XX", u"RR99XX"}, SyntaxCase{u"I O91", u"", u"I O91M"},
                      SyntaxCase{u"ÏO91WM", u"", u"ÏO91WM"},
                      // Upper-casing makes the text longer; it must still be refused.
                      SyntaxCase{u"io91ßx", u"", u"IO91SSX"},
                      // A surrogate pair cut in half by the six-character limit.
                      SyntaxCase{u"IO91W\U0001F600", u"", u"IO91W\xD83D"}));

TEST_F(MufCalcsTest, VeryLongLocatorTextIsCutToSixCharacters)
{
    QString loc = QStringLiteral("IO91WM") + QString(100000, u'X');
    EXPECT_EQ(calc.CHECK_LOCATOR_SYNTAX(loc), "IO91WM");
    EXPECT_EQ(loc, "IO91WM");
}

// ---- Locator to position and back ------------------------------------------------------------

TEST_F(MufCalcsTest, LocatorGivesTheCentreOfItsSubsquare)
{
    const auto london = at("IO91WM");
    EXPECT_NEAR(degrees(london.lat), 51.5208333, 1e-7);
    EXPECT_NEAR(degrees(london.lon), -0.125, 1e-12);
    EXPECT_EQ(calc.CALCULATE_LOCATOR(51.5208333, -0.125), "IO91WM");

    const auto southWest = at("AA00AA");
    EXPECT_NEAR(degrees(southWest.lat), -90 + 1.0 / 48, 1e-12);
    EXPECT_NEAR(degrees(southWest.lon), -180 + 1.0 / 24, 1e-12);
    const auto northEast = at("RR99XX");
    EXPECT_NEAR(degrees(northEast.lat), 90 - 1.0 / 48, 1e-12);
    EXPECT_NEAR(degrees(northEast.lon), 180 - 1.0 / 24, 1e-12);
    // The radian value is the degree value times the program's circle constant over 180.
    EXPECT_DOUBLE_EQ(calc.DEGREES_RADIAN(51.520833333333333), london.lat);
    EXPECT_DOUBLE_EQ(calc.RADIAN_DEGREES(london.lat), 51.520833333333333);
}

TEST_F(MufCalcsTest, EveryLocatorComesBackFromItsCentre)
{
    int checked = 0;
    for (char16_t fx = u'A'; fx <= u'R'; ++fx) {
        for (char16_t fy = u'A'; fy <= u'R'; ++fy) {
            for (char16_t sx = u'0'; sx <= u'9'; sx += 3) {
                for (char16_t sy = u'0'; sy <= u'9'; sy += 4) {
                    for (char16_t ux = u'A'; ux <= u'X'; ux += 5) {
                        for (char16_t uy = u'A'; uy <= u'X'; uy += 7) {
                            const QChar text[] = {QChar(fx), QChar(fy), QChar(sx),
                                                  QChar(sy), QChar(ux), QChar(uy)};
                            const QString loc(text, 6);
                            const auto p = at(loc);
                            ASSERT_EQ(calc.CALCULATE_LOCATOR(degrees(p.lat), degrees(p.lon)), loc);
                            ++checked;
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(checked, 18 * 18 * 4 * 3 * 5 * 4);
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, ShortOrOddLocatorTextsAreReadWithoutChecks)
{
    EXPECT_EQ(zenthra::MufCalcs::LOCATOR_TO_LATITUDE(u""), 0);
    EXPECT_EQ(zenthra::MufCalcs::LOCATOR_TO_LONGITUDE(u""), 0);
    // The latitude needs the sixth character, the longitude the fifth.
    EXPECT_EQ(zenthra::MufCalcs::LOCATOR_TO_LATITUDE(u"IO91W"), 0);
    EXPECT_NEAR(degrees(zenthra::MufCalcs::LOCATOR_TO_LONGITUDE(u"IO91W")), -0.125, 1e-12);
    EXPECT_EQ(zenthra::MufCalcs::LOCATOR_TO_LONGITUDE(u"IO91"), 0);
    // Lower case is not refused here: the character codes go into the formula as they are.
    EXPECT_NEAR(degrees(zenthra::MufCalcs::LOCATOR_TO_LONGITUDE(u"io91wm")), 642.5416666666666, 1e-9);
    EXPECT_NEAR(degrees(zenthra::MufCalcs::LOCATOR_TO_LATITUDE(u"io91wm")), 372.8541666666666, 1e-9);
    // Only the first six characters count.
    EXPECT_EQ(at("IO91WMXX").lat, at("IO91WM").lat);
    EXPECT_EQ(at("IO91WMXX").lon, at("IO91WM").lon);
}

TEST_F(MufCalcsTest, LocatorOfThePolesAndTheDateLineClampsTheFieldsOnly)
{
    EXPECT_EQ(calc.CALCULATE_LOCATOR(90, 180), "RR00AA");
    EXPECT_EQ(calc.CALCULATE_LOCATOR(-90, -180), "AA00AA");
    EXPECT_EQ(calc.CALCULATE_LOCATOR(0, 0), "JJ00AA");
    EXPECT_EQ(calc.CALCULATE_LOCATOR(-0.0001, -0.0001), "II99XX");
    EXPECT_EQ(calc.CALCULATE_LOCATOR(1e6, 0), "JR00AA");
    EXPECT_EQ(calc.CALCULATE_LOCATOR(-1e6, 0), "JA00AA");
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, LocatorOfAnOverflowingPositionIsLoggedAndEmpty)
{
    EXPECT_EQ(calc.CALCULATE_LOCATOR(1e300, 0), "");
    EXPECT_EQ(calc.CALCULATE_LOCATOR(0, 1e20), "");
    EXPECT_EQ(calc.CALCULATE_LOCATOR(std::nan(""), 0), "");
    EXPECT_EQ(logged(), QStringList({"6 - CALCULATE_LOCATOR(1E+300, 0)", "6 - CALCULATE_LOCATOR(0, 1E+20)",
                                     "6 - CALCULATE_LOCATOR(NaN, 0)"}));
    EXPECT_EQ(log.intErrorLogged, 1);
}

// ---- The path IO91WM to JN58TD -------------------------------------------------------------

TEST_F(MufCalcsTest, LondonToMunichPathFigures)
{
    const auto a = at("IO91WM");
    const auto b = at("JN58TD");
    const double qrb = calc.CALCULATE_QRB(a.lat, a.lon, b.lat, b.lon);
    EXPECT_EQ(format(qrb, u"0.0"), "921.5");
    EXPECT_EQ(format(calc.CALCULATE_QTF(a.lat, a.lon, b.lat, b.lon), u"0.00"), "109.92");
    EXPECT_EQ(calc.CALCULATE_MIDLOCATOR(a.lat, a.lon, b.lat, b.lon), "JN29XX");
    EXPECT_EQ(calc.DESTINATION_LOCATOR(a.lat, a.lon, b.lat, b.lon), "KN03UR");
    EXPECT_EQ(format(calc.CALCULATE_ELEVATION(qrb, 110, 150), u"0.0"), "11.2");
    // The way back: same length, bearing from the other end.
    EXPECT_NEAR(calc.CALCULATE_QRB(b.lat, b.lon, a.lat, a.lon), qrb, 1e-9);
    EXPECT_EQ(format(calc.CALCULATE_QTF(b.lat, b.lon, a.lat, a.lon), u"0"), "299");
    EXPECT_EQ(calc.CALCULATE_MIDLOCATOR(b.lat, b.lon, a.lat, a.lon), "JN29XX");
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, EarthRadiusDependsOnTheLatitudesOfThePath)
{
    // 111.1451 km per degree less 0.56 km times the cosine of the latitude sum, per radian.
    EXPECT_NEAR(calc.EARTH_RADIUS(0, 0), (111.1451 - 0.56) * 180 / legacyPi, 1e-9);
    EXPECT_NEAR(calc.EARTH_RADIUS(legacyPi / 4, legacyPi / 4), 111.1451 * 180 / legacyPi, 1e-9);
    EXPECT_NEAR(calc.EARTH_RADIUS(0.3, 0.5), (111.1451 - 0.56 * std::cos(0.8)) * 180 / legacyPi, 1e-9);
}

// ---- Bearings --------------------------------------------------------------------------------

TEST_F(MufCalcsTest, BearingsOfTheCardinalDirectionsCarryTheOffset)
{
    const auto home = at("JN58TD");
    const auto north = at("JN58TM");
    const auto south = at("JN57TD");
    EXPECT_DOUBLE_EQ(calc.CALCULATE_QTF(home.lat, home.lon, north.lat, north.lon), 0.49);
    EXPECT_DOUBLE_EQ(calc.CALCULATE_QTF(home.lat, home.lon, south.lat, south.lon), 180.49);
    // Next to the equator a path along it heads due east or west.
    EXPECT_NEAR(calc.CALCULATE_QTF(1e-4, 0, 1e-4, 0.01), 90.49, 0.001);
    EXPECT_NEAR(calc.CALCULATE_QTF(-1e-4, 0, -1e-4, -0.01), 270.49, 0.001);
    EXPECT_TRUE(logged().isEmpty());
    // On the equator itself the bearing formula divides by zero (no locator centre lies there).
    EXPECT_EQ(calc.CALCULATE_QTF(0, 0, 0, 0.01), 0);
    EXPECT_EQ(logged(), QStringList({"11 - CALCULATE_QTF(0, 0, 0, 0.01)"}));
}

TEST_F(MufCalcsTest, CoincidentPointsHaveNoLengthAndBearingPointFortyNineWithoutALogLine)
{
    // Every latitude a locator can have, at a few longitudes: the formula's rounding must not
    // turn a point into a short path heading south.
    for (int row = 0; row < 18 * 10 * 24; ++row) {
        const double lat = calc.DEGREES_RADIAN(-90 + row / 24 + (row % 24) / 24.0 + 1.0 / 48);
        for (const double lon : {-3.0, -0.0021, 0.2, 2.9}) {
            ASSERT_EQ(calc.CALCULATE_QTF(lat, lon, lat, lon), 0.49) << row;
            ASSERT_EQ(calc.CALCULATE_QRB(lat, lon, lat, lon), 0) << row;
        }
    }
    EXPECT_TRUE(logged().isEmpty());
    EXPECT_EQ(log.intErrorLogged, 0);
}

TEST_F(MufCalcsTest, NearlyCoincidentAndAntipodalPointsAreNoSquareRootOfANegativeNumber)
{
    // Rounding can put the cosine of the central angle a step beyond 1 or -1 here.
    for (int i = 0; i < 400; ++i) {
        const double lat = -1.5 + i * 0.0075;
        for (const double dlon : {1e-9, -3e-10, 2e-12}) {
            EXPECT_LT(calc.CALCULATE_QRB(lat, 0.3, lat, 0.3 + dlon), 0.01);
            EXPECT_LT(calc.CALCULATE_QRB(lat, 0.3, -lat, 0.3 + dlon - legacyPi), 20100);
            EXPECT_GT(calc.CALCULATE_QRB(lat, 0.3, -lat, 0.3 + dlon - legacyPi), 19900);
        }
    }
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, ZeroCosineTermIsADivisionByZeroInDistanceAndBearing)
{
    // These positions make the cosine of the central angle exactly 0.
    const double lat1 = 0.7;
    const double lon1 = 0.78207923968671811;
    const double lat2 = -0.7;
    EXPECT_EQ(calc.CALCULATE_QRB(lat1, lon1, lat2, 0), 0);
    // The bearing does not go on after a division by zero: 0, not 0.49.
    EXPECT_EQ(calc.CALCULATE_QTF(lat1, lon1, lat2, 0), 0);
    EXPECT_EQ(logged(), QStringList({"11 - CALCULATE_QRB(0.7, 0.782079239686718, -0.7, 0)",
                                     "11 - CALCULATE_QTF(0.7, 0.782079239686718, -0.7, 0)"}));
}

// ---- Elevation -------------------------------------------------------------------------------

struct ElevationCase
{
    double qrb;
    const char16_t* pattern;
    const char* expected;
};

void PrintTo(const ElevationCase& c, std::ostream* os)
{
    *os << c.qrb << "km";
}

class Elevation : public MufCalcsTest, public ::testing::WithParamInterface<ElevationCase>
{
};

TEST_P(Elevation, FallsWithPathLengthAndGoesBelowTheHorizon)
{
    const auto& c = GetParam();
    EXPECT_EQ(format(calc.CALCULATE_ELEVATION(c.qrb, 110, 150), c.pattern), c.expected);
    EXPECT_TRUE(logged().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, Elevation,
                         ::testing::Values(ElevationCase{500, u"0.0", "22.4"},
                                           ElevationCase{1000, u"0.0", "10.0"},
                                           ElevationCase{2000, u"0.0", "1.7"},
                                           ElevationCase{2300, u"0.00", "0.22"},
                                           ElevationCase{2400, u"0.00", "-0.23"}));

TEST_F(MufCalcsTest, ElevationFollowsTheStationHeight)
{
    // A higher station sees the same reflection point lower.
    EXPECT_GT(calc.CALCULATE_ELEVATION(1000, 110, 0), calc.CALCULATE_ELEVATION(1000, 110, 2000));
    // A station height of 0 and a short path: nearly straight up.
    EXPECT_NEAR(calc.CALCULATE_ELEVATION(1, 110, 0), 90 - std::atan(0.5 / 110) * 180 / legacyPi, 0.01);
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, ElevationOfAZeroLengthPathIsLoggedAndZero)
{
    EXPECT_EQ(calc.CALCULATE_ELEVATION(0, 110, 150), 0);
    EXPECT_EQ(calc.CALCULATE_ELEVATION(0, 0, 0), 0);
    EXPECT_EQ(logged(),
              QStringList({"11 - CALCULATE_ELEVATION(0, 110, 150)", "6 - CALCULATE_ELEVATION(0, 0, 0)"}));
}

// ---- Mid-point and destination -------------------------------------------------------------

TEST_F(MufCalcsTest, MidpointOfIdenticalPointsIsLoggedAndEmpty)
{
    EXPECT_EQ(calc.CALCULATE_MIDLOCATOR(0.5, 0.25, 0.5, 0.25), "");
    EXPECT_EQ(calc.DESTINATION_LOCATOR(0.5, 0.25, 0.5, 0.25), "");
    EXPECT_EQ(logged(), QStringList({"6 - CALCULATE_MIDLOCATOR(0.5, 0.25, 0.5, 0.25)",
                                     "6 - DESTINATION_LOCATOR(0.5, 0.25, 0.5, 0.25)"}));
}

struct DestinationCase
{
    const char* from;
    const char* towards;
    const char* destination;
    const char* midpoint;
};

void PrintTo(const DestinationCase& c, std::ostream* os)
{
    *os << c.from << "_towards_" << c.towards;
}

class Destination : public MufCalcsTest, public ::testing::WithParamInterface<DestinationCase>
{
};

TEST_P(Destination, LiesTwiceAsFarOnTheSameBearing)
{
    const auto& c = GetParam();
    const auto a = at(c.from);
    const auto b = at(c.towards);
    const QString destination = calc.DESTINATION_LOCATOR(a.lat, a.lon, b.lat, b.lon);
    EXPECT_EQ(destination, c.destination);
    EXPECT_EQ(calc.CALCULATE_MIDLOCATOR(a.lat, a.lon, b.lat, b.lon), c.midpoint);
    // Independent check: the destination's centre is about twice as far, on about the same bearing.
    const auto d = at(destination);
    const double qrb = calc.CALCULATE_QRB(a.lat, a.lon, b.lat, b.lon);
    EXPECT_NEAR(calc.CALCULATE_QRB(a.lat, a.lon, d.lat, d.lon), 2 * qrb, 10);
    EXPECT_NEAR(calc.CALCULATE_QTF(a.lat, a.lon, d.lat, d.lon),
                calc.CALCULATE_QTF(a.lat, a.lon, b.lat, b.lon), 0.5);
    EXPECT_TRUE(logged().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Destination,
    ::testing::Values(DestinationCase{"IO91WM", "JN58TD", "KN03UR", "JN29XX"},
                      // Due north and due south keep the longitude.
                      DestinationCase{"JN58TD", "JN58TM", "JN58TV", "JN58TH"},
                      DestinationCase{"JN58TD", "JN57TD", "JN56TD", "JN57TP"},
                      DestinationCase{"KP20AA", "KP40AA", "KO69AV", "KP30AA"},
                      // Past the 180th meridian eastwards and westwards: the other side of the grid.
                      DestinationCase{"PM95VQ", "RL65AA", "AJ98AR", "QM81JI"},
                      DestinationCase{"BL11BH", "AL50AA", "RK97CW", "AL80AS"},
                      DestinationCase{"QD95AA", "RE78AA", "AG22DL", "RE31MF"}));

TEST_F(MufCalcsTest, DueNorthAndSouthDestinationsStayOnTheLongitude)
{
    const auto home = at("KO85TS");
    for (const char* other : {"KO85TX", "KO86TA", "KO88TE", "KO83TS", "KO80TA", "KO84TL"}) {
        const auto b = at(other);
        const auto d = at(calc.DESTINATION_LOCATOR(home.lat, home.lon, b.lat, b.lon));
        EXPECT_EQ(d.lon, home.lon) << other;
        EXPECT_EQ(d.lat > home.lat, b.lat > home.lat) << other;
        EXPECT_NEAR(degrees(d.lat - home.lat), 2 * degrees(b.lat - home.lat), 1.0 / 24) << other;
    }
}

// ---- Inverse functions -----------------------------------------------------------------------

TEST_F(MufCalcsTest, InverseFunctionsAtTheirLimits)
{
    EXPECT_EQ(calc.Acos(1), 0);
    EXPECT_EQ(calc.Acos(-1), legacyPi);
    EXPECT_EQ(calc.Acos(1.5), 0);
    EXPECT_EQ(calc.Acos(-7), legacyPi);
    EXPECT_NEAR(calc.Acos(0.5), std::acos(0.5), 1e-15);
    EXPECT_NEAR(calc.Acos(-0.25), std::acos(-0.25), 1e-15);
    EXPECT_NEAR(calc.Asin(0.5), std::asin(0.5), 1e-15);
    EXPECT_NEAR(calc.Asin(-0.999), std::asin(-0.999), 1e-12);

    EXPECT_EQ(calc.Atan2(0, 0), -legacyPi / 2);
    EXPECT_EQ(calc.Atan2(0, -1), legacyPi);
    EXPECT_EQ(calc.Atan2(-0.0, -1), legacyPi); // y >= 0 holds for -0
    EXPECT_EQ(calc.Atan2(1, 0), legacyPi / 2);
    EXPECT_EQ(calc.Atan2(-1, 0), -legacyPi / 2);
    EXPECT_NEAR(calc.Atan2(1, 1), std::atan(1.0), 1e-15);
    EXPECT_NEAR(calc.Atan2(-1, -1), std::atan(1.0) - legacyPi, 1e-15);
    EXPECT_NEAR(calc.Atan2(1, -1), legacyPi - std::atan(1.0), 1e-15);
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, InverseFunctionFailuresAreLoggedAndGiveZero)
{
    EXPECT_EQ(calc.Asin(1), 0);
    EXPECT_EQ(calc.Asin(-1), 0);
    EXPECT_EQ(calc.Asin(2), 0);
    // The log names x before y.
    EXPECT_EQ(calc.Atan2(1e300, 1e-300), 0);
    EXPECT_EQ(calc.RADIAN_DEGREES(1e308), 0);
    EXPECT_EQ(logged(), QStringList({"11 - Asin(1)", "11 - Asin(-1)", "5 - Asin(2)",
                                     "6 - Atan2(1E-300, 1E+300)", "6 - RADIAN_DEGREES(1E+308)"}));
}

// ---- Nothing undefined ever comes out -------------------------------------------------------

TEST_F(MufCalcsTest, NoNumberThatIsNotFiniteLeavesTheLibrary)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> odd = {nan, inf, -inf, 0, -0.0, 1e308, -1e308, 1e-310, legacyPi / 2, 1};
    const auto check = [](double value) { return std::isfinite(value); };
    for (const double v : odd) {
        for (const double w : {0.5, v}) {
            EXPECT_TRUE(check(calc.CALCULATE_QRB(v, 0.1, w, 0.2))) << v;
            EXPECT_TRUE(check(calc.CALCULATE_QTF(0.1, v, 0.2, w))) << v;
            EXPECT_TRUE(check(calc.EARTH_RADIUS(v, w))) << v;
            EXPECT_TRUE(check(calc.CALCULATE_ELEVATION(v, 110, w))) << v;
            EXPECT_TRUE(check(calc.CALCULATE_ELEVATION(1000, v, 150))) << v;
            EXPECT_TRUE(check(calc.Acos(v)) && check(calc.Asin(v)) && check(calc.Atan2(v, w))) << v;
            EXPECT_TRUE(check(calc.RADIAN_DEGREES(v)) && check(calc.DEGREES_RADIAN(v))) << v;
            EXPECT_TRUE(check(calc.CALCULATE_CRITFREQ(v, 0.1, w, 0.2, 0, 0, 50, 110, 0))) << v;
            EXPECT_TRUE(check(calc.CALCULATE_MUF(0.5, 0.1, 0.6, 0.2, 0, v, w, 0))) << v;
            EXPECT_TRUE(check(calc.CALCULATE_FOT(0, 0, v, 110, w, 50, 0, 10))) << v;
            for (const QString& loc :
                 {calc.CALCULATE_MIDLOCATOR(v, 0.1, w, 0.2), calc.DESTINATION_LOCATOR(0.1, v, 0.3, w),
                  calc.CALCULATE_LOCATOR(v, w)}) {
                EXPECT_TRUE(loc.isEmpty() || loc.size() == 6) << qPrintable(loc);
            }
        }
    }
}

TEST_F(MufCalcsTest, GarbageLocatorTextsGiveFiniteFigures)
{
    const QStringList texts = {QString(),
                               QStringLiteral("I"),
                               QStringLiteral("io91wm"),
                               QStringLiteral("ÿÿÿÿÿÿ"),
                               QStringLiteral("\U0001F600\U0001F600\U0001F600"),
                               QStringLiteral("IO91W"),
                               QString(6, QChar(0))};
    for (const QString& text : texts) {
        const auto p = at(text);
        const auto q = at("JN58TD");
        ASSERT_TRUE(std::isfinite(p.lat) && std::isfinite(p.lon)) << qPrintable(text);
        EXPECT_TRUE(std::isfinite(calc.CALCULATE_QRB(p.lat, p.lon, q.lat, q.lon)));
        EXPECT_TRUE(std::isfinite(calc.CALCULATE_QTF(p.lat, p.lon, q.lat, q.lon)));
        const QString mid = calc.CALCULATE_MIDLOCATOR(p.lat, p.lon, q.lat, q.lon);
        const QString destination = calc.DESTINATION_LOCATOR(q.lat, q.lon, p.lat, p.lon);
        EXPECT_TRUE(mid.isEmpty() || mid.size() == 6);
        EXPECT_TRUE(destination.isEmpty() || destination.size() == 6);
    }
}

} // namespace
