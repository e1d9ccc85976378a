#include "core/error_log.h"
#include "platform/clock.h"
#include "propagation/muf_calcs.h"
#include "spots/spot_processor.h"
#include "spots/spot_reports.h"
#include "support/temp_folder.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace zenthra;
namespace reports = zenthra::spot_reports;

namespace {

TEST(ElevationRemark, FollowsTheRoundedElevation)
{
    for (const auto& [elevation, remark] :
         {std::pair{"-8.4", " (Below Horizon....)"}, std::pair{"-8.5", " (WAY BELOW HORIZON!!!!!)"},
          std::pair{"-3.4", " (Below Horizon.. TR/CHORDIAL?)"}, std::pair{"-3.5", " (Below Horizon....)"},
          std::pair{"-0.5", " (Below Horizon.. TR/CHORDIAL?)"}, std::pair{"-0.4", ""}, std::pair{"", ""},
          std::pair{"12", ""}}) {
        EXPECT_EQ(reports::elevationRemark(QString::fromLatin1(elevation)), QString::fromLatin1(remark))
            << elevation;
    }
}

TEST(DoubleHopGate, BandSwitches)
{
    struct Case
    {
        const char* freq;
        bool hop50, hop70, hop144;
        bool wanted;
    };
    for (const Case& c : {Case{"50.1", false, true, true, false}, Case{"50.1", true, false, false, true},
                          Case{"69.5", true, false, false, false}, Case{"69.5", false, true, false, false},
                          Case{"69.5", true, true, false, true}, Case{"144.3", false, false, true, true},
                          Case{"144.3", true, true, false, false}, Case{"143.5", false, false, true, false},
                          Case{"143.5", false, true, true, true}, Case{"432", false, false, false, true}}) {
        DxcSpotRecord r;
        r[colFreq] = QString::fromLatin1(c.freq);
        r[colQrb1] = QStringLiteral("2000");
        EXPECT_EQ(reports::doubleHopWanted(r, {true, 1500, c.hop50, c.hop70, c.hop144}), c.wanted)
            << c.freq << ' ' << c.hop50 << c.hop70 << c.hop144;
    }
}

TEST(DoubleHopGate, DistanceRoundsHalfToEvenAndNeedsTheMasterSwitch)
{
    DxcSpotRecord r;
    r[colFreq] = QStringLiteral("432");
    DoubleHopOptions o{true, 1500, false, false, false};
    r[colQrb1] = QStringLiteral("1499.5"); // rounds to 1500
    EXPECT_TRUE(reports::doubleHopWanted(r, o));
    r[colQrb1] = QStringLiteral("1498.5"); // rounds to 1498
    EXPECT_FALSE(reports::doubleHopWanted(r, o));
    o.blnCalcDoubleHop = false;
    r[colQrb1] = QStringLiteral("4000");
    EXPECT_FALSE(reports::doubleHopWanted(r, o));
}

class ReportTexts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        r[colDxDateTime] = QStringLiteral("2024-06-04 09:05:00");
        r[colSpotInfo] = QStringLiteral("G4ABC: 50110.0 EA7XYZ ES");
        r[colDxCall1] = QStringLiteral("G4ABC");
        r[colDxCall2] = QStringLiteral("EA7XYZ");
        r[colSpotMode] = QStringLiteral("ES");
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    zenthra::test::TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    MufCalcs calcs{log};
    DxcSpotRecord r;
};

TEST_F(ReportTexts, LocatorMissingAndBareVhfReport)
{
    const QString head = QStringLiteral("\r\n") + QString(80, u'-') +
                         QStringLiteral("\r\n09:05z [DX DE G4ABC: 50110.0 EA7XYZ ES]");
    EXPECT_EQ(reports::locatorMissingReport(r).value(),
              head + QStringLiteral("  04 June \r\n***UNKNOWN LOCATOR(S)***"));
    EXPECT_EQ(reports::vhfReport(r, QStringLiteral("IO91WM"), calcs).value(),
              head + QStringLiteral(" 04 June \r\nPROPAGATION MODE ~ ***ES***"));
}

TEST_F(ReportTexts, CaptionFormatsTheMufAsASingle)
{
    r[colMuf] = QStringLiteral("52.4449999999"); // 52.445 as a single, 52.44 as a double
    r[colTryTo] = QStringLiteral("IM67AA");
    r[colQtf2] = QStringLiteral("7.5");
    r[colQrb2] = QStringLiteral("1725.4");
    EXPECT_EQ(reports::captionLine(r), "MUF @ 52.45mhz, try to IM67AA (qtf 8 / qrb 1725)");
}

TEST_F(ReportTexts, ATimeThatIsNoDateGivesNoText)
{
    r[colDxDateTime] = QStringLiteral("soon");
    EXPECT_FALSE(reports::locatorMissingReport(r).has_value());
    EXPECT_FALSE(reports::vhfReport(r, {}, calcs).has_value());
}

TEST(ReportEdges, MufStoredOnlyBetweenZeroAndThreeHundredAndShownUpTo5000km)
{
    EXPECT_FALSE(SpotProcessor::mufInRange(0));
    EXPECT_TRUE(SpotProcessor::mufInRange(0.01));
    EXPECT_TRUE(SpotProcessor::mufInRange(299.99));
    EXPECT_FALSE(SpotProcessor::mufInRange(300));
    EXPECT_TRUE(SpotProcessor::reflectionShown(5000, false));
    EXPECT_FALSE(SpotProcessor::reflectionShown(5000.001, false));
    EXPECT_TRUE(SpotProcessor::reflectionShown(5000.001, true));
}

} // namespace
