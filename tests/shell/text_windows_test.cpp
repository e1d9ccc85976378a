#include "core/options_model.h"
#include "shell/text_windows.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using zenthra::Caret;
using zenthra::OptionsModel;
using zenthra::TextWindows;

namespace {

const QDateTime reportTime(QDate(2024, 6, 3), QTime(14, 5, 9), Qt::UTC);

struct Windows
{
    OptionsModel options;
    TextWindows windows{options, [] { return reportTime; }};
    Windows(float buffer = 10000) { options.sngWindowBuffer = buffer; }
};

QString repeat(QChar c, int n)
{
    return QString(n, c);
}

} // namespace

TEST(DxcAppender, JoinsWithCrLfAndEndsInOneBlank)
{
    Windows w;
    QString text = QStringLiteral("first");
    w.windows.POPULATE_DXC_WINDOW(text);
    EXPECT_TRUE(text.isEmpty());
    text = QStringLiteral("second");
    w.windows.POPULATE_DXC_WINDOW(text);
    EXPECT_EQ(w.windows.TBCluster.text(), QStringLiteral("\r\nfirst \r\nsecond "));
    QString empty;
    w.windows.POPULATE_DXC_WINDOW(empty);
    EXPECT_EQ(w.windows.TBCluster.text(), QStringLiteral("\r\nfirst \r\nsecond "));
}

TEST(DxcAppender, CutsToTheLastBufferCharactersThenAddsTheBlank)
{
    // B = 1000, a window of 990 characters, a 20-character line: the last 1000 characters of
    // old & CR LF & line, plus one blank.
    Windows w(1000);
    w.windows.TBCluster.replace(QStringLiteral("AB") + repeat(u'x', 988));
    QString line = QStringLiteral("DX DE G4ABC: 50100.0");
    ASSERT_EQ(line.size(), 20);
    w.windows.POPULATE_DXC_WINDOW(line);
    const QString whole =
        QStringLiteral("AB") + repeat(u'x', 988) + QStringLiteral("\r\nDX DE G4ABC: 50100.0");
    EXPECT_EQ(w.windows.TBCluster.length(), 1001);
    EXPECT_EQ(w.windows.TBCluster.text(), whole.right(1000) + u' ');
    EXPECT_TRUE(w.windows.TBCluster.text().startsWith(repeat(u'x', 10)));
}

TEST(DxcAppender, TellsViewsOnlyTheTailAndTheCutHeadWithoutCr)
{
    Windows w(1000);
    w.windows.TBCluster.replace(QStringLiteral("a\r\nb") + repeat(u'y', 986));
    QSignalSpy appended(&w.windows.TBCluster, &zenthra::TextWindow::appended);
    QSignalSpy cut(&w.windows.TBCluster, &zenthra::TextWindow::headRemoved);
    QSignalSpy replaced(&w.windows.TBCluster, &zenthra::TextWindow::replaced);
    QString line = repeat(u'z', 20);
    w.windows.POPULATE_DXC_WINDOW(line);
    ASSERT_EQ(appended.count(), 1);
    EXPECT_EQ(appended[0][0].toString(), QStringLiteral("\n") + repeat(u'z', 20) + u' ');
    ASSERT_EQ(cut.count(), 1);
    // 12 characters cut ("a", CR, LF, "b", 8 x "y"); the view has no CR, so 11.
    EXPECT_EQ(cut[0][0].value<qsizetype>(), 11);
    EXPECT_EQ(replaced.count(), 0);
}

