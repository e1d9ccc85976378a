#include "muf_calcs_fixture.h"

#include "platform/legacy_value.h"

#include <cmath>
#include <limits>
#include <vector>

using zenthra::MufCalcs;
using zenthra::legacy::format;
using zenthra::test::at;
using zenthra::test::MufCalcsTest;

namespace {

constexpr double legacyPi = 3.14159265358979;

double degrees(double radians)
{
    return radians * 180 / legacyPi;
}

TEST_F(MufCalcsTest, LocatorSyntaxNormalisesAndValidates)
{
    const struct
    {
        const char16_t* input;
        const char16_t* result;    // what the function returns
        const char16_t* rewritten; // what the caller's variable holds afterwards
    } cases[] = {
        // clang-format off
        {u"io91", u"IO91MM", u"IO91MM"},     {u"IO91W", u"IO91WM", u"IO91WM"},
        {u"IO91WM77", u"IO91WM", u"IO91WM"}, {u"AA00AA", u"AA00AA", u"AA00AA"},
        {u"RR99XX", u"RR99XX", u"RR99XX"},   {u"IO9", u"", u"IO9"},
        {u"is91aa", u"", u"IS91AA"}, {u"IO91YA", u"", u"IO91YA"},
        {u"IOA1WM", u"", u"IOA1WM"}, {u"IO9:WM", u"", u"IO9:WM"},
        {u"@O91WM", u"", u"@O91WM"}, {u"I O91", u"", u"I O91M"},  {u"ÏO91WM", u"", u"ÏO91WM"},
        // Upper-casing makes the text longer; it must still be refused.
        {u"io91ßx", u"", u"IO91SSX"},
        // A surrogate pair cut in half by the six-character limit.
        {u"IO91W\U0001F600", u"", u"IO91W\xD83D"},
        // clang-format on
    };
    for (const auto& k : cases) {
        QString loc = QStringView(k.input).toString();
        const std::string name = loc.toStdString();
        EXPECT_EQ(calc.CHECK_LOCATOR_SYNTAX(loc), QStringView(k.result).toString()) << name;
        EXPECT_EQ(loc, QStringView(k.rewritten).toString()) << name;
    }
    QString loc = QStringLiteral("IO91WM") + QString(100000, u'X');
    EXPECT_EQ(calc.CHECK_LOCATOR_SYNTAX(loc), "IO91WM");
    EXPECT_EQ(loc, "IO91WM");
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, LocatorGivesTheCentreOfItsSubsquareReadWithoutChecks)
{
    const struct
    {
        const char* locator;
        double lat; // degrees
        double lon;
    } cases[] = {
        {"IO91WM", 51.5208333333333, -0.125},
        {"AA00AA", -90 + 1.0 / 48, -180 + 1.0 / 24},
        // A text too short gives 0: the latitude needs the sixth character, the longitude the fifth.
        {"", 0, 0},
        {"IO91W", 0, -0.125},
        // Lower case is not refused here: the character codes go into the formula as they are.
        {"io91wm", 372.8541666666666, 642.5416666666666},
    };
    for (const auto& k : cases) {
        EXPECT_NEAR(degrees(at(k.locator).lat), k.lat, 1e-9) << k.locator;
        EXPECT_NEAR(degrees(at(k.locator).lon), k.lon, 1e-9) << k.locator;
    }
}

TEST_F(MufCalcsTest, LocatorOfAPositionClampsTheFieldsAtThePolesAndTheDateLine)
{
    const struct
    {
        double lat;
        double lon;
        const char* locator;
    } cases[] = {
        {90, 180, "RR00AA"}, {-90, -180, "AA00AA"}, {-0.0001, -0.0001, "II99XX"}, {1e6, 0, "JR00AA"}};
    for (const auto& k : cases) {
        EXPECT_EQ(calc.CALCULATE_LOCATOR(k.lat, k.lon), k.locator) << k.lat << ' ' << k.lon;
    }
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, EveryLocatorComesBackFromItsCentre)
{
    // Every field, with steps through the squares and subsquares.
    constexpr int count = 18 * 18 * 4 * 3 * 5 * 4;
    for (int i = 0; i < count; ++i) {
        const QChar text[] = {QChar(u'A' + i % 18),           QChar(u'A' + i / 18 % 18),
                              QChar(u'0' + i / 324 % 4 * 3),  QChar(u'0' + i / 1296 % 3 * 4),
                              QChar(u'A' + i / 3888 % 5 * 5), QChar(u'A' + i / 19440 * 7)};
        const QString loc(text, 6);
        const auto p = at(loc);
        ASSERT_EQ(calc.CALCULATE_LOCATOR(degrees(p.lat), degrees(p.lon)), loc);
    }
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, LondonToMunichPathAndSixMetreFigures)
{
    const auto a = at("IO91WM");
    const auto b = at("JN58TD");
    const double qrb = calc.CALCULATE_QRB(a.lat, a.lon, b.lat, b.lon);
    EXPECT_EQ(format(qrb, u"0.0"), "921.5");
    EXPECT_EQ(format(calc.CALCULATE_QTF(a.lat, a.lon, b.lat, b.lon), u"0.00"), "109.92");
    EXPECT_EQ(calc.CALCULATE_MIDLOCATOR(a.lat, a.lon, b.lat, b.lon), "JN29XX");
    const double elevation = calc.CALCULATE_ELEVATION(qrb, 110, 150);
    EXPECT_EQ(format(elevation, u"0.0"), "11.2");
    // Heard on six metres.
    const double critFreq =
        calc.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, qrb, elevation, 50.2, 110, 150);
    const double muf = calc.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, qrb, 110, 50.2, 150);
    EXPECT_EQ(format(critFreq, u"0.00"), "13.31");
    EXPECT_EQ(format(muf, u"0.00"), "72.59");
    EXPECT_EQ(format(calc.CALCULATE_FOT(0, qrb, elevation, 110, muf, 50.2, 150, critFreq), u"0.00"), "54.19");
    // The way back: same length, bearing from the other end.
    EXPECT_NEAR(calc.CALCULATE_QRB(b.lat, b.lon, a.lat, a.lon), qrb, 1e-9);
    EXPECT_EQ(format(calc.CALCULATE_QTF(b.lat, b.lon, a.lat, a.lon), u"0"), "299");
    // Due north carries the bearing offset; a long path sees the layer below the horizon.
    const auto north = at("JN58TM");
    EXPECT_DOUBLE_EQ(calc.CALCULATE_QTF(b.lat, b.lon, north.lat, north.lon), 0.49);
    EXPECT_EQ(format(calc.CALCULATE_ELEVATION(2400, 110, 150), u"0.00"), "-0.23");
    EXPECT_GT(calc.CALCULATE_ELEVATION(1000, 110, 0), calc.CALCULATE_ELEVATION(1000, 110, 2000));
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(MufCalcsTest, CoincidentAndAntipodalPointsNeedNoSquareRootOfANegativeNumber)
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
    EXPECT_EQ(log.intErrorLogged, 0);
}

