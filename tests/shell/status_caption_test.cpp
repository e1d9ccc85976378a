// The caption as the status line: while spots are not being stored it says so, whatever the
// links, the import or the spot road set meanwhile, and the latest of their texts is the caption
// again once spots are stored.

#include "shell/status_caption.h"

#include "links/winsock_status.h"
#include "spots/spot_writers.h"
#include "support/eventually.h"
#include "support/print_qstring.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <vector>

using namespace zenthra;

namespace {

static_assert(StatusCaption::textShown < std::chrono::seconds(1), "the note comes back within a second");

const QString connecting = WINSOCK_STATUS(QStringLiteral("DXC"), 6);
const QString connected = WINSOCK_STATUS(QStringLiteral("DXC"), 7);
const QString importAdvice =
    QStringLiteral("Zenthra Error, make sure mini.sqlite is in your zenthra working folder!");
const QString spotLine = QStringLiteral("Zenthra: G4ABC-S51ZZ 50.110 MHz ES");
const QString silent = SpotWriters::notStoringText(QStringLiteral("the database server does not answer"), 20);
const QString silentMore =
    SpotWriters::notStoringText(QStringLiteral("the database server does not answer"), 21);

struct Step
{
    enum Kind
    {
        Text,   // a status text (a link, the import, a menu)
        Road,   // a line of the spot road's progress
        Note,   // why spots are not stored; empty once they are
        Passes, // the moment a text is shown passes
    } kind;
    QString value;
    // The caption after the step.
    QString shown;
};

struct Sequence
{
    const char* name;
    std::vector<Step> steps;
};

void PrintTo(const Sequence& s, std::ostream* os)
{
    *os << s.name;
}

class CaptionSequence : public ::testing::TestWithParam<Sequence>
{
};

TEST_P(CaptionSequence, ShowsWhatTheStatusLineSays)
{
    StatusCaption caption(QStringLiteral("Zenthra"));
    QSignalSpy told(&caption, &StatusCaption::shownChanged);
    int step = 0;
    for (const Step& s : GetParam().steps) {
        switch (s.kind) {
        case Step::Text:
            caption.setText(s.value);
            break;
        case Step::Road:
            caption.setRoadText(s.value);
            break;
        case Step::Note:
            caption.setNote(s.value);
            break;
        case Step::Passes:
            EXPECT_EVENTUALLY_EQ(caption.shown(), s.shown, 5000);
            break;
        }
        EXPECT_EQ(caption.shown(), s.shown) << "after step " << step;
        // The window hears of each caption it is to show.
        if (!told.isEmpty()) {
            EXPECT_EQ(told.last().at(0).toString(), caption.shown()) << "after step " << step;
        }
        ++step;
    }
}

INSTANTIATE_TEST_SUITE_P(Caption, CaptionSequence,
                         ::testing::Values(Sequence{"TextsWithoutANoteAreShownAsTheyCome",
                                                    {{Step::Text, connecting, connecting},
                                                     {Step::Road, spotLine, spotLine},
                                                     {Step::Text, importAdvice, importAdvice},
                                                     {Step::Passes, {}, importAdvice},
                                                     {Step::Note, {}, importAdvice}}},
                                           Sequence{"TheNoteStandsOverTheLatestTextAndGivesItBack",
                                                    {{Step::Text, connected, connected},
                                                     {Step::Note, silent, silent},
                                                     {Step::Passes, {}, silent},
                                                     {Step::Note, {}, connected}}},
                                           Sequence{"ALinkStatusShowsForAMomentAndTheNoteComesBack",
                                                    {{Step::Note, silent, silent},
                                                     {Step::Text, connecting, connecting},
                                                     {Step::Passes, {}, silent},
                                                     {Step::Text, connected, connected},
                                                     {Step::Passes, {}, silent},
                                                     {Step::Note, {}, connected}}},
                                           Sequence{"TheSameTextSetAgainShowsAgain",
                                                    {{Step::Note, silent, silent},
                                                     {Step::Text, importAdvice, importAdvice},
                                                     {Step::Passes, {}, silent},
                                                     {Step::Text, importAdvice, importAdvice},
                                                     {Step::Passes, {}, silent}}},
                                           Sequence{"TheRoadsLinesWaitBehindTheNote",
                                                    {{Step::Note, silent, silent},
                                                     {Step::Road, spotLine, silent},
                                                     {Step::Note, silentMore, silentMore},
                                                     {Step::Note, {}, spotLine}}},
                                           Sequence{"ANoteThatChangesWhileATextShowsComesBackAsItIsNow",
                                                    {{Step::Note, silent, silent},
                                                     {Step::Text, connected, connected},
                                                     {Step::Note, silentMore, connected},
                                                     {Step::Passes, {}, silentMore}}},
                                           Sequence{"SpotsStoredWhileATextShowsLeaveTheText",
                                                    {{Step::Note, silent, silent},
                                                     {Step::Text, connected, connected},
                                                     {Step::Note, {}, connected},
                                                     {Step::Passes, {}, connected},
                                                     {Step::Text, importAdvice, importAdvice}}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Texts that keep coming, as a link's status while it connects again and again, never keep the
// note away: it comes back a moment after the first of them, and again after each later one.
TEST(Caption, AStreamOfTextsDoesNotKeepTheNoteAway)
{
    StatusCaption caption(QStringLiteral("Zenthra"));
    caption.setNote(silent);
    QSignalSpy told(&caption, &StatusCaption::shownChanged);
    const auto gap = StatusCaption::textShown / 4;
    for (int i = 0; i < 12; ++i) {
        caption.setText(i % 2 == 0 ? connecting : connected);
        QTest::qWait(int(gap.count()));
    }
    QStringList shown;
    for (const QList<QVariant>& signal : told) {
        shown << signal.at(0).toString();
    }
    EXPECT_EQ(shown.first(), connecting);
    EXPECT_GE(shown.count(silent), 2) << shown.join(u'\n').toStdString();
    EXPECT_EVENTUALLY_EQ(caption.shown(), silent, 5000);
    caption.setNote({});
    EXPECT_EQ(caption.shown(), connected);
}

} // namespace
