#include "spots/spot_road_fixture.h"

#include "spots/line_filter.h"
#include "support/eventually.h"

#include <QHash>
#include <QSignalSpy>
#include <QSqlRecord>
#include <QTest>

#include <chrono>
#include <functional>
#include <iterator>
#include <utility>

using namespace zenthra;
using namespace zenthra::test;

namespace {

const QString crlf = QStringLiteral("\r\n");
const QString dashLine = QString(80, u'-');
const QString dotLine = QString(70, u'.');

// The stations the road knows, and their locators.
const std::pair<QString, QString> stations[] = {
    {QStringLiteral("QX1ABC"), QStringLiteral("IO90IR")},
    {QStringLiteral("QX5/ABC/1"), QStringLiteral("KM46AA")},
    {QStringLiteral("G4ABC"), QStringLiteral("IO91WM")},
    {QStringLiteral("EA7XYZ"), QStringLiteral("IM67AA")},
    {QStringLiteral("SV1AB"), QStringLiteral("KM18UA")},
    {QStringLiteral("OH1XX"), QStringLiteral("KP20LE")},
    {QStringLiteral("DL1ZZ"), QStringLiteral("JO62QM")},
    {QStringLiteral("I0ABC"), QStringLiteral("JN61FV")},
};

QString head(const QString& line)
{
    return crlf + dashLine + crlf + QStringLiteral("11:06z [DX DE ") + line + QStringLiteral("] 14 June ") +
           crlf;
}

class Processor : public SpotRoadFixture
{
protected:
    void SetUp() override
    {
        SpotRoadFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        for (const auto& [call, loc] : stations) {
            station(call, loc);
        }
    }

    // The database gone while the road runs: the layer closed, so that look-ups wait for it. A
    // server layer would reopen at the first failed look-up, unless its retry is not yet due.
    void outage()
    {
        db->setServerRetryInterval(std::chrono::hours(1));
        db->CLOSE_DATABASES();
    }