TEST_F(MufCalcsTest, DestinationLiesTwiceAsFarOnTheSameBearing)
{
    const struct
    {
        const char* from;
        const char* towards;
        const char* destination;
        const char* midpoint;
    } cases[] = {
        {"IO91WM", "JN58TD", "KN03UR", "JN29XX"},
        // Due north and due south keep the longitude.
        {"JN58TD", "JN58TM", "JN58TV", "JN58TH"},
        {"JN58TD", "JN57TD", "JN56TD", "JN57TP"},
        // Past the 180th meridian eastwards and westwards: the other side of the grid.
        {"PM95VQ", "RL65AA", "AJ98AR", "QM81JI"},
        {"BL11BH", "AL50AA", "RK97CW", "AL80AS"},
    };
    for (const auto& k : cases) {
        const auto a = at(k.from);
        const auto b = at(k.towards);
        EXPECT_EQ(calc.DESTINATION_LOCATOR(a.lat, a.lon, b.lat, b.lon), k.destination)
            << k.from << '_' << k.towards;
        EXPECT_EQ(calc.CALCULATE_MIDLOCATOR(a.lat, a.lon, b.lat, b.lon), k.midpoint)
            << k.from << '_' << k.towards;
    }
    EXPECT_TRUE(logged().isEmpty());
}

QString text(double value)
{
    return QString::number(value);
}

