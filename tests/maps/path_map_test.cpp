#include "core/option_keys.h"
#include "core/options_model.h"
#include "maps/muf_map.h"
#include "spots/database_fixture.h"
#include "support/fifo_guard.h"

#include <QSignalSpy>

namespace zenthra::test {
namespace {

class PathMapTest : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        open();
        ASSERT_TRUE(db->isOpen());
        now = QDateTime(QDate(2026, 6, 14), QTime(14, 25, 10), Qt::UTC);
        options.intMapSpotCount = 100;
        options.setChecked(keys::mapLines, true);
        options.setHomeLocator(QStringLiteral("JO01"));
        map = std::make_unique<MufMap>(
            PathMap::Services{options, *db, log, [this] { return now; }, tmrMapping, tmrProcessSpot},
            dir.path());
    }

    void insert(const QDateTime& when, double freq, double muf, const char* loc1, const char* loc2,
                const char* centre, QVariant midQrb = 1200)
    {
        run(Store::Spots,
            QStringLiteral(
                "INSERT INTO tblSPOT (DxDateTime, DxLoc1, DxLoc2, freq, MUF, CentreLoc, TryFrom, TryTo,"
                " Qrb_To_Midpoint) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {Database::dateValue(when), QString::fromLatin1(loc1), QString::fromLatin1(loc2), freq, muf,
             QString::fromLatin1(centre), QStringLiteral("JO01"), QStringLiteral("JM23"), midQrb});
    }

    QStringList drawnPaths() const
    {
        QStringList out;
        for (const MapSpotRow& r : map->pathMap().lastRows()) {
            out.append(r.dxLoc1 + u'-' + r.dxLoc2);
        }
        return out;
    }

    QDateTime now;
    OptionsModel options;
    QTimer tmrMapping;
    QTimer tmrProcessSpot;
    std::unique_ptr<MufMap> map;
};

TEST_P(PathMapTest, FetchesTheNewestRowsWithinTheLimits)
{
    insert(now.addSecs(-60), 50.1, 80, "JN45", "IM58", "JN12");
    insert(now.addSecs(-30), 144.3, 160, "IO90", "JN78", "JN24");
    insert(now.addSecs(-20), 28.5, 80, "IO91", "JN78", "JN24");      // below 6 m
    insert(now.addSecs(-10), 50.2, 40, "IO91", "JN78", "JN24");      // MUF below 50
    insert(now.addSecs(-5), 50.2, 80, "SA00", "JN78", "JN24");       // no field letter
    insert(now.addSecs(-4), 50.2, 80, "JO01", "JN78", "JN24", 6000); // mid-point beyond 5000 km
    insert(now.addDays(-1), 70.2, 80, "IO83", "KN04", "JN91");       // yesterday
    map->pathMap().MAPPER_DB_CONNECT(100, QString(), false);
    EXPECT_EQ(drawnPaths(), (QStringList{"IO90-JN78", "JN45-IM58", "IO83-KN04"}));

    options.sngMapBand = 144;
    map->pathMap().MAPPER_DB_CONNECT(100, QString(), false);
    EXPECT_EQ(drawnPaths(), (QStringList{"IO90-JN78"}));

    options.sngMapBand = 0;
    options.classifier.blnEsBeyond5000 = true;
    map->pathMap().MAPPER_DB_CONNECT(100, QString(), false);
    EXPECT_EQ(drawnPaths(), (QStringList{"JO01-JN78", "IO90-JN78", "JN45-IM58", "IO83-KN04"}));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(PathMapTest, TodayAndTheLastHourFollowTheUtcClock)
{
    insert(now.addSecs(-2 * 3600), 50.1, 80, "JN45", "IM58", "JN12");
    insert(now.addSecs(-600), 50.1, 80, "IO90", "JN78", "JN24");
    insert(QDateTime(QDate(2026, 6, 13), QTime(23, 59, 59), Qt::UTC), 50.1, 80, "IO83", "KN04", "JN91");
    insert(QDateTime(QDate(2026, 6, 13), QTime(0, 0, 0), Qt::UTC), 50.1, 80, "IN83", "KN14", "JN81");
    insert(QDateTime(QDate(2026, 6, 12), QTime(23, 59, 59), Qt::UTC), 50.1, 80, "IM83", "KN24", "JN71");

    options.setChecked(keys::mapOnlyToday, true);
    map->pathMap().draw();
    EXPECT_EQ(drawnPaths(), (QStringList{"IO90-JN78", "JN45-IM58"}));
    options.setChecked(keys::mapLastHour, true);
    map->pathMap().draw();
    EXPECT_EQ(drawnPaths(), (QStringList{"IO90-JN78"}));
    // A whole earlier day, whatever "Only Last Hour?" says.
    EXPECT_TRUE(map->pathMap().drawWithDate(QStringLiteral("2026-06-13")));
    EXPECT_EQ(drawnPaths(), (QStringList{"IO83-KN04", "IN83-KN14"}));
    EXPECT_FALSE(map->pathMap().drawWithDate(QString()));
    // A user in Britain writes the day before the month.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const bool drawn = map->pathMap().drawWithDate(QStringLiteral("12/06/2026"));
    QLocale::setDefault(before);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(drawnPaths(), (QStringList{"IM83-KN24"}));
}

TEST_P(PathMapTest, TimerFollowsTheProcessingTimerAfterADrawingOrAnError)
{
    tmrMapping.start(1000);
    map->pathMap().MAPPER_DB_CONNECT(10, QString(), false);
    EXPECT_FALSE(tmrMapping.isActive());
    db->CLOSE_DATABASES();
    tmrProcessSpot.start(100);
    map->pathMap().MAPPER_DB_CONNECT(10, QStringLiteral("2026-06-14 14:25:10"), true);
    EXPECT_TRUE(tmrMapping.isActive());
    EXPECT_FALSE(map->pathMap().drawing());
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(
        lines[0].endsWith(QStringLiteral("MAPPER_DRAW_DB_SPOTS(10, 2026-06-14 14:25:10, True,False)")))
        << lines[0].toStdString();
}

// Two rows with a NULL mid-point locator, drawn twice: the other row is drawn, one log line a drawing.
TEST_P(PathMapTest, ANullLocatorIsSkippedAndLoggedOncePerDrawing)
{
    insert(now.addSecs(-60), 50.1, 80, "JN45", "IM58", "JN12");
    for (const int seconds : {-30, -20}) {
        run(Store::Spots,
            QStringLiteral(
                "INSERT INTO tblSPOT (DxDateTime, DxLoc1, DxLoc2, freq, MUF, CentreLoc, TryFrom, TryTo,"
                " Qrb_To_Midpoint) VALUES (?, 'IO90', 'JN78', 50.2, 80, NULL, 'JO01', 'JM23', 1200)"),
            {Database::dateValue(now.addSecs(seconds))});
    }
    options.blnStickyMap = true;
    map->pathMap().MAPPER_DB_CONNECT(100, QString(), false);
    map->pathMap().MAPPER_DB_CONNECT(100, QString(), false);
    EXPECT_EQ(drawnPaths(), (QStringList{"IO90-JN78", "IO90-JN78", "JN45-IM58"}));
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines) {
        EXPECT_TRUE(line.endsWith(QStringLiteral("\t94 - MAPPER_DRAW_DB_SPOTS(100, , False,False)")))
            << line.toStdString();
    }
}