    // The first row a query finds, every column.
    QVariantList firstRow(const QString& sql, const QVariantList& values)
    {
        QSqlQuery q = run(Store::Spots, sql, values);
        QVariantList v;
        if (q.next()) {
            for (int i = 0; i < q.record().count(); ++i) {
                v.append(q.value(i));
            }
        }
        return v;
    }
};

TEST_P(Processor, GoldenReportsRowsCaptionAndSounds)
{
    options.blnCalcDoubleHop = true;
    options.blnDoubleHop50 = true;
    options.intDoubleHopMinQrb = 1500;
    for (int i = 0; i < 9; ++i) {
        options.setChecked(QStringLiteral("mnuBellByMode(%1)").arg(i), true);
    }
    queueLine(QStringLiteral("dx de qx1abc: 110600 QX5/ABC/1  VOR ES s9 io90<>KM46"));
    queueLine(QStringLiteral("DX de G4ABC:     50110.0  EA7XYZ       ES 59 IO91WM<ES>IM67       1234Z"));
    queueLine(QStringLiteral("DX de OH1XX:     50125.0  I0ABC        es 5x9                     1235Z"));
    queueLine(QStringLiteral("DX de DL1ZZ:    144300.0  SV1AB        Es tnx                     1236Z"));
    queueLine(QStringLiteral("DX de G4ABC-2:   50200.0  DL1ZZ        tropo 599                  1237Z"));
    queueLine(QStringLiteral("DX de SV1AB:   28885.0  OH1XX        ES                     1238Z"));
    drain();

    const QString expectedMuf =
        head(QStringLiteral("qx1abc: 110600 QX5/ABC/1 VOR ES s9 io90<>KM46")) +
        "es from IO90IR to KM46AA on 110.600. (QTF=114) (El=-2) (QRB=2848km)" + crlf +
        "Centre=JN74OH Crit Freq=20.7mhz" + crlf +
        "From IO91WM try towards KM35KM   (QTF=120) (El=-2) (QRB=2782km)" + crlf +
        "MUF=112.6mhz  FOT=112.6mhz (Below Horizon.. TR/CHORDIAL?)" +
        head(QStringLiteral("G4ABC: 50110.0 EA7XYZ ES 59 IO91WM<ES>IM67 1234Z")) +
        "es from IO91WM to IM67AA on 50.110. (QTF=204) (El=3) (QRB=1725km)" + crlf +
        "Centre=IN74RI Crit Freq=9.6mhz" + crlf +
        "From IO91WM try towards IM67AA   (QTF=204) (El=3) (QRB=1725km)" + crlf + "MUF=52.4mhz  FOT=49.9mhz" +
        crlf + dotLine + crlf + " **Double Hop Calc (1) from IO91WM to IN74RI**" + crlf +
        "  >MUF=75.9mhz. From IO91WM try to IN74SJ(qtf=204, El=12, QRB=855km)<" + crlf +
        " **Double Hop Calc (2) from IN74RI to IM67AA**" + crlf +
        "  >MUF=75.7mhz. From IO91WM try to IL49NO(qtf=205, El=-1, QRB=2591)<" +
        head(QStringLiteral("OH1XX: 50125.0 I0ABC es 5x9 1235Z")) +
        "es from KP20LE to JN61FV on 50.125. (QTF=209) (El=1) (QRB=2206km)" + crlf +
        "Centre=JO81RE Crit Freq=9.2mhz" + crlf +
        "From IO91WM try towards KN68WI   (QTF=85) (El=0) (QRB=2437km)" + crlf + "MUF=50.2mhz  FOT=50.2mhz" +
        crlf + dotLine + crlf + " **Double Hop Calc (1) from KP20LE to JO81RE**" + crlf +
        "  >MUF=64.5mhz. From IO91WM try to LO25BT(qtf=63, El=-2, QRB=2906km)<" + crlf +
        " **Double Hop Calc (2) from JO81RE to JN61FV**" + crlf +
        "  >MUF=64.6mhz. From IO91WM try to KN30IA(qtf=112, El=0, QRB=2421)<" +
        head(QStringLiteral("DL1ZZ: 144300.0 SV1AB Es tnx 1236Z")) +
        "es from JO62QM to KM18UA on 144.300. (QTF=150) (El=3) (QRB=1799km)" + crlf +
        "Centre=JN95OJ Crit Freq=27.4mhz" + crlf +
        "From IO91WM try towards KM76BR   (QTF=108) (El=-3) (QRB=3146km)" + crlf +
        "MUF=149.3mhz  FOT=149.3mhz (Below Horizon.. TR/CHORDIAL?)" +
        head(QStringLiteral("SV1AB: 28885.0 OH1XX ES 1238Z")) +
        "es from KM18UA to KP20LE on 28.885. (QTF=2) (El=-1) (QRB=2467km)" + crlf +
        "Centre=KN29CC Crit Freq=5.3mhz" + crlf +
        "From IO91WM try towards LN22FH   (QTF=90) (El=-4) (QRB=3477km)" + crlf +
        "MUF=28.9mhz  FOT=28.9mhz (Below Horizon....)" + crlf + dotLine + crlf +
        " **Double Hop Calc (1) from KM18UA to KN29CC**" + crlf +
        "  >MUF=34.9mhz. From IO91WM try to LM01QV(qtf=107, El=-6, QRB=3996km)<" + crlf +
        " **Double Hop Calc (2) from KN29CC to KP20LE**" + crlf +
        "  >MUF=34.9mhz. From IO91WM try to LO42UJ(qtf=69, El=-4, QRB=3350)<";
    EXPECT_EQ(muf().toStdString(), expectedMuf.toStdString());

    const QString expectedVhfTail = head(QStringLiteral("G4ABC-2: 50200.0 DL1ZZ tropo 599 1237Z")) +
                                    "PROPAGATION MODE ~ ***TROPO***" + crlf +
                                    "FROM IO91WM TO JO62QM: QTF=78, QRB=930km" + crlf +
                                    "FROM IO91WM TO IO91WM: QTF=0, QRB=0km (G4ABC)" + crlf +
                                    "FROM IO91WM TO JO62QM: QTF=78, QRB=930km (DL1ZZ)";
    const QString expectedVhfHead =
        head(QStringLiteral("qx1abc: 110600 QX5/ABC/1 VOR ES s9 io90<>KM46")) +
        "PROPAGATION MODE ~ ***ES***" + crlf + "FROM IO90IR TO KM46AA: QTF=114, QRB=2848km" + crlf +
        "FROM IO91WM TO IO90IR: QTF=224, QRB=120km (QX1ABC)" + crlf +
        "FROM IO91WM TO KM46AA: QTF=117, QRB=2812km (QX5/ABC/1)" + crlf + dashLine + crlf;
    EXPECT_TRUE(vhf().startsWith(expectedVhfHead)) << vhf().toStdString();
    EXPECT_TRUE(vhf().endsWith(expectedVhfTail)) << vhf().toStdString();
    // The 28.9 MHz spot is below the VHF window's 33 MHz.
    EXPECT_FALSE(vhf().contains(QLatin1String("SV1AB: 28885.0")));

    EXPECT_EQ(caption, "MUF @ 28.92mhz, try to LN22FH (qtf 90 / qrb 3477)");
    EXPECT_EQ(count("tblSPOT"), 5);
    EXPECT_EQ(count("tblAllSpots"), 6);

    const QVariantList debug =
        firstRow("SELECT DxDateTime, DxCall1, DxLoc1, DxCall2, DxLoc2, freq, qtf1, Elev1, QRB1, SpotInfo,"
                 " CentreLoc, critfreq, MUF, TryFrom, TryTo, Qtf2, Elev2, QRB2, FOT, Qrb_To_Midpoint"
                 " FROM tblSPOT WHERE DxCall1 = ?",
                 {"QX1ABC"});
    ASSERT_EQ(debug.size(), 20);
    EXPECT_EQ(Database::readDate(debug[0]), QDateTime(QDate(2024, 6, 14), QTime(11, 6), Qt::UTC));
    EXPECT_EQ(debug[1].toString(), "QX1ABC");
    EXPECT_EQ(debug[2].toString(), "IO90IR");
    EXPECT_EQ(debug[3].toString(), "QX5/ABC/1");
    EXPECT_EQ(debug[4].toString(), "KM46AA");
    EXPECT_FLOAT_EQ(debug[5].toFloat(), 110.6f);
    EXPECT_EQ(debug[9].toString(), "qx1abc: 110600 QX5/ABC/1 VOR ES s9 io90<>KM46");
    EXPECT_EQ(debug[10].toString(), "JN74OH");
    EXPECT_NEAR(debug[12].toDouble(), 112.621, 0.001);
    EXPECT_EQ(debug[13].toString(), "IO91WM");
    EXPECT_EQ(debug[14].toString(), "KM35KM");
    EXPECT_NEAR(debug[19].toDouble(), 1391.44, 0.01);

    const QVariantList tropo = firstRow("SELECT Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2,"
                                        " Spot_Detail, Spot_Freq, Spot_Mode FROM tblAllSpots"
                                        " WHERE Spot_Detail LIKE 'G4ABC-2:%'",
                                        {});
    ASSERT_EQ(tropo.size(), 8);
    EXPECT_EQ(tropo[1].toString(), "G4ABC");
    EXPECT_EQ(tropo[2].toString(), "IO91WM");
    EXPECT_EQ(tropo[3].toString(), "DL1ZZ");
    EXPECT_EQ(tropo[4].toString(), "JO62QM");
    EXPECT_FLOAT_EQ(tropo[6].toFloat(), 50.2f);
    EXPECT_EQ(tropo[7].toString(), "TROPO");

    EXPECT_EQ(player.played, QStringList({dir.file("ES.wav"), dir.file("ES.wav"), dir.file("ES.wav"),
                                          dir.file("ES.wav"), dir.file("TROPO.wav"), dir.file("ES.wav")}));
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
    EXPECT_FALSE(queue->tmrProcessSpot().isActive());
}

TEST_P(Processor, ParsingEdges)
{
    station(QStringLiteral("SPOTA"), QStringLiteral("JO01"));
    queueLine(QStringLiteral("DX de SPOTA 50110.0 DXB tnx"));
    queueLine(QStringLiteral("DX de spota-2: 50110.0 dxb/bcn tnx"));
    queueLine(QStringLiteral("DX de SPOTA: 50110.0 DXB/BEACON tnx"));
    queueLine(QStringLiteral("DX de SPOTA: 50110.0 SPOTA ES es es"));
    drain();
    QSqlQuery q =
        run(Store::Spots, QStringLiteral("SELECT Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2, Spot_Freq,"
                                         " Spot_Mode, Spot_Detail FROM tblAllSpots ORDER BY Spot_Detail"));
    QStringList rows;
    while (q.next()) {
        rows << QStringLiteral("%1|%2|%3|%4|%5|%6")
                    .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                         q.value(3).toString(), QString::number(q.value(4).toFloat()), q.value(5).toString());
    }
    // Spotter without colon, SSID cut, beacon suffixes shortened, self-spot UNKNOWN whatever the comment.
    EXPECT_EQ(rows,
              QStringList({"SPOTA|JO01MM|DXB||50.11|UNKNOWN", "SPOTA|JO01MM|DXB/B||50.11|UNKNOWN",
                           "SPOTA|JO01MM|SPOTA|JO01MM|50.11|UNKNOWN", "SPOTA|JO01MM|DXB/B||50.11|UNKNOWN"}))
        << rows.join('\n').toStdString();
}

