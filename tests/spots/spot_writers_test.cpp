#include "spots/spot_road_fixture.h"

#include <QSignalSpy>

using namespace zenthra;
using namespace zenthra::test;

namespace {

class Writers : public SpotRoadFixture
{
protected:
    // A complete sporadic-E row as the processor hands it over.
    QStringList mufArgs(const QString& spotInfo = QStringLiteral("G4ABC: 50110.0 EA7XYZ ES"))
    {
        QStringList a =
            QStringLiteral("2024-06-14 11:06:00|G4ABC|IO91WM|EA7XYZ|IM67AA|50.11|204.477|3.305|"
                           "1725.35||IN74RI|9.618|52.446|IO91WM|IM67AA|204.47|3.3|1725.3|49.88|861.8")
                .split(u'|');
        a[9] = spotInfo;
        return a;
    }
    // The arguments in tblSPOT's column order, put into the queued columns they come from; the
    // line as the writer cut it is copied back.
    bool writeMuf(QStringList& a)
    {
        DxcSpotRecord r;
        const SpotColumn order[] = {colDxDateTime, colDxCall1,  colDxLoc1, colDxCall2, colDxLoc2,
                                    colFreq,       colQtf1,     colElev1,  colQrb1,    colSpotInfo,
                                    colCentreLoc,  colCritFreq, colMuf,    colTryFrom, colTryTo,
                                    colQtf2,       colElev2,    colQrb2,   colFot};
        for (int i = 0; i < 19; ++i) {
            r[order[i]] = a[i];
        }
        const bool ok = writers->WRITE_MUF_TO_DB(r, a[19]);
        a[9] = r[colSpotInfo];
        return ok;
    }
    bool writeSpot(QStringList& a)
    {
        return writers->WRITE_SPOT_TO_DB(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    }
};

TEST_P(Writers, LongLinesAreCutTo120WithoutTrailingBlanks)
{
    const QString line = QString(119, u'x') + QStringLiteral("  tail");
    QStringList a = mufArgs(line);
    QSignalSpy stored(writers, &SpotWriters::mufRowStored);
    ASSERT_TRUE(writeMuf(a));
    EXPECT_EQ(a[9], QString(119, u'x')) << "cut in place";
    EXPECT_EQ(stored.count(), 1);
    QStringList s = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "50.11", line, "ES"};
    ASSERT_TRUE(writeSpot(s));
    EXPECT_EQ(s[6], QString(119, u'x'));
    QStringList exact = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "50.11", QString(120, u'y'), "ES"};
    ASSERT_TRUE(writeSpot(exact));
    EXPECT_EQ(exact[6], QString(120, u'y'));
    EXPECT_EQ(column(Store::Spots, QStringLiteral("SELECT SpotInfo FROM tblSPOT")),
              QVariantList({QString(119, u'x')}));
    // Missing locators are stored as empty text, not as NULL.
    EXPECT_EQ(column(Store::Spots, QStringLiteral("SELECT count(*) FROM tblAllSpots WHERE Spot_Loc1 = ''")),
              QVariantList({2}));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(Writers, AValueThatDoesNotConvertIsLoggedAndTheNextRowGoesIn)
{
    QStringList a = mufArgs();
    a[11].clear(); // critFreq
    QSignalSpy stored(writers, &SpotWriters::mufRowStored);
    EXPECT_FALSE(writeMuf(a));
    EXPECT_FALSE(queue->blnDbBusy);
    EXPECT_EQ(stored.count(), 0);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].endsWith(
        "\t13 - WRITE_MUF_TO_DB(2024-06-14 11:06:00, G4ABC, IO91WM, EA7XYZ, IM67AA, 50.11, 204.477, 3.305, "
        "1725.35,"
        " G4ABC: 50110.0 EA7XYZ ES, IN74RI, , 52.446, IO91WM, IM67AA, 204.47, 3.3, 1725.3, 49.88)"))
        << logLines()[0].toStdString();
    QStringList b = mufArgs();
    EXPECT_TRUE(writeMuf(b));
    QStringList s = {"not a date", "G4ABC", "", "NOLOC", "", "50.11", "G4ABC: 50110.0 NOLOC", "ES"};
    EXPECT_FALSE(writeSpot(s));
    EXPECT_TRUE(logLines().last().endsWith(
        "\t13 - WRITE_SPOT_TO_DB(not a date, G4ABC, , NOLOC, , 50.11, G4ABC: 50110.0 NOLOC)"));
    EXPECT_EQ(count("tblSPOT"), 1);
    EXPECT_EQ(count("tblAllSpots"), 0);
}

