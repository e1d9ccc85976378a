// The DXC link under load: text cut anywhere by the network, hostile bytes, endless lines.

#include "core/current_node.h"
#include "core/error_log.h"
#include "core/options_model.h"
#include "links/dxc_link.h"
#include "platform/clock.h"
#include "platform/line_ends.h"
#include "shell/text_windows.h"
#include "spots/line_filter.h"
#include "spots/spot_queue.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::CurrentNode;
using zenthra::DxcLink;
using zenthra::test::FakeNode;

namespace {

struct Stream
{
    FakeNode node;
    CurrentNode current;
    qint16 linkError = 0;
    DxcLink link{current, linkError, [] { return false; }};
    QStringList lines;

    Stream()
    {
        current.strDxcHost = "127.0.0.1";
        current.sngDxcPort = node.port();
        QObject::connect(&link, &DxcLink::lineReceived, [this](const QString& l) { lines << l; });
    }
    bool open()
    {
        link.DXC_CONNECT();
        return node.accept();
    }
    void waitFor(qsizetype count, int ms = 10000)
    {
        (void)QTest::qWaitFor([&] { return lines.size() >= count; }, ms);
    }
};

// The link feeding the line filter and the DXC window as the program wires them; 6 m spots queued.
struct Road : Stream
{
    zenthra::test::TempFolder dir;
    zenthra::Clock clock;
    zenthra::ErrorLog log{dir.path(), clock};
    zenthra::OptionsModel options;
    zenthra::TextWindows windows{options, [] { return QDateTime(); }};
    zenthra::LineFilter filter{options, log, windows.intHiddenHfSpot};
    QStringList queued;
    QStringList announced;

    Road()
    {
        options.setHomeLocator("IO91VL");
        options.sngWindowBuffer = 10000;
        options.setChecked("mnuEsOptions(0)", true);
        options.setChecked("mnuAnnToDb", true);
        filter.sinks().queueSpot = [this](zenthra::QueuedSpot& spot) {
            queued << std::exchange(spot.line, {});
        };
        filter.sinks().announce = [this](const QString& text) { announced << text; };
        QObject::connect(&link, &DxcLink::lineReceived, [this](QString line) {
            if (zenthra::line_ends::isBlankLine(line)) {
                return windows.dxcBlankLine();
            }
            QString shown = filter.FILTER_DXC_BY_FREQ(line);
            windows.POPULATE_DXC_WINDOW(shown);
        });
    }
};

// `count` different spot lines, and all of them as one stream of bytes.
std::pair<QStringList, QByteArray> spotLines(int count)
{
    std::pair<QStringList, QByteArray> out;
    for (int i = 0; i < count; ++i) {
        out.first << QStringLiteral(
                         "DX de G%1ABC:     50%2.0  CT7Z%3       FT8 Es IN50 JN59     2110Z\a\a\r\n")
                         .arg(i % 10)
                         .arg(100 + i % 900)
                         .arg(i);
        out.second += out.first.last().toLatin1();
    }
    return out;
}

} // namespace

TEST(DxcStream, SpotLinesInRandomSplitsArriveWholeAndOnce)
{
    Stream s;
    ASSERT_TRUE(s.open());
    const auto [expected, all] = spotLines(3000);
    // Pieces of 1 to 300 bytes: several lines per read, lines cut mid-word and between CR and LF.
    QRandomGenerator rng(7);
    qsizetype at = 0;
    while (at < all.size()) {
        const qsizetype n = std::min<qsizetype>(all.size() - at, rng.bounded(1, 300));
        s.node.sendQuickly(all.mid(at, n));
        at += n;
    }
    s.waitFor(expected.size());
    EXPECT_EQ(s.lines, expected);
}

TEST(DxcStream, HostileBytesAreDecodedNotDropped)
{
    Stream s;
    ASSERT_TRUE(s.open());
    // NUL alone is no text for a telnet node (a no-op); other control bytes are kept.
    s.node.send(QByteArray("A\0\x01B\r\n", 6));
    s.node.send("bad \xc3\x28 utf8\r\n");
    s.waitFor(2);
    EXPECT_EQ(s.lines,
              (QStringList{QString::fromLatin1("A\x01B\r\n"), QString::fromLatin1("bad \xc3\x28 utf8\r\n")}));
}