TEST_P(Processor, BadInputIsLoggedAndDroppedAndTheRoadGoesOn)
{
    const QString good = QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES 59");
    const QList<std::pair<QString, QString>> bad = {
        {QStringLiteral("DX de NOCOLONANDNOBLANK"),
         QStringLiteral("5 - PROCESS_DXC_SPOTS(NOCOLONANDNOBLANK)")},
        {QStringLiteral("DX de SPOTA: abc DXB tnx"), QStringLiteral("9876 - PROCESS_DXC_SPOTS(abc DXB tnx)")},
        {QStringLiteral("DX de SPOTA: 0 DXB tnx"), QStringLiteral("9876 - PROCESS_DXC_SPOTS(0 DXB tnx)")},
        {QStringLiteral("DX de SPOTA: 50110.0"), QStringLiteral("5 - PROCESS_DXC_SPOTS(50110.0)")},
        {QStringLiteral("DX de SPOTA: 50110 DXB ") + QString(100000, u'x'),
         QStringLiteral("9876 - PROCESS_DXC_SPOTS(SPOTA: 50110 DXB xxx")},
        {QStringLiteral("DX de SPOTA: 1e99 DXB tnx"), QStringLiteral("6 - PROCESS_DXC_SPOTS(1e99 DXB tnx)")},
    };
    for (const auto& [line, logged] : bad) {
        queueLine(line);
        queueLine(good);
    }
    drain();
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), bad.size()) << lines.join('\n').toStdString();
    for (qsizetype i = 0; i < bad.size(); ++i) {
        EXPECT_TRUE(lines[i].section(u'\t', 1).startsWith(bad[i].second)) << lines[i].toStdString();
        EXPECT_LT(lines[i].size(), 300);
    }
    EXPECT_EQ(count("tblAllSpots"), int(bad.size()));
    EXPECT_EQ(count("tblSPOT"), int(bad.size()));
    EXPECT_EQ(muf().count(QLatin1String("es from IO91WM to IM67AA on 50.110.")), bad.size());
    EXPECT_EQ(queue->pendingRows(), 0);
    EXPECT_FALSE(queue->tmrProcessSpot().isActive());
    EXPECT_FALSE(queue->blnProcessBusy);
}

