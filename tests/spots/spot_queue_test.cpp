#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "spots/spot_queue.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <ostream>
#include <thread>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

const QDateTime queuedAt(QDate(2024, 6, 14), QTime(11, 6, 0), Qt::UTC);

class Queue : public ::testing::Test
{
protected:
    void SetUp() override { clock.setUtc(queuedAt); }

    // Queues as the filter does and returns what is left of the caller's line.
    QString queue(const QString& line, const QString& home = QStringLiteral("IO91WM"), bool logMuf = true,
                  const QString& time = {}, const QString& loc1 = {}, const QString& loc2 = {})
    {
        QueuedSpot spot{line, time, home, 110, 150, logMuf, true, loc1, loc2};
        q.QUEUE_DXC_SPOT(spot);
        return spot.line;
    }
    QString stored(int row = 0) const { return q.row(row)[colSpotInfo]; }
    QStringList logLines() const { return dir.lines(QStringLiteral("muf_errors.log")); }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    OptionsModel options;
    SpotQueue q{options, log, [this] { return clock.utcNow(); }};
};

struct CleanCase
{
    const char* name;
    bool limit;
    QString line;
    QString expected;
};

void PrintTo(const CleanCase& c, std::ostream* os)
{
    *os << c.name;
}

class Cleaning : public Queue, public ::testing::WithParamInterface<CleanCase>
{
};

TEST_P(Cleaning, StoresTheCleanedLine)
{
    options.setChecked(QStringLiteral("mnuDxcLimitChar"), GetParam().limit);
    EXPECT_EQ(queue(GetParam().line), QString());
    EXPECT_EQ(stored(), GetParam().expected);
}

QString digits(int n)
{
    QString s;
    for (int i = 0; i < n; ++i) {
        s += QChar(u'0' + i % 10);
    }
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, Cleaning,
    ::testing::Values(
        // 66 characters stay whole, 68 are cut to 67 before the prefix goes; unticked nothing is cut.
        CleanCase{"Limit66", true, digits(66), digits(66).mid(6)},
        CleanCase{"Limit68", true, digits(68), digits(67).mid(6)},
        CleanCase{"NoLimit68", false, digits(68), digits(68).mid(6)},
        CleanCase{"Blanks", false, QStringLiteral("DX de G4ABC:     50110.0  EA7XYZ   ES  "),
                  QStringLiteral("G4ABC: 50110.0 EA7XYZ ES")},
        // The TAB goes after the blanks collapsed, so its two blanks stay.
        CleanCase{"TabBetweenBlanks", false, QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ \t ES"),
                  QStringLiteral("G4ABC: 50110.0 EA7XYZ  ES")},
        CleanCase{"LineEndsAndApostrophes", false, QStringLiteral("DX de G4ABC: 50110 EA7XYZ it's ES\r\n"),
                  QStringLiteral("G4ABC: 50110 EA7XYZ its ES")},
        CleanCase{"Sixteen", false, QStringLiteral("ABCDEFGHIJKLMNOP"), QStringLiteral("GHIJKLMNOP")},
        CleanCase{"Fifteen", false, QStringLiteral("ABCDEFGHIJKLMNO"), QStringLiteral("ABCDEFGHIJKLMNO")}),
    [](const ::testing::TestParamInfo<CleanCase>& info) { return std::string(info.param.name); });