TEST(DxcAppender, HiddenHfSpotIsDroppedOnceWhileTheOptionIsTicked)
{
    const QString shown = QStringLiteral("\r\nDX DE G4ABC: 14025.0 K1ABC ");
    for (const bool ticked : {false, true}) {
        Windows w;
        w.options.setChecked(QStringLiteral("chkCalcHF_Hidden"), ticked);
        w.windows.intHiddenHfSpot = 1;
        QString spot = QStringLiteral("DX DE G4ABC: 14025.0 K1ABC");
        w.windows.POPULATE_DXC_WINDOW(spot);
        EXPECT_TRUE(spot.isEmpty());
        EXPECT_EQ(w.windows.TBCluster.text(), ticked ? QString() : shown);
        EXPECT_EQ(w.windows.intHiddenHfSpot, ticked ? 0 : 1);
        spot = QStringLiteral("DX DE G4ABC: 14025.0 K1ABC");
        w.windows.POPULATE_DXC_WINDOW(spot);
        EXPECT_TRUE(w.windows.TBCluster.text().endsWith(shown));
    }
}

TEST(DxcAppender, NoAutoScrollKeepsTheCaret)
{
    Windows w;
    QSignalSpy caret(&w.windows.TBCluster, &zenthra::TextWindow::caretMoved);
    QString a = QStringLiteral("a");
    w.windows.POPULATE_DXC_WINDOW(a);
    w.options.blnNoAutoScroll = true;
    QString b = QStringLiteral("b");
    w.windows.POPULATE_DXC_WINDOW(b);
    ASSERT_EQ(caret.count(), 2);
    EXPECT_EQ(caret[0][0].value<Caret>(), Caret::End);
    EXPECT_EQ(caret[1][0].value<Caret>(), Caret::Keep);
}

TEST(MufAppender, AddsNoSeparatorAndKeepsTheLastCharacters)
{
    Windows w(5000);
    QString first = QStringLiteral("MUF @ 12:00");
    w.windows.POPULATE_MUF_WINDOW(first);
    QString second = QStringLiteral(" and more\r\n");
    w.windows.POPULATE_MUF_WINDOW(second);
    EXPECT_TRUE(second.isEmpty());
    EXPECT_EQ(w.windows.txtDataRetrieval[0].text(), QStringLiteral("MUF @ 12:00 and more\r\n"));
    QString big = repeat(u'm', 4990) + QStringLiteral("\r\n");
    w.windows.POPULATE_MUF_WINDOW(big);
    const QString expected =
        (QStringLiteral("MUF @ 12:00 and more\r\n") + repeat(u'm', 4990) + QStringLiteral("\r\n"))
            .right(5000);
    EXPECT_EQ(w.windows.txtDataRetrieval[0].text(), expected);
}

TEST(VhfAppender, EmptyTextLeavesTheWindowAndMovesTheCaretToTheLastLine)
{
    Windows w;
    QString text = QStringLiteral("one\r\ntwo");
    w.windows.POPULATE_VHF_WINDOW(text);
    QSignalSpy caret(&w.windows.txtDataRetrieval[1], &zenthra::TextWindow::caretMoved);
    QString empty;
    w.windows.POPULATE_VHF_WINDOW(empty);
    EXPECT_EQ(w.windows.txtDataRetrieval[1].text(), QStringLiteral("one\r\ntwo"));
    ASSERT_EQ(caret.count(), 1);
    EXPECT_EQ(caret[0][0].value<Caret>(), Caret::LastLineStart);
}

