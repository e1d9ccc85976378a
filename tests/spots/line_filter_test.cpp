#include "core/error_log.h"
#include "core/options_model.h"
#include "links/dde_link.h"
#include "platform/clock.h"
#include "spots/line_filter.h"
#include "spots/spot_queue.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <vector>

using zenthra::Clock;
using zenthra::DdeLink;
using zenthra::ErrorLog;
using zenthra::LineFilter;
using zenthra::OptionsModel;
using zenthra::QueuedSpot;
using zenthra::test::TempFolder;

namespace {

// A filter with every sink recorded, on a fresh options model with a valid home locator.
struct Road
{
    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    OptionsModel options;
    qint16 hidden = 7; // neither value the filter writes
    LineFilter filter{options, log, hidden};

    std::vector<QString> announced;
    std::vector<QString> window;
    std::vector<QString> dde;
    std::vector<QueuedSpot> queued;
    std::vector<QString> status;
    int focus = 0;

    Road()
    {
        options.setHomeLocator(QStringLiteral("IO91VL"));
        options.dblELayerHeight = 105;
        options.dblMasl = 150;
        auto& s = filter.sinks();
        s.announce = [this](QString& text) {
            announced.push_back(text);
            text = QStringLiteral("[stored] ") + text; // the store may clean what is then shown
        };
        s.showInDxcWindow = [this](QString& text) {
            window.push_back(text);
            text.clear();
        };
        s.addToDde = [this](const QString& line) { dde.push_back(line); };
        s.queueSpot = [this](QueuedSpot& spot) {
            queued.push_back(spot);
            spot.line.clear(); // the queue empties the line it stores
        };
        s.setStatus = [this](const QString& text) { status.push_back(text); };
        s.focusHomeLocator = [this] { ++focus; };
    }

