#include "core/error_log.h"
#include "platform/clock.h"
#include "propagation/prop_classifier.h"
#include "propagation/prop_keywords.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

using namespace zenthra;

namespace {

ClassifierOptions limits(float min6 = 300, float max6 = 5000, float min4 = 0, float min2 = 0)
{
    ClassifierOptions o;
    o.sngMinEsQrb6m = min6;
    o.sngMaxEsQrb6m = max6;
    o.sngMinEsQrb4m = min4;
    o.sngMinEsQrb2m = min2;
    return o;
}

ClassifierOptions with(ClassifierOptions o, bool jt6m, bool wsjt, bool jt65, bool windows)
{
    o.blnDigiJt6m = jt6m;
    o.blnDigiWsjt = wsjt;
    o.blnDigiJt65 = jt65;
    o.blnEs2mWindows = windows;
    return o;
}

struct Case
{
    const char* name;
    const char* text; // as the processor passes it: upper case, one blank each side
    const char* call;
    double freq;
    double qrb;
    ClassifierOptions options;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << c.name;
}

const ClassifierOptions none = limits(0, 0, 0, 0);
const ClassifierOptions std6 = limits(300, 5000);
const ClassifierOptions min2 = limits(300, 5000, 0, 1400);
const ClassifierOptions windows = with(min2, false, false, false, true);
const ClassifierOptions digi = with(std6, true, true, true, false);
const ClassifierOptions wsjtOnly = with(std6, false, true, false, false);
const ClassifierOptions jt65Only = with(std6, false, false, true, false);

// clang-format off
const Case cases[] = {
    // Keyword search: first row in list order wins; blanks of a keyword take part.
    {"NilEsBeforeEs",         " NIL ES ",        "DL1AA",  50.11,  1500, std6, "UNKNOWN"},
    {"EsPrefixKeyword",       " ESSEN ",         "DL1AA",  50.11,  1500, none, "ES"},
    {"WholeWordMsNotInMsk",   " MSK ",           "DL1AA",  50.11,  1500, none, "F2"},
    {"WholeWordMs",           " MS ",            "DL1AA",  50.11,  1500, none, "MS"},
    {"LowerCaseComment",      " sporadic ",      "DL1AA",  144.3,  1000, none, "ES"},
    {"ApostropheKeyword",     " E'S ",           "DL1AA",  50.11,  1500, none, "ES"},
    {"ApostrophePhrase",      " I'LL CALL ",     "DL1AA",  50.11,  1500, std6, "UNKNOWN"},
    // The examples of the mode rules.
    {"EsShort6mIsTropo",      " ES ",            "DL1AA",  50.11,  60,   std6, "TROPO"},
    {"EsLong6mStaysEs",       " ES ",            "DL1AA",  50.11,  1500, std6, "ES"},
    {"NoKeyword6mEs",         " ",               "DL1AA",  50.11,  1500, std6, "ES"},
    {"NoKeyword6mF2",         " ",               "DL1AA",  50.11,  6000, std6, "F2"},
    {"NoKeyword6mTropo",      " ",               "DL1AA",  50.11,  200,  std6, "TROPO"},
    {"NoKeyword6mZero",       " ",               "DL1AA",  50.11,  0,    std6, "UNKNOWN"},
    {"NoKeyword6mMinZero",    " ",               "DL1AA",  50.11,  1500, limits(0, 5000), "TROPO"},
    {"Hf14Zero",              " ",               "DL1AA",  14.2,   0,    std6, "F2"},
    {"Hf14Short",             " ",               "DL1AA",  14.2,   500,  std6, "UNKNOWN"},
    {"Hf14Long",              " ",               "DL1AA",  14.2,   3000, std6, "F2"},
    {"Hf14EsBeyond5200",      " ES ",            "DL1AA",  14.2,   6000, std6, "F2"},
    // Below 50 MHz: bounds 80, 1000 and 5200.
    {"HfEs79IsTropo",         " ES ",            "DL1AA",  28.5,   79.9, std6, "TROPO"},
    {"HfEs80StaysEs",         " ES ",            "DL1AA",  28.5,   80,   std6, "ES"},
    {"Hf80Unknown",           " ",               "DL1AA",  28.5,   80,   std6, "UNKNOWN"},
    {"Hf999Unknown",          " ",               "DL1AA",  28.5,   999,  std6, "UNKNOWN"},
    {"Hf1000F2",              " ",               "DL1AA",  28.5,   1000, std6, "F2"},
    {"HfEs5200StaysEs",       " ES ",            "DL1AA",  28.5,   5200, std6, "ES"},
    {"HfEs5201F2",            " ES ",            "DL1AA",  28.5,   5201, std6, "F2"},
    // 6 m: bound 110 and the user limits.
    {"SixEs109Tropo",         " ES ",            "DL1AA",  50.11,  109,  std6, "TROPO"},
    {"SixEs110StaysEs",       " ES ",            "DL1AA",  50.11,  110,  std6, "ES"},
    {"SixAtMaxEs",            " ",               "DL1AA",  50.11,  5000, std6, "ES"},
    {"SixBeyondMaxF2",        " ",               "DL1AA",  50.11,  5001, std6, "F2"},
    {"SixBelowMinTropo",      " ",               "DL1AA",  50.11,  299,  std6, "TROPO"},
    {"SixAtMinEs",            " ",               "DL1AA",  50.11,  300,  std6, "ES"},
    // 4 m: bounds 280 and 5200.
    {"FourEs279Tropo",        " ES ",            "DL1AA",  70.2,   279,  std6, "TROPO"},
    {"FourEs280StaysEs",      " ES ",            "DL1AA",  70.2,   280,  std6, "ES"},
    {"FourNoMinTropo",        " ",               "DL1AA",  70.2,   1000, std6, "TROPO"},
    {"FourAtMinEs",           " ",               "DL1AA",  70.2,   600,  limits(300, 5000, 600), "ES"},
    {"FourBelowMinTropo",     " ",               "DL1AA",  70.2,   599,  limits(300, 5000, 600), "TROPO"},
    {"Four5200Es",            " ",               "DL1AA",  70.2,   5200, limits(300, 5000, 600), "ES"},
    {"FourEs5201F2",          " ES ",            "DL1AA",  70.2,   5201, std6, "F2"},
    {"FourZero",              " ",               "DL1AA",  70.2,   0,    std6, "UNKNOWN"},
    // 2 m: bound 720, the minimum and 5200; the windows only fill an empty result.
    {"TwoEs719Tropo",         " ES ",            "DL1AA",  144.3,  719,  min2, "TROPO"},
    {"TwoEs720StaysEs",       " ES ",            "DL1AA",  144.3,  720,  min2, "ES"},
    {"Two720BelowMinTropo",   " ",               "DL1AA",  144.3,  720,  min2, "TROPO"},
    {"TwoAboveMinTropo",      " ",               "DL1AA",  144.3,  1500, min2, "TROPO"},
    {"Two5201Unknown",        " ",               "DL1AA",  144.3,  5201, min2, "UNKNOWN"},
    {"TwoZero",               " ",               "DL1AA",  144.3,  0,    min2, "UNKNOWN"},
    {"TwoWindowEs",           " ",               "DL1AA",  144.3,  1500, windows, "ES"},
    {"TwoWindowUpperEdge",    " ",               "DL1AA",  144.34, 1500, windows, "TROPO"},
    {"TwoWindowLowerEdge",    " ",               "DL1AA",  144.26, 1500, windows, "TROPO"},
    {"TwoLowWindowEs",        " ",               "DL1AA",  144.05, 1500, windows, "ES"},
    {"TwoLowWindowEdge",      " ",               "DL1AA",  144.045, 1500, windows, "TROPO"},
    {"TwoLowWindowTopEdge",   " ",               "DL1AA",  144.065, 1500, windows, "TROPO"},
    {"TwoWindowBelowMin",     " ",               "DL1AA",  144.3,  1399, windows, "TROPO"},
    {"TwoWindowBeyond5200",   " ",               "DL1AA",  144.3,  6000, windows, "UNKNOWN"},
    {"TwoWindowMinZero",      " ",               "DL1AA",  144.3,  1500, with(std6, false, false, false, true), "TROPO"},
    // Digital counting options override even a keyword.
    {"Jt6mOverridesEs",       " ES ",            "DL1AA",  50.25,  1500, digi, "DIGI"},
    {"Jt6mLowerBoundOut",     " ES ",            "DL1AA",  50.219, 1500, digi, "ES"},
    {"Jt6mUpperBoundIn",      " ES ",            "DL1AA",  50.3,   1500, digi, "DIGI"},
    {"Jt6mAboveOut",          " ES ",            "DL1AA",  50.301, 1500, digi, "ES"},
    {"Jt6mOptionOff",         " ES ",            "DL1AA",  50.25,  1500, std6, "ES"},
    {"WsjtLowerIn",           " ",               "DL1AA",  144.345, 800, wsjtOnly, "DIGI"},
    {"WsjtUpperIn",           " ES ",            "DL1AA",  144.4,  800,  wsjtOnly, "DIGI"},
    {"WsjtBelowOut",          " ",               "DL1AA",  144.344, 800, wsjtOnly, "TROPO"},
    {"WsjtAboveOut",          " ",               "DL1AA",  144.401, 800, wsjtOnly, "TROPO"},
    {"Jt65LowerIn",           " ",               "DL1AA",  144.1,  800,  jt65Only, "DIGI"},
    {"Jt65UpperIn",           " ",               "DL1AA",  144.15, 800,  jt65Only, "DIGI"},
    {"Jt65AboveOut",          " ",               "DL1AA",  144.151, 800, jt65Only, "TROPO"},
    {"Jt65WithWsjtSet",       " ",               "DL1AA",  144.12, 800,  digi, "DIGI"},
    // 150 to 240 MHz: bound 1399.
    {"VhfZero",               " ",               "DL1AA",  220.1,  0,    std6, "UNKNOWN"},
    {"VhfEs1398Tropo",        " ES ",            "DL1AA",  220.1,  1398, std6, "TROPO"},
    {"Vhf1398Unknown",        " ",               "DL1AA",  220.1,  1398, std6, "UNKNOWN"},
    {"Vhf1399Tropo",          " ",               "DL1AA",  220.1,  1399, std6, "TROPO"},
    {"VhfEs1399StaysEs",      " ES ",            "DL1AA",  220.1,  1399, std6, "ES"},
    // Exactly 240 MHz and above: bound 3000, "ES" never returned.
    {"At240Es",               " ES ",            "DL1AA",  240,    2000, std6, "UNKNOWN"},
    {"At240Tropo",            " ",               "DL1AA",  240,    3000, std6, "TROPO"},
    {"At240Beyond",           " ",               "DL1AA",  240,    3001, std6, "UNKNOWN"},
    {"Uhf0Tropo",             " ",               "DL1AA",  432.1,  0,    std6, "TROPO"},
    {"Uhf200Tropo",           " ",               "DL1AA",  432.1,  200,  std6, "TROPO"},
    {"Uhf3000Tropo",          " ",               "DL1AA",  432.1,  3000, std6, "TROPO"},
    {"Uhf4000Sat",            " ",               "DL1AA",  432.1,  4000, std6, "SAT"},
    {"UhfEsUnknown",          " ES ",            "DL1AA",  432.1,  4000, std6, "UNKNOWN"},
    // DX-call overrides: exact, case-sensitive, whatever the comment found.
    {"CallAuroraOverrides",   " ES ",            "AURORA", 144.2,  800,  std6, "AU"},
    {"CallAuroraLowerCase",   " CQ ",            "aurora", 144.2,  800,  std6, "TROPO"},
    {"CallMuf",               " ",               "MUF",    50.11,  1500, std6, "ES"},
    {"CallSporadic",          " TROPO ",         "SPORADIC", 50.11, 1500, std6, "ES"},
    {"CallEsShortTropo",      " ",               "ES",     50.11,  50,   std6, "TROPO"},
    {"CallFai",               " ",               "FAI",    144.3,  1000, std6, "FAI"},
    {"CallEme",               " ES ",            "EME",    144.3,  1000, std6, "EME"},
    {"CallTropo",             " AURORA ",        "TROPO",  50.11,  1500, std6, "TROPO"},
    {"CallIono",              " ",               "IONO",   144.3,  1000, std6, "IONO"},
    {"CallEsHfBeyond5200",    " ",               "ES",     14.2,   6000, std6, "F2"},
    // The "MUF" rule: a call holding MUF, 50 to 300 MHz, nothing found yet.
    {"MufInCallShortTropo",   " ",               "XMUFX",  50.1,   50,   std6, "TROPO"},
    {"MufInCallLongEs",       " ",               "XMUFX",  50.1,   1500, std6, "ES"},
    {"MufInCallBeyondMax",    " ",               "XMUFX",  50.1,   6000, std6, "ES"},
    {"MufInCallLowerCase",    " ",               "xmufx",  50.1,   6000, std6, "ES"},
    {"MufInCallBelow50",      " ",               "XMUFX",  49.9,   500,  std6, "UNKNOWN"},
    {"MufInCallKeywordWins",  " TROPO ",         "XMUFX",  50.1,   1500, std6, "TROPO"},
};
// clang-format on

class ClassifierTest : public ::testing::Test
{
protected:
    test::TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    const PropTypeList seeds = PropKeywords::seedList();
};

class Classifier : public ClassifierTest, public ::testing::WithParamInterface<Case>
{
};

} // namespace