TEST(DxcStream, AnEndlessLineComesInPiecesAndTheEventLoopKeepsTurning)
{
    Stream s;
    ASSERT_TRUE(s.open());
    // A timer keeps firing while the flood is handled: no gap in its ticks of a second or more.
    QElapsedTimer since;
    since.start();
    qint64 last = 0;
    qint64 widestGap = 0;
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        ++ticks;
        widestGap = std::max(widestGap, since.elapsed() - last);
        last = since.elapsed();
    });
    heartbeat.start(20);

    const QByteArray tenMb(10 * 1024 * 1024, 'x');
    for (qsizetype at = 0; at < tenMb.size(); at += 1024 * 1024) {
        s.node.sendQuickly(tenMb.mid(at, 1024 * 1024));
    }
    s.node.send("\r\n");
    const auto total = [&] {
        qsizetype sum = 0;
        for (const QString& l : s.lines) {
            sum += l.size();
        }
        return sum;
    };
    EXPECT_EVENTUALLY_EQ(total(), tenMb.size() + 2, 20000);
    for (qsizetype i = 0; i + 1 < s.lines.size(); ++i) {
        EXPECT_LE(s.lines[i].size(), zenthra::LineAssembler::maxLine);
    }
    EXPECT_GE(ticks, 2);
    EXPECT_LT(widestGap, 1000);
}

TEST(DxcStream, LinesWaitWhileTheRoadIsFullAndFollowInOrder)
{
    Stream s;
    bool full = true;
    s.link.setBackpressure([&full] { return full; });
    ASSERT_TRUE(s.open());
    const auto [expected, all] = spotLines(2000);
    s.node.sendQuickly(all);
    QTest::qWait(300);
    EXPECT_TRUE(s.lines.isEmpty());
    full = false;
    s.waitFor(expected.size());
    EXPECT_EQ(s.lines, expected);
    EXPECT_TRUE(s.link.WinsockDXC.reading());
}

TEST(DxcStream, ABurstDuringAPauseIsHeldWithinBoundsAndFollowsInOrder)
{
    Stream s;
    ASSERT_TRUE(s.open());
    const auto [expected, all] = spotLines(40000);
    // The heartbeat's wait: received text waits behind it.
    s.link.sequence().pause(1500);
    s.node.sendQuickly(all);
    qsizetype most = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1000) {
        QTest::qWait(10);
        most = std::max(most, s.link.heldText());
    }
    EXPECT_TRUE(s.lines.isEmpty());
    EXPECT_GT(most, 0);
    EXPECT_LE(most, DxcLink::holdLimit + zenthra::TelnetSocket::readBufferLimit);
    s.waitFor(expected.size(), 30000);
    EXPECT_EQ(s.lines, expected);
    EXPECT_EQ(s.link.heldText(), 0);
}

// A cluster behind a packet node's telnet port ends lines with CR alone: 50 spots in one write
// or one by one, and pairs cut between reads, each come once, as a CR LF line, and nothing more.
TEST(DxcStream, EveryLineEndEndsASpotLineOnce)
{
    const QByteArray spot = "DX de G4AAA:    144050.0  DL0CAA  tropo 55   1201Z";
    // Line end, and the bytes of each write (the second half of a pair starts the next write).
    const std::pair<QByteArray, qsizetype> cases[] = {
        {"\r", 1 << 20}, {"\r", 51}, {"\r\n", 51}, {"\n\r", 51}};
    for (const auto& [end, step] : cases) {
        Stream s;
        ASSERT_TRUE(s.open());
        const QByteArray all = (spot + end).repeated(50);
        for (qsizetype at = 0; at < all.size(); at += step) {
            s.node.send(all.mid(at, step));
        }
        s.waitFor(51, 700);
        EXPECT_EQ(s.lines, QStringList(50, QString::fromLatin1(spot + "\r\n"))) << end.toHex().data();
    }
}