TEST_P(PathMapTest, ALiveSpotIsDrawnAtTheNextTick)
{
    options.setChecked(keys::mapLiveSpots, true);
    options.blnStickyMap = true;
    insert(now.addSecs(-1), 144.3, 160, "IO90", "JN78", "JN24");
    map->pathMap().tmrMapping_Timer();
    EXPECT_EQ(drawnPaths(), (QStringList{"IO90-JN78"}));
    EXPECT_EQ(map->canvas().persistentImage().pixel(locatorCentre(u"IO90")->toPoint()), mapRed);
    // Without "Live Spots?" the tick draws nothing.
    options.setChecked(keys::mapLiveSpots, false);
    insert(now, 50.3, 80, "IM58", "JN78", "JN24");
    map->pathMap().tmrMapping_Timer();
    EXPECT_EQ(drawnPaths(), (QStringList{"IO90-JN78"}));
}

TEST_P(PathMapTest, ClearCentresOnTheHomeSquareOrIo90)
{
    QSignalSpy centre(map.get(), &MufMap::centreRequested);
    map->CLEAR_MAP();
    options.setHomeLocator(QStringLiteral("jo0"));
    map->CLEAR_MAP();
    ASSERT_EQ(centre.count(), 2);
    EXPECT_EQ(centre[0][0].value<GridSquare>(), *gridSquare(u"JO01"));
    EXPECT_EQ(centre[1][0].value<GridSquare>(), *gridSquare(u"IO90"));
}

TEST_P(PathMapTest, FrameMapLogsAMissingBitmap)
{
    map->FRAME_MAP();
    EXPECT_FALSE(map->canvas().hasBitmap());
    // A FIFO or a device in its place is missing too, and never holds the start.
    const QString world = dir.file(QLatin1String(MufMap::worldFileName));
    {
        const FifoGuard fifo(world);
        map->FRAME_MAP();
        EXPECT_FALSE(fifo.fired());
    }
    QFile::remove(world);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), world));
    map->FRAME_MAP();
    QFile::remove(world);
    EXPECT_FALSE(map->canvas().hasBitmap());
    ASSERT_EQ(logLines().size(), 3);
    for (const QString& line : logLines()) {
        EXPECT_TRUE(line.endsWith(QStringLiteral("53 - FRAME_MAP()"))) << line.toStdString();
    }
    installWorldMap(dir);
    map->FRAME_MAP();
    EXPECT_TRUE(map->canvas().hasBitmap());
    EXPECT_EQ(map->canvas().size(), QSize(2880, 1440));
}

INSTANTIATE_TEST_SUITE_P(Backends, PathMapTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
} // namespace zenthra::test