TEST_P(Classifier, GivesTheModeOfTheRules)
{
    const Case& c = GetParam();
    EXPECT_EQ(GET_PROPAGATION(QString::fromUtf8(c.text), QString::fromUtf8(c.call), c.freq, c.qrb, seeds,
                              c.options, log),
              QString::fromLatin1(c.expected));
    EXPECT_EQ(log.intErrorLogged, 0);
}

INSTANTIATE_TEST_SUITE_P(Rules, Classifier, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClassifierTest, SeedListLoadsInSearchOrder)
{
    ASSERT_EQ(seeds.size(), 148);
    // The two "000" rows in byte order of their stored keyword, the last row "<ES>".
    EXPECT_EQ(seeds[0], (PropType{"TROPO", "<TR>"}));
    EXPECT_EQ(seeds[1], (PropType{"UNKNOWN", "NIL ES"}));
    EXPECT_EQ(seeds[147], (PropType{"ES", "<ES>"}));
    int apostrophes = 0;
    for (const PropType& row : seeds.rows()) {
        apostrophes += row.keyword.contains(u'\'') ? 1 : 0;
        EXPECT_FALSE(row.keyword.contains(u'#'));
    }
    EXPECT_EQ(apostrophes, 4);
}

TEST(ClassifierKeywords, FirstMatchIsTheFirstRowInListOrder)
{
    const PropTypeList list(QList<PropType>{{"A", "XYZ"}, {"B", " MS "}, {"C", "M"}, {"D", "Z"}});
    EXPECT_EQ(list.firstMatch(u" M MS XYZ "), 0); // found last in the text, first in the list
    EXPECT_EQ(list.firstMatch(u" MS "), 1);
    EXPECT_EQ(list.firstMatch(u" MSK "), 2);
    EXPECT_EQ(list.firstMatch(u" Z "), 3);
    EXPECT_EQ(list.firstMatch(u" Q "), -1);
    EXPECT_EQ(list.firstMatch(u""), -1);
    // Keywords and texts beyond ASCII.
    const PropTypeList accented(QList<PropType>{{"ES", QString::fromUtf8("ÉS")}, {"MS", "MS"}});
    EXPECT_EQ(accented.firstMatch(QString::fromUtf8(" ÉS ")), 0);
    EXPECT_EQ(accented.firstMatch(QString::fromUtf8(" ÄMS ")), 1);
}

