#include "links/command_history.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

using zenthra::CommandHistory;
using zenthra::HistoryKind;
using zenthra::test::TempFolder;

namespace {

QStringList numbered(int count, const char* prefix = "cmd")
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        out << QString::fromLatin1(prefix) + QString::number(i);
    }
    return out;
}

struct Update
{
    const char* name;
    HistoryKind kind;
    QStringList before;
    QString line;
    QStringList after;
};

void PrintTo(const Update& u, std::ostream* os)
{
    *os << u.name;
}

struct HistoryUpdate : ::testing::TestWithParam<Update>
{
};

TEST_P(HistoryUpdate, LeavesTheListAsTheRuleSays)
{
    const Update& u = GetParam();
    EXPECT_EQ(CommandHistory::afterEnter(u.before, u.line, u.kind), u.after);
}

const QStringList full = numbered(25);
const QStringList forty = numbered(40);

QStringList fullAfterNew()
{
    QStringList out = full.mid(0, 24);
    out.prepend("new");
    return out;
}

QStringList fortyAfterRepeat()
{
    QStringList out = forty;
    out.removeAt(24);
    out.removeAt(5);
    out.prepend("CMD5");
    return out;
}

const Update updates[] = {
    {"DxcMatchIgnoringCaseAndBlanksMovesUp",
     HistoryKind::Dxc,
     {"a", "sh/dx", "b"},
     " SH/DX ",
     {" SH/DX ", "a", "b"}},
    {"DxcEmptyLineAddsNothing", HistoryKind::Dxc, {"a"}, "", {"a"}},
    {"DxcBlankLineAddsNothing", HistoryKind::Dxc, {"a"}, "   ", {"a"}},
    {"WwcEmptyLineGoesOnTop", HistoryKind::Wwc, {"a"}, "", {"", "a"}},
    // The blank entry on top ends the scan, so the older copy stays.
    {"WwcBlankOnTopEndsTheScan", HistoryKind::Wwc, {"", "hello", "x"}, "hello", {"hello", "hello", "x"}},
    {"WwcMatchMovesUp", HistoryKind::Wwc, {"x", "Hello"}, "hello", {"hello", "x"}},
    {"FullListDropsTheTwentyFifth", HistoryKind::Dxc, full, "new", fullAfterNew()},
    {"LongListShrinksOnlyOnARepeat", HistoryKind::Dxc, forty, "CMD5", fortyAfterRepeat()},
};

INSTANTIATE_TEST_SUITE_P(CommandHistory, HistoryUpdate, ::testing::ValuesIn(updates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandHistory, DeleteRemovesAWhollySelectedEntryOnly)
{
    CommandHistory history(HistoryKind::Dxc);
    history.setEntries({"sh/dx", "talk g0abc"});
    EXPECT_FALSE(history.deleteChosen(1, 4));
    EXPECT_FALSE(history.deleteChosen(-1, 0));
    EXPECT_TRUE(history.deleteChosen(1, 10));
    EXPECT_EQ(history.entries(), QStringList{"sh/dx"});
}

TEST(CommandHistory, MirrorLeavesOutBlankEntries)
{
    CommandHistory main(HistoryKind::Wwc);
    CommandHistory twin(HistoryKind::Wwc);
    twin.setEntries({"old"});
    main.setEntries({"", "a", "  ", "b"});
    twin.mirror(main);
    EXPECT_EQ(twin.entries(), (QStringList{"a", "b"}));
}

TEST(CommandHistory, FileKeepsEntriesAsTypedWithoutBlanks)
{
    TempFolder folder;
    const QString path = folder.file("wwc_history.dat");
    ASSERT_TRUE(CommandHistory::writeFile(path, {"", " /msg g0abc hi ", "   ", "/w *"}));
    EXPECT_EQ(folder.read("wwc_history.dat"), QByteArray(" /msg g0abc hi \r\n/w *\r\n"));
    folder.write("wwc_history.dat", "a\n\n  \r\nb\r\n");
    EXPECT_EQ(CommandHistory::readFile(path), (QStringList{"a", "b"}));
    EXPECT_FALSE(CommandHistory::readFile(folder.file("missing.dat")).has_value());
}

} // namespace
