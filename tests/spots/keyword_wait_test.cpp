// A spot is classified with the keyword list or not at all: while no layer could read the list,
// it waits, and the caption says why; once the list is there it is stored with the mode the list
// gives, never with one made without it.

#include "spots/spot_road_fixture.h"
#include "support/station_spot.h"

#include <QSqlQuery>

using namespace zenthra;
using namespace zenthra::test;

namespace {

class KeywordWait : public SpotRoadFixture
{
};

TEST_P(KeywordWait, ASpotWaitsForTheListAndIsClassifiedWithIt)
{
    for (const auto& [call, loc] : {std::pair{"G4ABC", "IO91WM"}, std::pair{"S51ZZ", "JN76DB"}}) {
        ASSERT_TRUE(db->exec(
            Store::CallLoc,
            QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)"),
            {QLatin1String(call), QLatin1String(loc), Database::dateValue(clock.utcNow().addDays(-1))}));
    }
    PropKeywords unread{log};
    SpotRoad withoutList{{options, log, db.get(), folder, unread, windows->intHiddenHfSpot, player,
                          [this] { return clock.utcNow(); }}};
    const auto rows = [this](const char* sql) {
        QStringList out;
        QSqlQuery q;
        if (db->exec(Store::Spots, QLatin1String(sql), {}, &q)) {
            while (q.next()) {
                out << q.value(0).toString();
            }
        }
        return out;
    };
    QueuedSpot spot =
        stationSpot(QStringLiteral("DX de G4ABC:     50110.0  S51ZZ        MS pings              1234Z"));
    withoutList.queue.QUEUE_DXC_SPOT(spot);
    withoutList.processor.tmrProcessSpot_Timer();
    EXPECT_EQ(withoutList.processor.notStoring(),
              QStringLiteral(
                  "Spots are not being stored (the propagation keyword list could not be read): 1 waiting"
                  " in memory"));
    EXPECT_EQ(rows("SELECT count(*) FROM tblAllSpots"), QStringList{QStringLiteral("0")});

    unread.adopt(keywords.arrPropTypes());
    withoutList.processor.tmrProcessSpot_Timer();
    EXPECT_EQ(withoutList.processor.notStoring(), QString());
    EXPECT_EQ(rows("SELECT Spot_Mode FROM tblAllSpots"), QStringList{QStringLiteral("MS")});
    EXPECT_EQ(rows("SELECT count(*) FROM tblSPOT"), QStringList{QStringLiteral("0")});
}

INSTANTIATE_TEST_SUITE_P(Backends, KeywordWait, ::testing::Values(Backend::Sqlite), backendName);

} // namespace