TEST_P(Writers, FiguresAreStoredAsThePrintedSingle)
{
    QStringList a = mufArgs();
    ASSERT_TRUE(writeMuf(a));
    QStringList s = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "14.027", "x", "CW"};
    ASSERT_TRUE(writeSpot(s));
    // The processor's frequency is the kHz figure scaled and rounded to a single once.
    queueLine(QStringLiteral("DX de G4ABC:     50002.1  EA7XYZ       ES 59 IO91WM<ES>IM67       1234Z"));
    drain();
    struct Case
    {
        const char* table;
        const char* column;
        const char* figure;
    };
    for (const Case& c :
         {Case{"tblAllSpots", "Spot_Freq", "14.027"}, Case{"tblAllSpots", "Spot_Freq", "50.0021"},
          Case{"tblSPOT", "freq", "50.11"}, Case{"tblSPOT", "critfreq", "9.618"},
          Case{"tblSPOT", "MUF", "52.446"}, Case{"tblSPOT", "Qrb_To_Midpoint", "861.8"}}) {
        const QString sql =
            QStringLiteral("SELECT CAST(%2 AS text) FROM %1 WHERE %2 = %3")
                .arg(QLatin1String(c.table), QLatin1String(c.column), QLatin1String(c.figure));
        EXPECT_EQ(column(Store::Spots, sql).value(0).toString(), QString::fromLatin1(c.figure))
            << sql.toStdString();
    }
}

// Each column of a sporadic-E row lands under its own name: the report prints bearing and
// elevation from qtf1/Elev1 and Qtf2/Elev2, which a swap in the insert would exchange silently.
TEST_P(Writers, EveryColumnOfTheSporadicERowIsStoredUnderItsName)
{
    struct Column
    {
        const char* name;
        SpotColumn from; // `midpoint`: the writer's argument beside the queued spot
        const char* value;
    };
    constexpr SpotColumn midpoint = SpotColumn(-1);
    const Column row[] = {
        {"DxDateTime", colDxDateTime, "2024-06-14 11:06:00"},
        {"DxCall1", colDxCall1, "G4ABC"},
        {"DxLoc1", colDxLoc1, "IO91WM"},
        {"DxCall2", colDxCall2, "EA7XYZ"},
        {"DxLoc2", colDxLoc2, "IM67AA"},
        {"freq", colFreq, "50.125"},
        {"qtf1", colQtf1, "204.5"},
        {"Elev1", colElev1, "3.25"},
        {"QRB1", colQrb1, "1725.5"},
        {"SpotInfo", colSpotInfo, "G4ABC: 50125.0 EA7XYZ ES"},
        {"CentreLoc", colCentreLoc, "IN74RI"},
        {"critfreq", colCritFreq, "9.625"},
        {"MUF", colMuf, "52.75"},
        {"TryFrom", colTryFrom, "JO01AA"},
        {"TryTo", colTryTo, "JM23BB"},
        {"Qtf2", colQtf2, "24.75"},
        {"Elev2", colElev2, "4.5"},
        {"QRB2", colQrb2, "1800.25"},
        {"FOT", colFot, "44.875"},
        {"Qrb_To_Midpoint", midpoint, "861.5"},
    };
    ASSERT_EQ(columns(QStringLiteral("tblSPOT")).size(), qsizetype(std::size(row)));
    DxcSpotRecord r;
    QString qrbToMidpoint;
    for (const Column& c : row) {
        (c.from == midpoint ? qrbToMidpoint : r[c.from]) = QString::fromLatin1(c.value);
    }
    ASSERT_TRUE(writers->WRITE_MUF_TO_DB(r, qrbToMidpoint));

    for (const Column& c : row) {
        const QVariantList stored =
            column(Store::Spots, QStringLiteral("SELECT %1 FROM tblSPOT").arg(QLatin1String(c.name)));
        ASSERT_EQ(stored.size(), 1) << c.name;
        const QString expected = QString::fromLatin1(c.value);
        bool number = false;
        const double figure = expected.toDouble(&number);
        if (c.from == colDxDateTime) {
            EXPECT_EQ(Database::readDate(stored[0]), QDateTime(QDate(2024, 6, 14), QTime(11, 6), Qt::UTC));
        } else if (number) {
            EXPECT_EQ(stored[0].toDouble(), figure) << c.name;
        } else {
            EXPECT_EQ(stored[0].toString(), expected) << c.name;
        }
    }
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(Writers, BusyDatabaseIsLeftAlone)
{
    queue->blnDbBusy = true;
    QStringList a = mufArgs();
    a[11].clear();
    EXPECT_FALSE(writeMuf(a));
    QStringList s = {"2024-06-14 11:06:00", "G4ABC", "", "NOLOC", "", "50.11", "x", "ES"};
    EXPECT_FALSE(writeSpot(s));
    EXPECT_TRUE(queue->blnDbBusy);
    queue->blnDbBusy = false;
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_EQ(count("tblSPOT"), 0);
    EXPECT_EQ(count("tblAllSpots"), 0);
}

TEST_P(Writers, ReopenedDatabaseGetsFreshStatements)
{
    QStringList a = mufArgs();
    ASSERT_TRUE(writeMuf(a));
    db->CLOSE_DATABASES();
    QStringList b = mufArgs();
    EXPECT_FALSE(writeMuf(b));
    open();
    QStringList c = mufArgs();
    EXPECT_TRUE(writeMuf(c));
    // The server's row waited for the connection; the embedded file's was lost.
    EXPECT_EQ(count("tblSPOT"), server() ? 3 : 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, Writers, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
