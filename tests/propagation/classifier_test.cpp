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
    {"WholeWordMsNotInMsk",   " MSK ",           "DL1AA",  50.11,  1500, none, "F2"},
    {"WholeWordMs",           " MS ",            "DL1AA",  50.11,  1500, none, "MS"},
    {"LowerCaseComment",      " sporadic ",      "DL1AA",  144.3,  1000, none, "ES"},
    {"ApostrophePhrase",      " I'LL CALL ",     "DL1AA",  50.11,  1500, std6, "UNKNOWN"},
    // The examples of the mode rules.
    {"NoKeyword6mZero",       " ",               "DL1AA",  50.11,  0,    std6, "UNKNOWN"},
    {"NoKeyword6mMinZero",    " ",               "DL1AA",  50.11,  1500, limits(0, 5000), "TROPO"},
    {"Hf14Zero",              " ",               "DL1AA",  14.2,   0,    std6, "F2"},
    // Below 50 MHz: bounds 80, 1000 and 5200.
    {"HfEs79IsTropo",         " ES ",            "DL1AA",  28.5,   79.9, std6, "TROPO"},
    {"HfEs80StaysEs",         " ES ",            "DL1AA",  28.5,   80,   std6, "ES"},
    {"Hf1000F2",              " ",               "DL1AA",  28.5,   1000, std6, "F2"},
    {"HfEs5201F2",            " ES ",            "DL1AA",  28.5,   5201, std6, "F2"},
    // 6 m: bound 110 and the user limits.
    {"SixEs109Tropo",         " ES ",            "DL1AA",  50.11,  109,  std6, "TROPO"},
    {"SixEs110StaysEs",       " ES ",            "DL1AA",  50.11,  110,  std6, "ES"},
    {"SixBeyondMaxF2",        " ",               "DL1AA",  50.11,  5001, std6, "F2"},
    {"SixBelowMinTropo",      " ",               "DL1AA",  50.11,  299,  std6, "TROPO"},
    // 4 m: bounds 280 and 5200.
    {"FourEs279Tropo",        " ES ",            "DL1AA",  70.2,   279,  std6, "TROPO"},
    {"FourNoMinTropo",        " ",               "DL1AA",  70.2,   1000, std6, "TROPO"},
    {"FourBelowMinTropo",     " ",               "DL1AA",  70.2,   599,  limits(300, 5000, 600), "TROPO"},
    {"FourEs5201F2",          " ES ",            "DL1AA",  70.2,   5201, std6, "F2"},
    // 2 m: bound 720, the minimum and 5200; the windows only fill an empty result.
    {"TwoEs719Tropo",         " ES ",            "DL1AA",  144.3,  719,  min2, "TROPO"},
    {"Two720BelowMinTropo",   " ",               "DL1AA",  144.3,  720,  min2, "TROPO"},
    {"Two5201Unknown",        " ",               "DL1AA",  144.3,  5201, min2, "UNKNOWN"},
    {"TwoWindowEs",           " ",               "DL1AA",  144.3,  1500, windows, "ES"},
    {"TwoWindowUpperEdge",    " ",               "DL1AA",  144.34, 1500, windows, "TROPO"},
    {"TwoLowWindowEdge",      " ",               "DL1AA",  144.045, 1500, windows, "TROPO"},
    {"TwoWindowBelowMin",     " ",               "DL1AA",  144.3,  1399, windows, "TROPO"},
    {"TwoWindowMinZero",      " ",               "DL1AA",  144.3,  1500, with(std6, false, false, false, true), "TROPO"},
    // Digital counting options override even a keyword.
    {"Jt6mOverridesEs",       " ES ",            "DL1AA",  50.25,  1500, digi, "DIGI"},
    {"Jt6mOptionOff",         " ES ",            "DL1AA",  50.25,  1500, std6, "ES"},
    {"WsjtUpperIn",           " ES ",            "DL1AA",  144.4,  800,  wsjtOnly, "DIGI"},
    {"Jt65LowerIn",           " ",               "DL1AA",  144.1,  800,  jt65Only, "DIGI"},
    // 150 to 240 MHz: bound 1399.
    {"VhfEs1398Tropo",        " ES ",            "DL1AA",  220.1,  1398, std6, "TROPO"},
    {"Vhf1399Tropo",          " ",               "DL1AA",  220.1,  1399, std6, "TROPO"},
    // Exactly 240 MHz and above: bound 3000, "ES" never returned.
    {"At240Es",               " ES ",            "DL1AA",  240,    2000, std6, "UNKNOWN"},
    {"At240Beyond",           " ",               "DL1AA",  240,    3001, std6, "UNKNOWN"},
    {"Uhf4000Sat",            " ",               "DL1AA",  432.1,  4000, std6, "SAT"},
    {"UhfEsUnknown",          " ES ",            "DL1AA",  432.1,  4000, std6, "UNKNOWN"},
    // DX-call overrides: exact, case-sensitive, whatever the comment found.
    {"CallAuroraOverrides",   " ES ",            "AURORA", 144.2,  800,  std6, "AU"},
    {"CallEme",               " ES ",            "EME",    144.3,  1000, std6, "EME"},
    {"CallTropo",             " AURORA ",        "TROPO",  50.11,  1500, std6, "TROPO"},
    {"CallEsHfBeyond5200",    " ",               "ES",     14.2,   6000, std6, "F2"},
    // The "MUF" rule: a call holding MUF, 50 to 300 MHz, nothing found yet.
    {"MufInCallShortTropo",   " ",               "XMUFX",  50.1,   50,   std6, "TROPO"},
    {"MufInCallBeyondMax",    " ",               "XMUFX",  50.1,   6000, std6, "ES"},
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

TEST(ClassifierKeywords, FirstMatchIsTheFirstRowInListOrder)
{
    const PropTypeList list(QList<PropType>{{"A", "XYZ"}, {"B", " MS "}, {"C", "M"}, {"D", "Z"}});
    EXPECT_EQ(list.firstMatch(u" M MS XYZ "), 0); // found last in the text, first in the list
    EXPECT_EQ(list.firstMatch(u" MS "), 1);
    EXPECT_EQ(list.firstMatch(u" MSK "), 2);
    EXPECT_EQ(list.firstMatch(u" Q "), -1);
    // Keywords and texts beyond ASCII.
    const PropTypeList accented(QList<PropType>{{"ES", QString::fromUtf8("ÉS")}, {"MS", "MS"}});
    EXPECT_EQ(accented.firstMatch(QString::fromUtf8(" ÉS ")), 0);
    EXPECT_EQ(accented.firstMatch(QString::fromUtf8(" ÄMS ")), 1);
}

TEST_F(ClassifierTest, EmptyKeywordCatchesEverySpotAndAnEmptyListStillRunsTheRules)
{
    const PropTypeList list(QList<PropType>{{"AU", "AURORA"}, {"EME", ""}, {"ES", "ES"}});
    EXPECT_EQ(list.firstMatch(u" AURORA "), 0);
    EXPECT_EQ(GET_PROPAGATION(" ES ", "DL1AA", 144.3, 1000, list, limits(), log), "EME");
    // An empty list still runs the rules.
    EXPECT_EQ(GET_PROPAGATION(" ES ", "DL1AA", 50.11, 1500, PropTypeList(), limits(), log), "ES");
    EXPECT_EQ(GET_PROPAGATION(" ", "AURORA", 14.2, 500, PropTypeList(), limits(), log), "AU");
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