    void tick(std::initializer_list<const char*> items, bool on = true)
    {
        for (const char* item : items) {
            options.setChecked(QString::fromLatin1(item), on);
        }
    }
    void tickAllBands()
    {
        for (int i = 0; i < 10; ++i) {
            options.setChecked(QStringLiteral("mnuFilterHF(%1)").arg(i), true);
        }
        for (int i = 0; i < 4; ++i) {
            options.setChecked(QStringLiteral("mnuFilterVHF(%1)").arg(i), true);
        }
        for (int i = 0; i < 6; ++i) {
            options.setChecked(QStringLiteral("mnuFilterUHF(%1)").arg(i), true);
        }
    }
    QString run(const QString& chunk)
    {
        QString c = chunk;
        return filter.FILTER_DXC_BY_FREQ(c);
    }
};

// A cluster spot line as the node sends it, and the same line as the filter cleans it.
QString spotAt(const QString& khz, const QString& tail = QStringLiteral("ES 59 JO22<>IN80        1234Z"))
{
    return QStringLiteral("DX de G4ABC:  ") + khz + QStringLiteral("  EA7XYZ       ") + tail +
           QStringLiteral("\r\n");
}
QString cleanedSpotAt(const QString& khz,
                      const QString& tail = QStringLiteral("ES 59 JO22<>IN80        1234Z"))
{
    return QStringLiteral("DX de G4ABC:  ") + khz + QStringLiteral("  EA7XYZ       ") + tail;
}

// --- The four queue roads, the hidden-HF road and the HF-not-logged road.

struct RoadCase
{
    const char* name;
    const char* ticked; // items ticked besides every band and the logging link, blank-separated
    const char* khz;
    bool expectShown;    // result is the cleaned line (else "")
    int expectQueued;    // 0: not queued; 1: queued with the line; 2: queued with ""
    bool flag1, flag2;   // the two database flags of the queue call
    int expectDde;       // 0: none; 1: the line; 2: ""
    qint16 expectHidden; // 7: untouched
};

void PrintTo(const RoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class FilterRoads : public ::testing::TestWithParam<RoadCase>
{
};

TEST_P(FilterRoads, QueueFlagsWindowAndLoggerQueue)
{
    const RoadCase& c = GetParam();
    Road r;
    r.tickAllBands();
    r.tick({"mnuDDE(1)"});
    for (const QString& item : QString::fromLatin1(c.ticked).split(u' ', Qt::SkipEmptyParts)) {
        r.options.setChecked(item, true);
    }
    const QString cleaned = cleanedSpotAt(QString::fromLatin1(c.khz));
    EXPECT_EQ(r.run(spotAt(QString::fromLatin1(c.khz))), c.expectShown ? cleaned : QString());

    if (c.expectQueued == 0) {
        EXPECT_TRUE(r.queued.empty());
    } else {
        ASSERT_EQ(r.queued.size(), 1u);
        const QueuedSpot& q = r.queued[0];
        EXPECT_EQ(q.line, c.expectQueued == 1 ? cleaned : QString());
        EXPECT_EQ(q.logMufToDb, c.flag1);
        EXPECT_EQ(q.logSpotToDb, c.flag2);
        EXPECT_EQ(q.time, QString());
        EXPECT_EQ(q.homeLoc, QStringLiteral("IO91VL"));
        EXPECT_EQ(q.eLayerHeight, 105);
        EXPECT_EQ(q.masl, 150);
        EXPECT_EQ(q.loc1, QString());
        EXPECT_EQ(q.loc2, QString());
    }
    if (c.expectDde == 0) {
        EXPECT_TRUE(r.dde.empty());
    } else {
        ASSERT_EQ(r.dde.size(), 1u);
        EXPECT_EQ(r.dde[0], c.expectDde == 1 ? cleaned : QString());
    }
    EXPECT_EQ(r.hidden, c.expectHidden);
    EXPECT_TRUE(r.status.empty());
}

INSTANTIATE_TEST_SUITE_P(
    LineFilter, FilterRoads,
    ::testing::Values(
        // Filters off: nothing ever goes to the logging program.
        RoadCase{"OffHfHidden", "chkCalcHF_Hidden mnuEsOptions(0)", "14025.0", true, 1, true, true, 0, 7},
        RoadCase{"OffHfNotHidden", "mnuEsOptions(0) chkCalcVHF chkCalcHF", "14025.0", true, 0, false, false,
                 0, 7},
        RoadCase{"OffVhfCalcEs", "mnuEsOptions(0) mnuEsOptions(1)", "50110.0", true, 1, true, false, 0, 7},
        RoadCase{"OffVhfCalcVhf", "chkCalcVHF chkLogAll", "144300.0", true, 1, false, true, 0, 7},
        RoadCase{"OffVhfNothing", "chkCalcHF_Hidden", "50110.0", true, 0, false, false, 0, 7},
        // Filters on, hidden HF: both flags, never to the logging program, flag for the window.
        RoadCase{"OnHiddenHf", "mnuDxcFilters(0) chkCalcHF_Hidden mnuEsOptions(0)", "7018.2", true, 1, true,
                 true, 0, 1},
        RoadCase{"OnHiddenHfBandOff", "mnuDxcFilters(0) chkCalcHF_Hidden", "0.0", true, 1, true, true, 0, 1},
        // Filters on, HF not logged: shown and passed on, never queued.
        RoadCase{"OnHfNotLogged", "mnuDxcFilters(0) mnuEsOptions(0) chkCalcVHF", "28263.9", true, 0, false,
                 false, 1, 0},
        // Filters on, HF logged: both tables, then the queue with the VHF flags.
        RoadCase{"OnHfLogged", "mnuDxcFilters(0) chkCalcHF chkCalcVHF chkLogAll", "21074.0", true, 1, false,
                 true, 1, 0},
        // Filters on, VHF and up.
        RoadCase{"OnVhfCalcEs", "mnuDxcFilters(0) mnuEsOptions(0) mnuEsOptions(1) chkLogAll", "50110.0", true,
                 1, true, true, 1, 0},
        RoadCase{"OnVhfCalcVhf", "mnuDxcFilters(0) chkCalcVHF", "432200.0", true, 1, false, false, 1, 0},
        RoadCase{"OnVhfNothing", "mnuDxcFilters(0)", "1296200.0", true, 0, false, false, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineFilter, HiddenHfCutsTheTimeStampOnlyWhenLimited)
{
    Road r;
    r.tickAllBands();
    r.tick({"mnuDxcFilters(0)", "chkCalcHF_Hidden", "mnuDxcLimitChar", "mnuDDE(1)"});
    const QString cleaned = cleanedSpotAt(QStringLiteral("14025.0"));
    EXPECT_EQ(r.run(spotAt(QStringLiteral("14025.0"))), cleaned.left(cleaned.size() - 9));
    ASSERT_EQ(r.queued.size(), 1u);
    EXPECT_EQ(r.queued[0].line, cleaned.left(cleaned.size() - 9));
    // A lower-case "z" counts too; a line that ends otherwise keeps its length.
    EXPECT_EQ(r.run(spotAt(QStringLiteral("14025.0"), QStringLiteral("cq 1234z"))),
              cleanedSpotAt(QStringLiteral("14025.0"), QStringLiteral("cq 1234z")).chopped(9));
    EXPECT_EQ(r.run(spotAt(QStringLiteral("14025.0"), QStringLiteral("cq 1234Z JO22"))),
              cleanedSpotAt(QStringLiteral("14025.0"), QStringLiteral("cq 1234Z JO22")));
    EXPECT_TRUE(r.dde.empty());
    EXPECT_EQ(r.hidden, 1);
}

TEST(LineFilter, FiltersOnResetTheHiddenFlagForEverySpotAndOffLeaveIt)
{
    Road r;
    r.tickAllBands();
    r.tick({"mnuDxcFilters(0)"});
    r.hidden = 1;
    r.run(spotAt(QStringLiteral("50110.0")));
    EXPECT_EQ(r.hidden, 0);
    r.tick({"mnuDxcFilters(0)"}, false);
    r.hidden = 1;
    r.run(spotAt(QStringLiteral("50110.0")));
    EXPECT_EQ(r.hidden, 1);
    // Text that is no spot never touches it.
    r.tick({"mnuDxcFilters(0)"});
    r.run(QStringLiteral("login: \r\n"));
    EXPECT_EQ(r.hidden, 1);
}

// --- Band boundaries: a frequency on a boundary belongs to the row above it.

struct Boundary
{
    double mhz;
    const char* below;
    const char* above;
};

void PrintTo(const Boundary& b, std::ostream* os)
{
    *os << b.mhz << " MHz";
}

class BandBoundaries : public ::testing::TestWithParam<Boundary>
{
};

TEST_P(BandBoundaries, EachSideFollowsItsOwnItem)
{
    const Boundary& b = GetParam();
    // Exactly on the boundary, and 2 kHz below it (a step every single-precision value holds).
    const QString on = QString::number(b.mhz * 1000, 'f', 1);
    const QString under = QString::number(b.mhz * 1000 - 2, 'f', 1);
    for (const char* off : {b.above, b.below}) {
        Road r;
        r.tickAllBands();
        r.tick({"mnuDxcFilters(0)", "mnuDDE(1)"});
        r.tick({off}, false);
        const bool aboveOff = off == b.above;
        EXPECT_EQ(r.run(spotAt(on)), aboveOff ? QString() : cleanedSpotAt(on)) << off;
        EXPECT_EQ(r.run(spotAt(under)), aboveOff ? cleanedSpotAt(under) : QString()) << off;
    }
}

INSTANTIATE_TEST_SUITE_P(
    LineFilter, BandBoundaries,
    ::testing::Values(
        Boundary{1, "mnuFilterHF(0)", "mnuFilterHF(1)"}, Boundary{2, "mnuFilterHF(1)", "mnuFilterHF(2)"},
        Boundary{4, "mnuFilterHF(2)", "mnuFilterHF(3)"}, Boundary{8, "mnuFilterHF(3)", "mnuFilterHF(4)"},
        Boundary{14, "mnuFilterHF(4)", "mnuFilterHF(5)"}, Boundary{16, "mnuFilterHF(5)", "mnuFilterHF(6)"},
        Boundary{20, "mnuFilterHF(6)", "mnuFilterHF(7)"}, Boundary{24, "mnuFilterHF(7)", "mnuFilterHF(8)"},
        Boundary{28, "mnuFilterHF(8)", "mnuFilterHF(9)"}, Boundary{33, "mnuFilterHF(9)", "mnuFilterVHF(0)"},
        Boundary{55, "mnuFilterVHF(0)", "mnuFilterVHF(1)"},
        Boundary{75, "mnuFilterVHF(1)", "mnuFilterVHF(2)"},
        Boundary{149, "mnuFilterVHF(2)", "mnuFilterVHF(3)"},
        Boundary{300, "mnuFilterVHF(3)", "mnuFilterUHF(0)"},
        Boundary{1000, "mnuFilterUHF(0)", "mnuFilterUHF(1)"},
        Boundary{2000, "mnuFilterUHF(1)", "mnuFilterUHF(2)"},
        Boundary{5000, "mnuFilterUHF(2)", "mnuFilterUHF(3)"},
        Boundary{10000, "mnuFilterUHF(3)", "mnuFilterUHF(4)"},
        Boundary{13000, "mnuFilterUHF(4)", "mnuFilterUHF(5)"}),
    [](const auto& info) { return std::to_string(static_cast<int>(info.param.mhz)) + "MHz"; });

TEST(LineFilter, HfSpotsThatAreLoggedMeetTheFiftyMegahertzItem)
{
    Road r;
    r.tickAllBands();
    r.tick({"mnuDxcFilters(0)", "chkCalcHF"});
    r.tick({"mnuFilterVHF(0)"}, false);
    EXPECT_EQ(r.run(spotAt(QStringLiteral("14025.0"))), QString());
    // Frequency 0 passes the HF table and meets only "50mhz spots?".
    EXPECT_EQ(r.run(QStringLiteral("DX de G4ABC: EA7XYZ\r\n")), QString());
    r.tick({"mnuFilterVHF(0)"});
    r.tick({"mnuFilterHF(0)", "mnuFilterHF(1)"}, false);
    EXPECT_EQ(r.run(QStringLiteral("DX de G4ABC: EA7XYZ\r\n")), QStringLiteral("DX de G4ABC: EA7XYZ"));
}

TEST(LineFilter, NarrowBandRuleBlanksBothBoundsOnly)
{
    Road r;
    r.tickAllBands();
    r.tick({"mnuDxcFilters(0)", "mnuFilterMisc(0)"});
    for (const char* khz : {"144350.0", "144399.0", "144375.0"}) {
        EXPECT_EQ(r.run(spotAt(QString::fromLatin1(khz))), QString()) << khz;
    }
    for (const char* khz : {"144400.0", "144349.0"}) {
        EXPECT_EQ(r.run(spotAt(QString::fromLatin1(khz))), cleanedSpotAt(QString::fromLatin1(khz))) << khz;
    }
    r.tick({"mnuFilterMisc(0)"}, false);
    EXPECT_EQ(r.run(spotAt(QStringLiteral("144350.0"))), cleanedSpotAt(QStringLiteral("144350.0")));
}

TEST(LineFilter, CalcEvenIfFilteredQueuesTheWholeLineStrictlyBetween49And225)
{
    for (const auto& [khz, restored] :
         {std::pair{"49000.0", false}, std::pair{"49002.0", true}, std::pair{"50000.0", true},
          std::pair{"50110.0", true}, std::pair{"224998.0", true}, std::pair{"225000.0", false}}) {
        for (const char* calc : {"mnuEsOptions(0)", "chkCalcVHF"}) {
            SCOPED_TRACE(std::string(khz) + " " + calc);
            Road r;
            r.tick({"mnuDxcFilters(0)", "mnuEsCalc50mhzFiltered", "mnuDDE(1)", calc});
            // Every band item unticked: the line is blanked on every band.
            EXPECT_EQ(r.run(spotAt(QString::fromLatin1(khz))), QString());
            ASSERT_EQ(r.dde.size(), 1u);
            EXPECT_EQ(r.dde[0], QString());
            // A blanked line is still queued, empty, when "Calc es?" is ticked.
            const bool calcEs = calc == std::string("mnuEsOptions(0)");
            ASSERT_EQ(r.queued.size(), restored || calcEs ? 1u : 0u);
            if (!r.queued.empty()) {
                EXPECT_EQ(r.queued[0].line, restored ? cleanedSpotAt(QString::fromLatin1(khz)) : QString());
            }
        }
    }
}

// --- Announcements and other text.

TEST(LineFilter, AnnouncementsInAnyCaseAreStoredShownAndSwallowed)
{
    const char* chunks[] = {"To ALL de SV1ABC: ES opening on 6m\a\r\n",
                            "to all de SV1ABC: hi\r\n",
                            "WWV de VE7QQ <09>:   SFI=113, A=18\r\n",
                            "wcy de DK0QCY-2 <20> : K=3\r\n",
                            "ALL DE G4ABC: test\r\n",
                            "To Solar: flux\r\n",
                            "To ALL de X: DX de G4ABC: 50110.0 EA7XYZ es 1234Z\r\n"};
    for (const char* chunk : chunks) {
        Road r;
        r.tick({"mnuAnnToDb", "mnuDxcFilters(1)", "mnuEsOptions(0)", "mnuDxcFilters(0)", "mnuDDE(1)"});
        QString c = QString::fromLatin1(chunk);
        EXPECT_EQ(r.filter.FILTER_DXC_BY_FREQ(c), QString()) << chunk;
        QString work = QString::fromLatin1(chunk);
        work.remove(QChar(7));
        work.chop(2);
        ASSERT_EQ(r.announced.size(), 1u) << chunk;
        EXPECT_EQ(r.announced[0], work);
        ASSERT_EQ(r.window.size(), 1u);
        EXPECT_EQ(r.window[0], QStringLiteral("[stored] ") + work);
        EXPECT_TRUE(r.queued.empty());
        EXPECT_TRUE(r.dde.empty());
    }
}

TEST(LineFilter, AnnouncementOptionsAreIndependent)
{
    Road r;
    r.tick({"mnuDxcFilters(1)"});
    EXPECT_EQ(r.run(QStringLiteral("To ALL de SV1ABC: hi\r\n")), QString());
    EXPECT_TRUE(r.announced.empty());
    ASSERT_EQ(r.window.size(), 1u);
    EXPECT_EQ(r.window[0], QStringLiteral("To ALL de SV1ABC: hi"));
    r.tick({"mnuDxcFilters(1)"}, false);
    r.tick({"mnuAnnToDb"});
    EXPECT_EQ(r.run(QStringLiteral("To ALL de SV1ABC: hi\r\n")), QString());
    EXPECT_EQ(r.announced.size(), 1u);
    EXPECT_EQ(r.window.size(), 1u);
}

TEST(LineFilter, TextThatIsNoSpotIsReturnedCleanedAndNothingElse)
{
    Road r;
    r.tickAllBands();
    r.tick({"mnuAnnToDb", "mnuDxcFilters(1)", "mnuEsOptions(0)", "mnuDxcFilters(0)", "mnuDDE(1)"});
    // "TO ALL" further on is no announcement.
    EXPECT_EQ(r.run(QStringLiteral("G4ABC: msg TO ALL here\r\n")), QStringLiteral("G4ABC: msg TO ALL here"));
    // As the node sent it: a table keeps its indentation, a help text its apostrophes.
    EXPECT_EQ(r.run(QStringLiteral("   50313.0  CT7ZZZ  6-Dec-2026 2110Z  Es   <G0ABC> \a\r\n")),
              QStringLiteral("   50313.0  CT7ZZZ  6-Dec-2026 2110Z  Es   <G0ABC> "));
    EXPECT_EQ(r.run(QStringLiteral("  don't\r")), QStringLiteral("  don't"));
    EXPECT_TRUE(r.announced.empty());
    EXPECT_TRUE(r.window.empty());
    EXPECT_TRUE(r.queued.empty());
    EXPECT_TRUE(r.dde.empty());
}

TEST(LineFilter, LowerCaseDxDeAnywhereMakesASpot)
{
    Road r;
    r.tick({"mnuEsOptions(0)", "chkCalcHF_Hidden"});
    EXPECT_EQ(r.run(QStringLiteral("dx de g4abc: 50110.0 ea7xyz es 1234Z\r\n")),
              QStringLiteral("dx de g4abc: 50110.0 ea7xyz es 1234Z"));
    // Further on in the text; the first colon gives "dx" as the frequency, which reads as 0 MHz:
    // an HF spot.
    EXPECT_EQ(r.run(QStringLiteral("node: dx de g4abc: 70200.0 g4def es\r\n")),
              QStringLiteral("node: dx de g4abc: 70200.0 g4def es"));
    ASSERT_EQ(r.queued.size(), 2u);
    EXPECT_FALSE(r.queued[0].logMufToDb);
    EXPECT_TRUE(r.queued[1].logMufToDb);
    EXPECT_TRUE(r.queued[1].logSpotToDb);
}

TEST(LineFilter, CleaningChangesTheCallersText)
{
    Road r;
    QString chunk = QStringLiteral("\r\r  \r DX de G4AB'C: 50110.0 EA7XYZ es... 59\a\a  \r\r\n");
    const QString shown = r.filter.FILTER_DXC_BY_FREQ(chunk);
    EXPECT_EQ(chunk, QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ es 59"));
    EXPECT_EQ(shown, chunk);
    // Only carriage returns are cut at the start: a line feed there stays, as CR LF.
    QString leadingLf = QStringLiteral("\r\n  DX de G4ABC: 50110.0 EA7XYZ es\r\n");
    EXPECT_EQ(r.filter.FILTER_DXC_BY_FREQ(leadingLf), QStringLiteral("\r\n  DX de G4ABC: 50110.0 EA7XYZ es"));

    // Text without a line end keeps its last character, and is only shown: it is no whole line.
    r.tick({"mnuEsOptions(0)", "mnuAnnToDb", "mnuDxcFilters(1)"});
    EXPECT_EQ(r.run("DX de G4ABC: 50110.0 EA7XYZ es 1234Z"), "DX de G4ABC: 50110.0 EA7XYZ es 1234Z");
    EXPECT_EQ(r.run("To ALL de SV1ABC: ES op"), "To ALL de SV1ABC: ES op");
    EXPECT_TRUE(r.announced.empty() && r.window.empty());

    QString empty;
    EXPECT_EQ(r.filter.FILTER_DXC_BY_FREQ(empty), QString());
    EXPECT_TRUE(r.queued.empty());
    EXPECT_TRUE(r.status.empty());
}

// Unfinished text that waits for its line end however long the node pauses, and text that does not.
TEST(LineFilter, TextThatMayBecomeASpotOrAnAnnouncementWaitsForItsLineEnd)
{
    for (const auto& [text, waits] :
         std::initializer_list<std::pair<const char*, bool>>{{"DX de G4ABC:  501", true},
                                                             {"dx", true},
                                                             {"\x1b[1mDX de", true},
                                                             {"  To ALL de S", true},
                                                             {"login: ", false},
                                                             {"G0DX de GB7XX >", false},
                                                             {"node: dx de g4", false}}) {
        EXPECT_EQ(LineFilter::mayBecomeReadLine(QString::fromLatin1(text)), waits) << text;
    }
}

TEST(LineFilter, TwoLinesInOneChunkAreOneSpot)
{
    Road r;
    r.tickAllBands();
    r.tick({"mnuDxcFilters(0)", "mnuEsOptions(0)", "mnuDDE(1)"});
    r.tick({"mnuFilterUHF(0)"}, false);
    // The frequency comes from the first colon of the whole chunk: 50 MHz, not 432 MHz.
    const QString shown =
        r.run(QStringLiteral("DX de A1AA: 50110.0 B1BB es\r\nDX de C1CC: 432200.0 D1DD tr\r\n"));
    const QString one = QStringLiteral("DX de A1AA: 50110.0 B1BB es\r\r\nDX de C1CC: 432200.0 D1DD tr");
    EXPECT_EQ(shown, one);
    ASSERT_EQ(r.queued.size(), 1u);
    EXPECT_EQ(r.queued[0].line, one);
    ASSERT_EQ(r.dde.size(), 1u);
    EXPECT_EQ(r.dde[0], one);
}

TEST(LineFilter, BadHomeLocatorShowsTheWarningAndPassesNothingOn)
{
    for (const char* loc : {"", "XX", "IO9", "ZZ99ZZ"}) {
        Road r;
        r.tickAllBands();
        r.tick({"mnuDxcFilters(0)", "mnuEsOptions(0)", "chkCalcVHF", "chkCalcHF_Hidden", "mnuDDE(1)"});
        r.options.setHomeLocator(QString::fromLatin1(loc));
        EXPECT_EQ(r.run(spotAt(QStringLiteral("50110.0"))), cleanedSpotAt(QStringLiteral("50110.0"))) << loc;
        ASSERT_EQ(r.status.size(), 1u);
        EXPECT_EQ(r.status[0], QStringLiteral("Missing or wrong home locator! Set Locator.."));
        EXPECT_EQ(r.focus, 1);
        EXPECT_TRUE(r.queued.empty());
        EXPECT_TRUE(r.dde.empty());
        EXPECT_EQ(r.hidden, 7);
        // Once per spot.
        r.run(spotAt(QStringLiteral("14025.0")));
        EXPECT_EQ(r.status.size(), 2u);
    }
    // A valid short locator goes to the queue as typed.
    Road r;
    r.tick({"mnuEsOptions(0)"});
    r.options.setHomeLocator(QStringLiteral("IO91"));
    r.run(spotAt(QStringLiteral("50110.0")));
    ASSERT_EQ(r.queued.size(), 1u);
    EXPECT_EQ(r.queued[0].homeLoc, QStringLiteral("IO91"));
}

// --- Hostile input: nothing crashes, and the queues get exactly what the rules say.

TEST(LineFilter, HostileChunksLeaveBothQueuesConsistent)
{
    Road r;
    DdeLink dde(r.options, [](const QString&) {});
    r.filter.sinks().addToDde = [&dde](const QString& line) { dde.DDE_ADD_TO_ARRAY(line); };
    r.tickAllBands();
    r.tick({"mnuDxcFilters(0)", "mnuEsOptions(0)", "mnuDDE(1)"});

    const QString big =
        QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ") + QString(1 << 20, u'x') + QStringLiteral("\r\n");
    EXPECT_EQ(r.run(big).size(), big.size() - 2);
    ASSERT_EQ(r.queued.size(), 1u);
    EXPECT_EQ(r.queued[0].line.size(), big.size() - 2);
    ASSERT_EQ(dde.arrDdeQueue().size(), 1u);

    // A megabyte of line ends, of NULs, of other control characters: no spot, shown as sent.
    EXPECT_EQ(r.run(QString(1 << 20, u'\r')).size(), (1 << 20) - 1);
    EXPECT_EQ(r.run(QString(1 << 20, u'\n')).size(), (1 << 20) - 1);
    EXPECT_EQ(r.run(QString(1 << 20, QChar(0))).size(), 1 << 20);
    EXPECT_EQ(r.run(QStringLiteral("\x01\x02\x1b[2J\x7f\t\v\f\r\n")),
              QStringLiteral("\x01\x02\x1b[2J\x7f\t\v\f"));
    EXPECT_EQ(r.queued.size(), 1u);
    EXPECT_EQ(dde.arrDdeQueue().size(), 1u);

    // Invalid UTF-8 (decoded with replacement characters) holding no "DX DE".
    r.run(QString::fromUtf8("\xff\xfe\xc3\x28 DX \xe2\x82 \xf0\x28\x8c\xbc\r\n"));
    EXPECT_EQ(r.queued.size(), 1u);
    EXPECT_EQ(dde.arrDdeQueue().size(), 1u);

    // A spot whose frequency is unreadable counts as 0 MHz: HF, not logged, passed on only.
    const QString garbled = QString::fromUtf8("DX de G4ABC: \xff\xfe EA7XYZ \xc3\x28 es\r\n");
    r.run(garbled);
    EXPECT_EQ(r.queued.size(), 1u);
    ASSERT_EQ(dde.arrDdeQueue().size(), 2u);
    EXPECT_EQ(dde.arrDdeQueue().back(), garbled.chopped(2));

    // A NUL inside a spot line is text like any other.
    const QString withNul = QStringLiteral("DX de G4ABC: 50110.0 EA7") + QChar(0) + QStringLiteral("XYZ es");
    EXPECT_EQ(r.run(withNul + QStringLiteral("\r\n")), withNul);
    ASSERT_EQ(r.queued.size(), 2u);
    EXPECT_EQ(r.queued[1].line, withNul);
    ASSERT_EQ(dde.arrDdeQueue().size(), 3u);
    EXPECT_EQ(dde.arrDdeQueue().back(), withNul);

    // A frequency beyond every single-precision value reads as 0; the debug line is on 110.6 MHz.
    EXPECT_FLOAT_EQ(LineFilter::frequencyOf(QStringLiteral("DX de A: 1e999 B")), 0.0f);
    EXPECT_FLOAT_EQ(LineFilter::frequencyOf(LineFilter::debugLine()), 110.6f);

    // The logging queue never holds more than 21 lines.
    for (int i = 0; i < 30; ++i) {
        r.run(spotAt(QStringLiteral("50110.0")));
    }
    EXPECT_EQ(dde.arrDdeQueue().size(), DdeLink::queueSlots);
}

} // namespace
