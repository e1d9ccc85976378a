// A DX-cluster node on loopback feeding the whole program: received text through the line
// filter, the spot queue and the processor into the spot table.

#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"
#include "shell/application.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using zenthra::Application;
using zenthra::DataFolder;
using zenthra::Store;
using zenthra::test::FakeNode;
using zenthra::test::TempFolder;

namespace {

int storedSpots(Application& app, const QString& sql)
{
    QSqlQuery q;
    if (!app.database().exec(Store::Spots, sql, {}, &q) || !q.next()) {
        return -1;
    }
    return q.value(0).toInt();
}

// The home locator, the DXC node with "Auto CLX?", every spot to tblAllSpots, sporadic-E calculated.
void prepareNodeSettings(const TempFolder& dir, const FakeNode& node)
{
    zenthra::test::prepareSettings(dir, {{10, "IO91WM"},
                                         {11, "127.0.0.1"},
                                         {12, QString::number(node.port())},
                                         {13, "G0ABC"},
                                         {15, "True"},
                                         {31, "True"},
                                         {40, "True"}});
}

QByteArray spotLine(int i)
{
    return QStringLiteral("DX de G%1ABC:     50%2.0  CT%3       FT8 IN50 JN59                  2110Z\a\a\r\n")
        .arg(i % 10)
        .arg(100 + i % 800)
        .arg(i, 5, 10, QLatin1Char('0'))
        .toLatin1();
}

} // namespace

TEST(LinkRoad, TenThousandSpotsInRandomSplitsAreEachStoredOnce)
{
    TempFolder dir;
    FakeNode node;
    prepareNodeSettings(dir, node);
    installStartFiles(dir);
    Application app{DataFolder(dir.path())};
    app.OPEN_ZENTHRA();
    ASSERT_TRUE(node.accept());

    QByteArray all;
    const int count = 10000;
    for (int i = 0; i < count; ++i) {
        all += spotLine(i);
    }
    // Several lines per read, lines cut mid-word and between CR and LF.
    QRandomGenerator rng(11);
    for (qsizetype at = 0; at < all.size();) {
        const qsizetype n = std::min<qsizetype>(all.size() - at, rng.bounded(1, 400));
        node.sendQuickly(all.mid(at, n));
        at += n;
    }
    EXPECT_EVENTUALLY_EQ(storedSpots(app, "SELECT COUNT(*) FROM tblAllSpots"), count, 60000);
    EXPECT_EQ(storedSpots(app, "SELECT COUNT(DISTINCT Spot_Call2) FROM tblAllSpots"), count);
    EXPECT_EQ(app.spotQueue().droppedSinceLastLog(), 0);
    {
        QSqlQuery q;
        app.database().exec(Store::Spots, "SELECT Spot_Call2 FROM tblAllSpots", {}, &q);
        QSet<QString> seen;
        while (q.next()) {
            seen.insert(q.value(0).toString());
        }
        for (int i = 0; i < count && seen.size() < count; ++i) {
            const QString call = QStringLiteral("CT%1").arg(i, 5, 10, QLatin1Char('0'));
            EXPECT_TRUE(seen.contains(call)) << call.toStdString();
        }
    }
    EXPECT_TRUE(dir.lines("muf_errors.log").isEmpty())
        << dir.lines("muf_errors.log").join('\n').toStdString();
    app.CLOSE_ZENTHRA(Application::restartCode);
}

TEST(LinkRoad, LinesReceivedBeforeShutDownAreStoredBeforeTheDatabasesClose)
{
    TempFolder dir;
    FakeNode node;
    prepareNodeSettings(dir, node);
    Application app{DataFolder(dir.path())};
    app.OPEN_ZENTHRA();
    ASSERT_TRUE(node.accept());
    // Well over a queue's worth, so most wait in the link, yet few enough for the shut-down's two
    // seconds on a loaded machine or an instrumented build.
    const int count = 600;
    QByteArray all;
    for (int i = 0; i < count; ++i) {
        all += spotLine(i);
    }
    node.sendQuickly(all);
    // Every line read: stored, queued or held back by the link.
    const qsizetype lineLength = spotLine(0).size();
    (void)QTest::qWaitFor(
        [&] {
            return storedSpots(app, "SELECT COUNT(*) FROM tblAllSpots") + app.spotQueue().pendingRows() +
                       app.links().dxc.heldText() / lineLength >=
                   count;
        },
        10000);
    // From here on only the shut-down works on them, as when spots take longer than the goodbye.
    app.spotQueue().tmrProcessSpot().stop();
    app.CLOSE_ZENTHRA(Application::restartCode);
    app.OPEN_ZENTHRA();
    EXPECT_EQ(storedSpots(app, "SELECT COUNT(*) FROM tblAllSpots"), count);
    app.CLOSE_ZENTHRA(Application::restartCode);
}

// Text that is no spot keeps its shape in the DXC window and in the saved window: every line end
// one break, blank lines and leading blanks kept.
TEST(LinkRoad, TextThatIsNoSpotIsShownAndSavedAsTheNodeSentIt)
{
    TempFolder dir;
    FakeNode node;
    prepareNodeSettings(dir, node);
    Application app{DataFolder(dir.path())};
    app.OPEN_ZENTHRA();
    ASSERT_TRUE(node.accept());
    const zenthra::TextWindow& window = app.textWindows().TBCluster;
    const qsizetype before = window.length();
    node.send("HELP TOPIC one\r\n\r\n   indented two\r\n\r\nlast three\r\na\r\n\r\nb\n\nc\r\rd\r");
    const QString shown("\nHELP TOPIC one \n \n   indented two \n \nlast three \na \n \nb \n \nc \n \nd ");
    EXPECT_EVENTUALLY_EQ(window.text().mid(before).remove(u'\r'), shown, 2000);
    EXPECT_EQ(
        zenthra::readRtf(zenthra::rtfDocument(window.text().mid(before), 10))->plainText().remove(u'\r'),
        shown);
    app.CLOSE_ZENTHRA(Application::restartCode);
}
