#include "maps/avg_map_query.h"
#include "maps/single_map_query.h"
#include "spots/database_fixture.h"

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

namespace {

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute), Qt::UTC);
}

} // namespace

class MapWindowQuery : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (!IsSkipped()) {
            open();
            ASSERT_TRUE(db->isOpen()) << logLines().join('\n').toStdString();
        }
    }

    void spot(const QDateTime& time, const QString& info, double muf, double qrb, const QString& centre,
              const QVariant& freq = 50.1)
    {
        run(Store::Spots,
            QStringLiteral(
                "INSERT INTO tblSPOT (DxDateTime, SpotInfo, MUF, QRB1, CentreLoc, Freq, DxLoc1, DxLoc2,"
                " TryFrom, TryTo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {Database::dateValue(time), info, muf, qrb, centre, freq, QStringLiteral("JO01AA"),
             QStringLiteral("IM58BB"), QStringLiteral("IO91WM"), QStringLiteral("IM45XX")});
    }
};

TEST_P(MapWindowQuery, AveragesPerSquareOfOneUtcDayHighestFirst)
{
    spot(at(5, 0, 0), QStringLiteral("a"), 80.0, 1500, QStringLiteral("JN45AB"));
    spot(at(5, 23, 59), QStringLiteral("b"), 90.5, 1800, QStringLiteral("JN45XX"));
    spot(at(5, 12), QStringLiteral("c"), 60.0, 1200, QStringLiteral("IN82"));
    spot(at(5, 12), QStringLiteral("d"), 120.0, 2999, QStringLiteral("KM72AA"));
    spot(at(5, 13), QStringLiteral("too long"), 200.0, 3000, QStringLiteral("IN82AA"));
    spot(at(5, 14), QStringLiteral("no centre"), 150.0, 1000, QString());
    spot(at(4, 23, 59), QStringLiteral("day before"), 250.0, 1000, QStringLiteral("IN82AA"));
    spot(at(6, 0, 0), QStringLiteral("day after"), 250.0, 1000, QStringLiteral("IN82AA"));

    std::vector<avgmap::AvgSquare> squares;
    SqlFailure why;
    ASSERT_TRUE(queryAverageMuf(*db, QDate(2026, 12, 5), squares, &why)) << why.text.toStdString();
    ASSERT_EQ(squares.size(), 3u);
    EXPECT_EQ(squares[0].square, QStringLiteral("KM72"));
    EXPECT_EQ(squares[1].square, QStringLiteral("JN45"));
    EXPECT_DOUBLE_EQ(squares[1].averageMuf, 85.25);
    EXPECT_EQ(squares[1].spotCount, 2);
    EXPECT_EQ(squares[2].square, QStringLiteral("IN82"));

    ASSERT_TRUE(queryAverageMuf(*db, QDate(2026, 12, 3), squares));
    EXPECT_TRUE(squares.empty());
}

TEST_P(MapWindowQuery, ListsTheDaysSpotTextsAndMatchesOneExactlyAsAValue)
{
    const QString underscore = QStringLiteral("DX de G4ABC: 50110.0 EA8_X JO01 ES");
    const QString plain = QStringLiteral("DX de G4ABC: 50110.0 EA8XX JO01 ES");
    const QString apostrophe = QStringLiteral("DX de G4ABC: 50110.0 EA8XX it's open");
    const QString percent = QStringLiteral("DX de G4ABC: 50110.0 EA8%X JO01 ES");
    spot(at(5, 10), underscore, 80, 1500, QStringLiteral("IN82AA"), 50.11);
    spot(at(5, 11), plain, 80, 1500, QStringLiteral("IN82"));
    spot(at(5, 12), apostrophe, 80, 1500, QStringLiteral("IN82AA"), QVariant(QMetaType::fromType<double>()));
    spot(at(5, 13), underscore, 90, 1500, QStringLiteral("IN83AA"), 144.3);
    spot(at(5, 14), percent, 80, 1500, QStringLiteral("IN82"));
    spot(at(6, 1), QStringLiteral("next day"), 80, 1500, QStringLiteral("JN45"));

    QStringList texts;
    ASSERT_TRUE(querySpotTexts(*db, QDate(2026, 12, 5), texts));
    EXPECT_EQ(texts, (QStringList{percent, underscore, apostrophe, plain, underscore}));
    std::vector<singlemap::SpotRow> rows;
    SqlFailure why;
    ASSERT_TRUE(querySpotRows(*db, QDate(2026, 12, 5), underscore, rows, &why)) << why.text.toStdString();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].time, at(5, 13));
    EXPECT_EQ(rows[0].centreLoc, QStringLiteral("IN83AA"));
    EXPECT_NEAR(rows[0].freq.value_or(0), 144.3, 1e-9);
    EXPECT_EQ(rows[1].dxLoc1 + rows[1].dxLoc2 + rows[1].tryFrom + rows[1].tryTo,
              QStringLiteral("JO01AAIM58BBIO91WMIM45XX"));

    ASSERT_TRUE(querySpotRows(*db, QDate(2026, 12, 5), apostrophe, rows, &why)) << why.text.toStdString();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].spotInfo, apostrophe);
    EXPECT_EQ(rows[0].freq, std::nullopt);

    ASSERT_TRUE(querySpotRows(*db, QDate(2026, 12, 4), apostrophe, rows));
    EXPECT_TRUE(rows.empty());
}

TEST_P(MapWindowQuery, ClosedDatabaseFailsWithoutRows)
{
    db->CLOSE_DATABASES();
    std::vector<avgmap::AvgSquare> squares{{QStringLiteral("JN45"), 1, 1}};
    SqlFailure why;
    EXPECT_FALSE(queryAverageMuf(*db, QDate(2026, 12, 5), squares, &why));
    EXPECT_TRUE(squares.empty());
    EXPECT_EQ(why.number, Database::errProviderFailure);
    QStringList texts{QStringLiteral("old")};
    EXPECT_FALSE(querySpotTexts(*db, QDate(2026, 12, 5), texts));
    EXPECT_TRUE(texts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, MapWindowQuery, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);