TEST_P(Processor, TerminalCodesAndStrayCharactersGoAndTheSpotIsStored)
{
    options.setHomeLocator(QStringLiteral("IO91WM"));
    options.setChecked(QStringLiteral("chkLogAll"), true);
    qint16 hiddenHf = 0;
    LineFilter filter(options, log, hiddenHf);
    filter.sinks().queueSpot = [this](QueuedSpot& spot) { queue->QUEUE_DXC_SPOT(spot); };
    const QString esc = QStringLiteral("\x1b");
    const QString nul(1, QChar(0));
    struct Received
    {
        QString line; // as decoded from the node
        QString spotter;
        QString dx;
        float mhz;
        QString detail;
    };
    const QList<Received> received = {
        {QStringLiteral(
             "DX de G0ABC:     50313.0  CT7ZZZ       FT8 Es IN50 JN59               2110Z\a\a\r\n"),
         "G0ABC", "CT7ZZZ", 50.313f, "G0ABC: 50313.0 CT7ZZZ FT8 Es IN50 JN59 2110Z"},
        {esc + "[1mDX de DK7XYZ:    50110.0  EA8/ON4XYZ   JN48QT<ES>IL18 QRP 5W LOOP ANT 1206Z" + esc +
             "[0m\a\a\r\n",
         "DK7XYZ", "EA8/ON4XYZ", 50.11f, "DK7XYZ: 50110.0 EA8/ON4XYZ JN48QT<ES>IL18 QRP 5W LOOP ANT 1206Z"},
        {"DX de PA3QRS:" + esc + "[0;31m   144300.0" + esc + "[0m  " + esc + "[1;33mON4UVW" + esc +
             "[0m       tropo 55 JO22>JO20             1201Z\r\n",
         "PA3QRS", "ON4UVW", 144.3f, "PA3QRS: 144300.0 ON4UVW tropo 55 JO22>JO20 1201Z"},
        // A windows-1252 dash read as Latin-1, and one read right.
        {QString::fromLatin1("DX de F5ABC:     70200.0  G4DEF        Es 59 \x96 tnx              1412Z\r\n"),
         "F5ABC", "G4DEF", 70.2f, QStringLiteral("F5ABC: 70200.0 G4DEF Es 59 \u2013 tnx 1412Z")},
        {QStringLiteral("DX de SM5ABC:    50120.0  OH6DEF       AU \u2013 JO89<AU>KP32           1835Z\r\n"),
         "SM5ABC", "OH6DEF", 50.12f, QStringLiteral("SM5ABC: 50120.0 OH6DEF AU \u2013 JO89<AU>KP32 1835Z")},
        {"DX de S57ABC:   144174.0  I1XYZ        MS 26/27 JN65                  0530Z" + esc + "[K\a\a\r\n",
         "S57ABC", "I1XYZ", 144.174f, "S57ABC: 144174.0 I1XYZ MS 26/27 JN65 0530Z"},
        {"DX de LZ1ABC:    50125.0  EA3XYZ       cq cq" + nul + QChar(0xFFFD) + " es" + QChar(0xD800) +
             "\x7f                       2109Z\r\n",
         "LZ1ABC", "EA3XYZ", 50.125f, "LZ1ABC: 50125.0 EA3XYZ cq cq es 2109Z"},
        {esc + "]0;TEST-1" + esc + "\\DX de OK1XYZ:   144000.0  C0NTEST" + esc + "(B" + esc +
             "=      -> see the contest page        1328Z JO70\r\n",
         "OK1XYZ", "C0NTEST", 144.0f, "OK1XYZ: 144000.0 C0NTEST -> see the contest page 1328Z JO70"},
    };
    for (const Received& r : received) {
        QString chunk = r.line;
        filter.FILTER_DXC_BY_FREQ(chunk);
    }
    drain();
    for (const Received& r : received) {
        QSqlQuery q = run(Store::Spots,
                          QStringLiteral("SELECT Spot_Call1, Spot_Detail, Spot_Freq FROM tblAllSpots"
                                         " WHERE Spot_Call2 = ?"),
                          {r.dx});
        if (!q.next()) {
            ADD_FAILURE() << "not stored: " << r.dx.toStdString();
            continue;
        }
        EXPECT_EQ(q.value(0).toString(), r.spotter);
        EXPECT_EQ(q.value(1).toString(), r.detail);
        EXPECT_FLOAT_EQ(q.value(2).toFloat(), r.mhz) << r.dx.toStdString();
        EXPECT_FALSE(q.next());
    }
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(Processor, WhatASingleSpotLeavesBehind)
{
    station("G4XYZ", "IO91WM");
    QSignalSpy mapping(writers, &SpotWriters::mufRowStored);
    struct Case
    {
        const char* name;
        std::function<void()> before; // options stay changed for the rows below
        QString line, home;
        bool logged;
        int spotRows, allRows;
        QString mufHas; // a part of the MUF window's text, "" when nothing is shown
        QString captionStart;
    };
    const QString es = "DX de G4ABC: 50110.0 EA7XYZ ES 59";
    const Case cases[] = {
        {"NoLocatorsBelow33MHz", {}, "DX de G4ABC: 28900.0 NOLOC ES 59", "IO91WM", true, 0, 1, "", ""},
        {"NoLocators",
         {},
         "DX de G4ABC: 50110.0 NOLOC ES 59",
         "IO91WM",
         true,
         0,
         1,
         "NOLOC ES 59]  14 June \r\n***UNKNOWN LOCATOR(S)***",
         ""},
        {"PathOfNoLength", {}, "DX de G4ABC: 50110.0 G4XYZ ES 59", "IO91WM", true, 0, 1, "", ""},
        {"NotLogged",
         {},
         es,
         "IO91WM",
         false,
         0,
         0,
         "try towards IM67AA   (QTF=204) (El=3) (QRB=1725km)\r\nMUF=52.4mhz  FOT=49.9mhz",
         "MUF @ 52.45mhz, try to IM67AA"},
        // The queue normalises a short home locator; the reports use that form.
        {"ShortHome", {}, es, "io91", true, 1, 1, "From IO91MM try towards", "MUF @ 52.45mhz, try to "},
        {"ShortHome6",
         {},
         es,
         "io91w",
         true,
         1,
         1,
         "From IO91WM try towards IM67AA",
         "MUF @ 52.45mhz, try to IM67AA"},
        {"BusyDatabase", [this] { queue->blnDbBusy = true; }, es, "IO91WM", true, 0, 0,
         "***UNKNOWN LOCATOR(S)***", ""},
        // The reflection point is far beyond 5000 km from a home in Australia.
        {"FarHome", {}, es, "QF56", true, 1, 1, "", ""},
        {"FarHomeWithOption", [this] { options.classifier.blnEsBeyond5000 = true; }, es, "QF56", true, 1, 1,
         "From QF56MM try towards ", "MUF @ 52.45mhz, try to "},
        {"WithoutCalcEs",
         [this] {
             options.setChecked("mnuEsOptions(0)", false);
             options.setChecked("chkCalcVHF", false);
         },
         es, "IO91WM", true, 1, 1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(Store::Spots, "DELETE FROM tblSPOT");
        run(Store::Spots, "DELETE FROM tblAllSpots");
        windows->txtDataRetrieval[0].replace({});
        windows->txtDataRetrieval[1].replace({});
        caption.clear();
        mapping.clear();
        if (c.before) {
            c.before();
        }
        queueLine(c.line, c.home, c.logged, c.logged);
        drain();
        queue->blnDbBusy = false;
        EXPECT_EQ(count("tblSPOT"), c.spotRows);
        EXPECT_EQ(mapping.count(), c.spotRows);
        EXPECT_EQ(count("tblAllSpots"), c.allRows);
        EXPECT_TRUE(c.mufHas.isEmpty() ? muf().isEmpty() : muf().contains(c.mufHas)) << muf().toStdString();
        EXPECT_TRUE(c.captionStart.isEmpty() ? caption.isEmpty() : caption.startsWith(c.captionStart))
            << caption.toStdString();
    }
    EXPECT_TRUE(vhf().isEmpty()) << "without the VHF calculation";
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(Processor, OneSpotPerTickInArrivalOrderWhenTheBudgetIsSpent)
{
    processor->setTickBudget(std::chrono::milliseconds(0));
    queueLine(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES first"));
    queueLine(QStringLiteral("DX de OH1XX: 50125.0 I0ABC ES second"));
    queueLine(QStringLiteral("DX de DL1ZZ: 144300.0 SV1AB ES third"));
    QStringList seen;
    for (int tick = 0; tick < 3; ++tick) {
        processor->tmrProcessSpot_Timer();
        EXPECT_EQ(queue->pendingRows() + processor->waitingSpots(), 2 - tick);
        seen << processor->lastReport().section(QStringLiteral(" [DX DE "), 1).section(u':', 0, 0);
    }
    EXPECT_EQ(seen, QStringList({"G4ABC", "OH1XX", "DL1ZZ"}));
    EXPECT_FALSE(queue->tmrProcessSpot().isActive());
    // With time to spare, one tick takes them all (a generous budget: a loaded server may be slow).
    processor->setTickBudget(std::chrono::seconds(10));
    for (int i = 0; i < 3; ++i) {
        queueLine(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES again"));
    }
    processor->tmrProcessSpot_Timer();
    EXPECT_EQ(queue->pendingRows() + processor->waitingSpots(), 0);
}

TEST_P(Processor, TheQueueTimerDrivesTheProcessor)
{
    for (int i = 0; i < 3; ++i) {
        queueLine(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES %1").arg(i));
    }
    EXPECT_EVENTUALLY_EQ(count("tblAllSpots"), 3, 20000);
    EXPECT_FALSE(queue->tmrProcessSpot().isActive());
}

QList<bool> pointerStates(const QSignalSpy& pointer)
{
    QList<bool> states;
    for (const QList<QVariant>& signal : pointer) {
        states << signal[0].toBool();
    }
    return states;
}

TEST_P(Processor, CrossHairWhileASpotIsProcessed)
{
    QSignalSpy pointer(processor, &SpotProcessor::crossHairChanged);
    queueLine(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES 59"));
    processor->PROCESS_DXC_SPOTS(0);
    EXPECT_EQ(pointerStates(pointer), QList<bool>({true, false}));
}

TEST_P(Processor, ARefusedLineLeavesThePointerToAPassThatFollowsByItself)
{
    struct Case
    {
        const char* name;
        QString line;
        // Behind it, a spot that waits for the database: the pass that finds it waiting has
        // nothing to process either.
        bool spotWaitsBehind;
    };
    const Case cases[] = {
        {"FrequencyZero", QStringLiteral("DX de SPOTA: 0 DXB tnx"), false},
        {"NothingAfterTheFrequency", QStringLiteral("DX de SPOTA: 50110.0"), false},
        {"OverTheLongestLine",
         QStringLiteral("DX de SPOTA: 50110 DXB ") + QString(SpotProcessor::maxLineLength, u'x'), false},
        {"AheadOfASpotThatWaits", QStringLiteral("DX de SPOTA: 0 DXB tnx"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSignalSpy pointer(processor, &SpotProcessor::crossHairChanged);
        if (c.spotWaitsBehind) {
            outage();
        }
        queueLine(c.line);
        if (c.spotWaitsBehind) {
            queueLine(QStringLiteral("DX de G4ABC: 50110.0 EA7XYZ ES 59"));
        }
        // The queue's timer makes the first pass; nothing but the road makes the next.
        EXPECT_EVENTUALLY_EQ(pointerStates(pointer), QList<bool>({true, false}), 10000);
        EXPECT_EQ(processor->waitingSpots(), c.spotWaitsBehind ? 1 : 0);
        if (c.spotWaitsBehind) {
            open();
            EXPECT_EVENTUALLY_EQ(count("tblAllSpots"), 1, 10000);
        }
    }
}

TEST_P(Processor, AfterAnOutageBeyondTheLimitEverySpotLeftIsStoredWithItsOwnLocators)
{
    // The reports play no part here, and without them the long rows run quickly.
    options.setChecked(QStringLiteral("mnuEsOptions(0)"), false);
    options.setChecked(QStringLiteral("chkCalcVHF"), false);
    const qsizetype known = std::size(stations);
    // Next to each other, spots name other stations: an answer lent to the next spot shows.
    const auto spotter = [&](int i) { return stations[i % known]; };
    const auto dx = [&](int i) { return stations[(i + 1) % known]; };
    const auto detail = [&](int i) {
        return QStringLiteral("%1: 144300.0 %2 tropo %3").arg(spotter(i).first, dx(i).first).arg(i);
    };
    struct Case
    {
        const char* name;
        qsizetype limit;
        int linesPerTick;
        int lines;
    };
    constexpr int inFlight = int(SpotProcessor::lookupsInFlight);
    const Case cases[] = {
        // A line a tick: each spot's look-up is asked as it comes, and the spot dropped later,
        // until the store holds only dropped spots' look-ups and the spots left have none.
        {"AskedThenDropped", 3, 1, inFlight + 5},
        // As in the program, more spots may wait than look-ups be asked: the first spots' fill
        // the store, those behind wait unasked, and the limit then drops the first.
        {"LongOutage", inFlight + 50, 100, 2 * (inFlight + 50)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(Store::Spots, QStringLiteral("DELETE FROM tblAllSpots"));
        const qsizetype logged = logLines().size();
        processor->setWaitingLimit(c.limit);
        outage();
        for (int i = 0; i < c.lines; ++i) {
            queueLine(QStringLiteral("DX de ") + detail(i));
            if ((i + 1) % c.linesPerTick == 0 || i + 1 == c.lines) {
                processor->tmrProcessSpot_Timer();
            }
        }
        ASSERT_EQ(processor->waitingSpots(), c.limit);
        ASSERT_EQ(queue->pendingRows(), 0);
        open();
        // No line comes after the outage.
        EXPECT_EVENTUALLY(processor->waitingSpots() == 0, 30000);

        // By the line, which no two spots share.
        QHash<QString, QString> stored;
        QSqlQuery q = run(Store::Spots, QStringLiteral("SELECT Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2,"
                                                       " Spot_Detail FROM tblAllSpots"));
        while (q.next()) {
            stored.insert(q.value(4).toString(), QStringList{q.value(0).toString(), q.value(1).toString(),
                                                             q.value(2).toString(), q.value(3).toString()}
                                                     .join(u'|'));
        }
        EXPECT_EQ(stored.size(), c.limit);
        qsizetype wrong = 0;
        QString firstWrong;
        for (int i = c.lines - int(c.limit); i < c.lines; ++i) {
            const QString want =
                QStringList{spotter(i).first, spotter(i).second, dx(i).first, dx(i).second}.join(u'|');
            const QString got = stored.value(detail(i), QStringLiteral("not stored"));
            if (got != want && wrong++ == 0) {
                firstWrong = detail(i) + QStringLiteral(": ") + got + QStringLiteral(" instead of ") + want;
            }
        }
        EXPECT_EQ(wrong, 0) << firstWrong.toStdString();

        QStringList dropped;
        for (const QString& line : logLines().mid(logged)) {
            if (line.contains(QLatin1String("spots waiting for the database"))) {
                dropped << line.section(u'\t', 1);
            }
        }
        EXPECT_EQ(dropped, QStringList{QStringLiteral("7 - spots waiting for the database: %1 oldest dropped")
                                           .arg(c.lines - c.limit)});
        EXPECT_EQ(processor->notStoring(), QString());
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, Processor, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