TEST_F(MufCalcsTest, EachFailureIsLoggedWithItsArgumentsAndGivesZeroOrNothing)
{
    // These positions make the cosine of the central angle exactly 0.
    const double lon1 = 0.78207923968671811;
    const auto p = at("JO62QM");
    // A list is built left to right, so each call's log line comes in the order of the rows.
    const struct
    {
        QString result;
        const char* expected;
        const char* logged;
    } cases[] = {
        {calc.CALCULATE_LOCATOR(1e300, 0), "", "6 - CALCULATE_LOCATOR(1E+300, 0)"},
        {calc.CALCULATE_LOCATOR(std::nan(""), 0), "", "6 - CALCULATE_LOCATOR(NaN, 0)"},
        // On the equator itself the bearing formula divides by zero (no locator centre lies there).
        {text(calc.CALCULATE_QTF(0, 0, 0, 0.01)), "0", "11 - CALCULATE_QTF(0, 0, 0, 0.01)"},
        {text(calc.CALCULATE_QRB(0.7, lon1, -0.7, 0)), "0",
         "11 - CALCULATE_QRB(0.7, 0.782079239686718, -0.7, 0)"},
        // The bearing does not go on after a division by zero: 0, not 0.49.
        {text(calc.CALCULATE_QTF(0.7, lon1, -0.7, 0)), "0",
         "11 - CALCULATE_QTF(0.7, 0.782079239686718, -0.7, 0)"},
        {text(calc.CALCULATE_ELEVATION(0, 110, 150)), "0", "11 - CALCULATE_ELEVATION(0, 110, 150)"},
        {calc.CALCULATE_MIDLOCATOR(0.5, 0.25, 0.5, 0.25), "",
         "6 - CALCULATE_MIDLOCATOR(0.5, 0.25, 0.5, 0.25)"},
        {calc.DESTINATION_LOCATOR(0.5, 0.25, 0.5, 0.25), "", "6 - DESTINATION_LOCATOR(0.5, 0.25, 0.5, 0.25)"},
        {text(calc.Asin(1)), "0", "11 - Asin(1)"},
        {text(calc.Asin(2)), "0", "5 - Asin(2)"},
        // The log names x before y.
        {text(calc.Atan2(1e300, 1e-300)), "0", "6 - Atan2(1E-300, 1E+300)"},
        {text(calc.RADIAN_DEGREES(1e308)), "0", "6 - RADIAN_DEGREES(1E+308)"},
        // A layer as deep as the earth's radius: the grazing ray divides by zero.
        {text(calc.CALCULATE_MUF(p.lat, p.lon, p.lat, p.lon, 0, -6371.291, 50.2, 0)), "0",
         "11 - CALCULATE_MUF(0, -6371.291, 50.2)"},
        {text(calc.CALCULATE_CRITFREQ(p.lat, p.lon, p.lat, p.lon, 0, 90, 50.2, -6371.291, 0)), "0",
         "11 - CALCULATE_CRITFREQ(0, 90, 50.2, -6371.291, 0)"},
        // A zero-length path reflected at ground level: 0/0.
        {text(calc.CALCULATE_MUF(p.lat, p.lon, p.lat, p.lon, 0, 0, 50.2, 0)), "0",
         "6 - CALCULATE_MUF(0, 0, 50.2)"},
        // The weighted sum overflows.
        {text(calc.CALCULATE_FOT(1, 2, 10, 110, 1e308, 50.2, 150, -1e308)), "0",
         "6 - CALCULATE_FOT(10, 110, 1E+308, 50.2, 150, -1E+308)"},
    };
    QStringList expected;
    for (const auto& k : cases) {
        EXPECT_EQ(k.result, k.expected) << k.logged;
        expected << k.logged;
    }
    EXPECT_EQ(logged(), expected);
    EXPECT_EQ(log.intErrorLogged, 1);
}

TEST_F(MufCalcsTest, NoNumberThatIsNotFiniteLeavesTheLibrary)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> odd = {nan, inf, -inf, -0.0, 1e308, 1e-310, legacyPi / 2};
    const auto check = [](double value) { return std::isfinite(value); };
    for (const double v : odd) {
        for (const double w : {0.5, v}) {
            EXPECT_TRUE(check(calc.CALCULATE_QRB(v, 0.1, w, 0.2))) << v;
            EXPECT_TRUE(check(calc.CALCULATE_QTF(0.1, v, 0.2, w))) << v;
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
    // Garbage locator texts give finite figures too.
    for (const QString& text : {QStringLiteral("I"), QStringLiteral("ÿÿÿÿÿÿ"),
                                QStringLiteral("\U0001F600\U0001F600\U0001F600"), QString(6, QChar(0))}) {
        const auto p = at(text);
        const auto q = at("JN58TD");
        ASSERT_TRUE(std::isfinite(p.lat) && std::isfinite(p.lon)) << qPrintable(text);
        EXPECT_TRUE(std::isfinite(calc.CALCULATE_QRB(p.lat, p.lon, q.lat, q.lon)));
        EXPECT_TRUE(std::isfinite(calc.CALCULATE_QTF(p.lat, p.lon, q.lat, q.lon)));
    }
}

} // namespace