TEST_F(ClassifierTest, EmptyKeywordCatchesEverySpotThatReachesIt)
{
    const PropTypeList list(QList<PropType>{{"AU", "AURORA"}, {"EME", ""}, {"ES", "ES"}});
    EXPECT_EQ(list.firstMatch(u" ANYTHING "), 1);
    EXPECT_EQ(list.firstMatch(u" AURORA "), 0);
    EXPECT_EQ(GET_PROPAGATION(" ES ", "DL1AA", 144.3, 1000, list, limits(), log), "EME");
}

TEST_F(ClassifierTest, EmptyOrAbsentListStillRunsTheRules)
{
    const PropTypeList empty;
    EXPECT_EQ(GET_PROPAGATION(" ES ", "DL1AA", 50.11, 1500, empty, limits(), log), "ES");
    EXPECT_EQ(GET_PROPAGATION(" ES ", "DL1AA", 14.2, 500, empty, limits(), log), "UNKNOWN");
    EXPECT_EQ(GET_PROPAGATION(" ", "AURORA", 14.2, 500, empty, limits(), log), "AU");
    EXPECT_EQ(log.intErrorLogged, 0);
}

TEST_F(ClassifierTest, NonFiniteNumbersLogOneLine)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(GET_PROPAGATION(" AURORA ", "DL1AA", nan, 100, seeds, limits(), log), "AU");
    EXPECT_EQ(
        GET_PROPAGATION(" ", "DL1AA", 50.1, std::numeric_limits<double>::infinity(), seeds, limits(), log),
        "UNKNOWN");
    const QStringList lines = dir.lines("muf_errors.log");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("GET_PROPAGATION( AURORA , DL1AA, ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("GET_PROPAGATION( , DL1AA, 50.1, ")) << lines[1].toStdString();
}

// The frequency reaches the classifier as the spot record holds it: single precision, 7 digits.
TEST_F(ClassifierTest, RecordFrequencyMeetsTheDigitalBoundsExactly)
{
    const struct
    {
        double khz;
        double mhz;
        const char* withDigiOptions;
    } cases[] = {{50219, 50.219, "ES"},    {50220, 50.22, "DIGI"},    {50300, 50.3, "DIGI"},
                 {50301, 50.301, "ES"},    {144345, 144.345, "DIGI"}, {144344, 144.344, "ES"},
                 {144150, 144.15, "DIGI"}, {144151, 144.151, "ES"}};
    for (const auto& k : cases) {
        const double f = spotFrequencyMhz(k.khz);
        EXPECT_EQ(f, k.mhz) << k.khz;
        EXPECT_EQ(GET_PROPAGATION(" ES ", "DL1AA", f, 1500, seeds, digi, log), k.withDigiOptions) << k.khz;
    }
}