// A spot line cut by a pause of the network is read and shown once, whole, when its line end
// comes; a node that hangs up before it gets the text shown but never read as a spot. A prompt
// is shown meanwhile, and its line end adds no line. Every kind of announcement waits for its
// line end as a spot does, cut in its head or after it, and is stored whole, never shown.
TEST(DxcStream, ALineCutByAPauseIsReadAndShownOnceWhole)
{
    const QByteArray spot = "DX de DK7XYZ:    50110.0  EA8/ON4XYZ   JN48QT<ES>IL18 QRP 5W LOOP ANT 1206Z\a\a";
    const QString whole = "\r\n" + QString::fromLatin1(spot.chopped(2)) + " ";
    const QString prompt = "\r\nG0ABC de GB7XX  6-Dec-2026 2200Z > ";
    // Cut before the locator, in the DX call, in the frequency, before the line end; a prompt.
    const std::pair<QByteArray, QByteArray> cases[] = {
        {spot.left(39), spot.mid(39) + "\r\n"},
        {spot.left(32), spot.mid(32) + "\r\n"},
        {spot.left(20), spot.mid(20) + "\r\n"},
        {spot, "\r\n"},
        {prompt.mid(2).chopped(1).toLatin1(), "\r\n" + spot + "\r\n"},
        {spot, {}}};
    const std::pair<QByteArray, qsizetype> announcements[] = {
        {"WWV de VE7QQ <09>:   SFI=113, A=18, K=3, No Storms -> No Storms", 22},
        {"WCY de DK0WCY-2 <20> : K=3 expK=2 A=12 R=77 SFI=142 SA=qui GMF=qui Au=no", 2},
        {"All de G4ABC: 6m open to EA8 right now", 9},
        {"To Solar: flux 142 and rising", 6},
        {"To ALL de SV1ABC: ES opening on 6m", 11}};
    std::vector<std::unique_ptr<Road>> roads;
    for (const auto& [first, rest] : cases) {
        roads.push_back(std::make_unique<Road>());
        ASSERT_TRUE(roads.back()->open());
        roads.back()->node.send(first);
    }
    for (const auto& [line, cut] : announcements) {
        roads.push_back(std::make_unique<Road>());
        ASSERT_TRUE(roads.back()->open());
        roads.back()->node.send(line.left(cut));
    }
    QTest::qWait(DxcLink::partialLineWait + 400);
    const size_t spots = std::size(cases);
    for (size_t i = 0; i < roads.size(); ++i) {
        EXPECT_EQ(roads[i]->windows.TBCluster.text(), i == 4 ? prompt : "") << i;
        if (i >= spots) {
            const auto& [line, cut] = announcements[i - spots];
            roads[i]->node.send(line.mid(cut) + "\r\n");
            continue;
        }
        cases[i].second.isEmpty() ? roads[i]->node.hangUp() : roads[i]->node.send(cases[i].second);
    }
    for (size_t i = spots; i < roads.size(); ++i) {
        roads[i]->waitFor(1);
        EXPECT_EQ(roads[i]->announced, QStringList{announcements[i - spots].first}) << i;
        EXPECT_EQ(roads[i]->windows.TBCluster.text(), "") << i;
        EXPECT_TRUE(roads[i]->queued.isEmpty()) << i;
    }
    for (size_t i = 0; i < spots; ++i) {
        roads[i]->waitFor(i == 4 ? 2 : 1);
        const bool cut = cases[i].second.isEmpty();
        EXPECT_EQ(roads[i]->queued, cut ? QStringList{} : QStringList{whole.mid(2).chopped(1)}) << i;
        EXPECT_EQ(roads[i]->windows.TBCluster.text(), (i == 4 ? prompt : "") + whole) << i;
    }
}

// A node that closes right after a line end: text is handled in the order it came, so a spot whose
// line end arrived before the close is read, and shown once on one line, even when the close came
// while the link waited (the keep-alive's pause, a spot road that takes nothing for a while).
TEST(DxcStream, ALineEndedBeforeTheNodeClosesIsRead)
{
    const QByteArray before = "DX de G4AAA:    50150.0  EA7ABC       FT8 IN50<ES>IO91   1205Z\r\n";
    const QByteArray spot = "DX de DK7XYZ:    50110.0  EA8/ON4XYZ   JN48QT<ES>IL18 QRP 5W LOOP ANT 1206Z";
    const struct
    {
        const char* name;
        bool keepAlive;
        bool roadFull;
        QByteArray rest; // of the spot, from where the network cut it
        bool read;
    } cases[] = {
        {"KeepAlivePause", true, false, spot.mid(32) + "\r\n", true},
        {"NoPause", false, false, spot.mid(32) + "\r\n", true},
        {"RoadFull", false, true, spot.mid(32) + "\r\n", true},
        {"KeepAlivePauseRoadFull", true, true, spot.mid(32) + "\r\n", true},
        {"KeepAlivePauseNoLineEnd", true, false, spot.mid(32), false},
    };
    for (const auto& c : cases) {
        Road r;
        bool full = c.roadFull;
        r.link.setBackpressure([&full] { return full; });
        ASSERT_TRUE(r.open());
        r.node.send(before + spot.left(32));
        if (c.keepAlive) {
            // As the reconnect tick sends it: the keep-alive line, then its pause.
            r.link.sequence().run([&r] { r.link.WinsockDXC.sendData(QStringLiteral("\r\n")); });
            r.link.sequence().pause(500);
        }
        r.node.send(c.rest);
        QTest::qWait(20);
        r.node.hangUp();
        QTest::qWait(700);
        full = false;
        const QStringList queued = QStringList{QString::fromLatin1(before.chopped(2))} +
                                   (c.read ? QStringList{spot} : QStringList{});
        // One line of text each, its line ends shown as "|".
        const auto lines = [](const QString& text) {
            return QString(text).replace("\r\n", "|").toStdString();
        };
        EXPECT_EVENTUALLY_EQ(lines(r.queued.join("\r\n")), lines(queued.join("\r\n")), 5000);
        EXPECT_EQ(lines(r.windows.TBCluster.text()), lines("\r\n" + before.chopped(2) + " \r\n" + spot + " "))
            << c.name;
    }
}