TEST(WwcAndBbsAppenders, StripLineEndsAndEmptyTheCallersText)
{
    const struct
    {
        bool bbs;
        QString given;
        QString windowAfter; // starting from an empty window
    } cases[] = {
        // The chat window strips trailing line ends only, CR LF before a lone LF; the CR left
        // over is a line end like any other.
        {false, QStringLiteral("hello\r\n\r\n"), QStringLiteral("\r\nhello\r\n ")},
        {false, QString(), QString()},
        {false, QStringLiteral("\r\n"), QStringLiteral("\r\n ")},
        {false, QStringLiteral("<G4ABC>: hi"), QStringLiteral("\r\n<G4ABC>: hi ")},
        // The BBS window strips them at both ends.
        {true, QStringLiteral("\r\nx\r\n"), QStringLiteral("\r\nx ")},
        {true, QStringLiteral("\r\n"), QString()},
        {true, QStringLiteral("\n\r\nmsg\n\r"), QStringLiteral("\r\n\r\nmsg ")},
    };
    for (const auto& c : cases) {
        Windows w;
        QString text = c.given;
        QSignalSpy changed(&w.windows.txtDataRetrieval[c.bbs ? 4 : 2], &zenthra::TextWindow::changed);
        if (c.bbs) {
            w.windows.POPULATE_BBS_WINDOW(text);
        } else {
            w.windows.POPULATE_WWC_WINDOW(text);
        }
        EXPECT_EQ(w.windows.txtDataRetrieval[c.bbs ? 4 : 2].text(), c.windowAfter) << c.given.toStdString();
        EXPECT_TRUE(text.isEmpty());
        if (c.given.isEmpty()) {
            EXPECT_EQ(changed.count(), 0);
        }
    }
}

// Received BBS lines: an empty one stays an empty line, so a message's paragraphs keep their gap.
TEST(BbsLines, KeepEveryEmptyLine)
{
    Windows w;
    for (const char* line : {"First paragraph line.\r\n", "\r\n", "\r\n", "Second  paragraph\aline.\r\n"}) {
        w.windows.bbsLineReceived(QString::fromLatin1(line));
    }
    EXPECT_EQ(w.windows.txtDataRetrieval[4].text(),
              QStringLiteral("\r\nFirst paragraph line. \r\n \r\n \r\nSecond paragraph\r\nline. "));
}

TEST(AnalysisAppender, ReplacesTheWindowWithHeaderAndReportUncut)
{
    Windows w(5000);
    QString first = QStringLiteral("old report\r\n");
    w.windows.POPULATE_ANALYSIS_WINDOW(first);
    QString report = repeat(u'r', 7000) + QStringLiteral("\r\nend\r\n");
    w.windows.POPULATE_ANALYSIS_WINDOW(report);
    EXPECT_TRUE(report.isEmpty());
    const QString header = QStringLiteral("ANALYSIS REPORT CREATED ON Mon Jun 2024 14:05:09\r\n");
    EXPECT_EQ(TextWindows::analysisHeader(reportTime), header);
    EXPECT_EQ(w.windows.txtDataRetrieval[3].text(),
              header + repeat(u'r', 7000) + QStringLiteral("\r\nend\r\n"));
}

TEST(TextWindow, ManyAppendsKeepExactlyTheLastCharacters)
{
    // Crossing the point where the dropped head is compacted must not change the text.
    Windows w(5000);
    QString expected;
    for (int i = 0; i < 3000; ++i) {
        QString line = QStringLiteral("line %1").arg(i);
        expected = (expected + QStringLiteral("\r\n") + line);
        if (expected.size() > 5000) {
            expected = expected.right(5000);
        }
        expected += u' ';
        w.windows.POPULATE_DXC_WINDOW(line);
    }
    EXPECT_EQ(w.windows.TBCluster.text(), expected);
}

TEST(WindowBufferAnswer, TakesOnlyValuesFrom1000To200000)
{
    const struct
    {
        const char* answer;
        std::optional<float> taken;
    } cases[] = {{"999", std::nullopt}, {"1000", 1000.0f},  {"200000", 200000.0f}, {"200001", std::nullopt},
                 {"abc", std::nullopt}, {"", std::nullopt}, {"   ", std::nullopt}, {"25000 chars", 25000.0f}};
    for (const auto& c : cases) {
        EXPECT_EQ(TextWindows::windowBufferAnswer(QString::fromLatin1(c.answer)), c.taken) << c.answer;
    }
}

TEST(WindowBufferPrompt, HasTwoBlanksBeforeFor)
{
    EXPECT_STREQ(TextWindows::windowBufferPrompt,
                 "Please type the maximum number of characters  for each window, min=1000 max=200000");
}