TEST_F(Queue, TimeIsTheClockUnlessGivenAndLocatorsOnlyInPairs)
{
    queue(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES"));
    EXPECT_EQ(q.row(0)[colDxDateTime], "2024-06-14 11:06:00");
    EXPECT_EQ(readSpotTime(q.row(0)[colDxDateTime]), queuedAt);
    queue(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES"), QStringLiteral("IO91WM"), true,
          QStringLiteral("2023-01-02 03:04:05"), QStringLiteral("IO91"), QStringLiteral("IM67"));
    EXPECT_EQ(q.row(1)[colDxDateTime], "2023-01-02 03:04:05");
    EXPECT_EQ(q.row(1)[colDxLoc1], "IO91");
    EXPECT_EQ(q.row(1)[colDxLoc2], "IM67");
    queue(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES"), QStringLiteral("IO91WM"), true,
          QStringLiteral("1234"), QStringLiteral("IO91WM"), QStringLiteral("IM6"));
    EXPECT_EQ(q.row(2)[colDxDateTime], "2024-06-14 11:06:00");
    EXPECT_EQ(q.row(2)[colDxLoc1], "");
    EXPECT_EQ(q.row(2)[colDxLoc2], "");
}

TEST_F(Queue, EmptyLineArmsTheTimerAndTheNextSortStopsIt)
{
    EXPECT_FALSE(q.tmrProcessSpot().isActive());
    EXPECT_EQ(q.tmrProcessSpot().interval(), 0);
    // Nothing is stored, so the caller keeps its line.
    EXPECT_EQ(queue(QStringLiteral("  \t ")), QStringLiteral("  \t "));
    EXPECT_EQ(q.pendingRows(), 0);
    EXPECT_TRUE(q.tmrProcessSpot().isActive());
    EXPECT_EQ(q.tmrProcessSpot().interval(), 100);
    q.SORT_ARRAY();
    EXPECT_FALSE(q.tmrProcessSpot().isActive());
}

TEST_F(Queue, AnotherSpotLeavesTheRunningTimerAlone)
{
    // Re-arming would push the tick back by every spot, so a steady stream would never be processed.
    queue(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES 1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(60)); // no event loop: the timer cannot fire
    queue(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES 2"));
    ASSERT_TRUE(q.tmrProcessSpot().isActive());
    EXPECT_LE(q.tmrProcessSpot().remainingTime(), 45);
}

TEST_F(Queue, RowsMoveUpInOrderGapsCloseAndTheLastStopsTheTimer)
{
    for (int i = 0; i < 5; ++i) {
        queue(QStringLiteral("DX de SPOT%1: 50110.0 EA7XYZ ES").arg(i));
    }
    q.CLEAR_ARRAY_RECORD();
    q.SORT_ARRAY();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stored(i), QStringLiteral("SPOT%1: 50110.0 EA7XYZ ES").arg(i + 1));
    }
    EXPECT_EQ(stored(4), QString());
    EXPECT_TRUE(q.tmrProcessSpot().isActive());
    for (int i = 0; i < 4; ++i) {
        q.CLEAR_ARRAY_RECORD();
        q.SORT_ARRAY();
    }
    EXPECT_EQ(q.pendingRows(), 0);
    EXPECT_FALSE(q.tmrProcessSpot().isActive());
    // A gap in the middle closes too.
    for (int i = 0; i < 3; ++i) {
        queue(QStringLiteral("DX de SPOT%1: 50110.0 EA7XYZ ES").arg(i));
    }
    q.row(1) = {};
    q.SORT_ARRAY();
    EXPECT_EQ(stored(0), "SPOT0: 50110.0 EA7XYZ ES");
    EXPECT_EQ(stored(1), "SPOT2: 50110.0 EA7XYZ ES");
    EXPECT_EQ(stored(2), "");
}

TEST_F(Queue, EachRowKeepsItsOwnSettingsAndAShortHomeLocatorIsNormalised)
{
    queue(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES"), QStringLiteral("io91"), true);
    queue(QStringLiteral("DX de G4ABC: 50120.0 EA7XYZ ES"), QStringLiteral("JO01w"), false);
    queue(QStringLiteral("DX de G4ABC: 50130.0 EA7XYZ ES"), QStringLiteral("zz99"), false);
    EXPECT_EQ(q.settings(0).strCalcHomeLoc, "IO91MM");
    EXPECT_TRUE(q.settings(0).blnLogMufToDb);
    EXPECT_EQ(q.settings(0).dblCalcLayerHeight, 110);
    EXPECT_EQ(q.settings(0).dblCalcMasl, 150);
    EXPECT_EQ(q.settings(1).strCalcHomeLoc, "JO01WM");
    EXPECT_FALSE(q.settings(1).blnLogMufToDb);
    // An invalid locator stays as typed, upper case, for the processor's own check to refuse.
    EXPECT_EQ(q.settings(2).strCalcHomeLoc, "ZZ99");
    q.CLEAR_ARRAY_RECORD();
    q.SORT_ARRAY();
    EXPECT_EQ(q.settings(0).strCalcHomeLoc, "JO01WM");
}

TEST_F(Queue, AFullQueueDropsWithOneLogLineAMinuteThatCountsTheDrops)
{
    qint64 now = 0;
    q.setMonotonicClock([&now] { return now; });
    for (int i = 0; i < spotQueueRows; ++i) {
        ASSERT_EQ(queue(QStringLiteral("DX de SPOT%1: 50110.0 EA7XYZ ES").arg(i)), QString());
    }
    EXPECT_TRUE(logLines().isEmpty());
    const QString extra = QStringLiteral("DX de LATE1: 50110.0 EA7XYZ ES");
    EXPECT_EQ(queue(extra), extra) << "a dropped line is left with its caller";
    EXPECT_TRUE(q.tmrProcessSpot().isActive());
    EXPECT_EQ(stored(120), "SPOT120: 50110.0 EA7XYZ ES");
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].endsWith(
        "\t9 - CLEAN_DXC_SPOTS(LATE1: 50110.0 EA7XYZ ES) queue full, 1 line(s) dropped"))
        << logLines()[0].toStdString();

    now = 30000;
    queue(QStringLiteral("DX de LATE2: 50110.0 EA7XYZ ES"));
    queue(QStringLiteral("DX de LATE3: 50110.0 EA7XYZ ES"));
    EXPECT_EQ(logLines().size(), 1);
    EXPECT_EQ(q.droppedSinceLastLog(), 2);

    now = 60000;
    queue(QStringLiteral("DX de LATE4: 50110.0 EA7XYZ ES"));
    ASSERT_EQ(logLines().size(), 2);
    EXPECT_TRUE(logLines()[1].endsWith("queue full, 3 line(s) dropped")) << logLines()[1].toStdString();
    EXPECT_EQ(q.droppedSinceLastLog(), 0);
}

} // namespace
