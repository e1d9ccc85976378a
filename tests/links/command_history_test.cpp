#include "links/command_history.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

using zenthra::CommandHistory;
using zenthra::HistoryKind;
using zenthra::test::TempFolder;

namespace {

QStringList numbered(int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        out << "cmd" + QString::number(i);
    }
    return out;
}

TEST(CommandHistory, AnEnteredLineGoesOnTopOnce)
{
    const struct
    {
        HistoryKind kind;
        QStringList before;
        QString line;
        QStringList after;
    } cases[] = {
        {HistoryKind::Dxc, {"a", "sh/dx", "b"}, " SH/DX ", {" SH/DX ", "a", "b"}},
        {HistoryKind::Dxc, {"a"}, "   ", {"a"}},
        {HistoryKind::Wwc, {"a"}, "", {"", "a"}},
        // The blank entry on top ends the scan, so the older copy stays.
        {HistoryKind::Wwc, {"", "hello", "x"}, "hello", {"hello", "hello", "x"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandHistory::afterEnter(c.before, c.line, c.kind), c.after) << c.line.toStdString();
    }
}

TEST(CommandHistory, AFullListDropsItsOldestAndALongerOneShrinksOnlyOnARepeat)
{
    QStringList expected = numbered(24);
    expected.prepend("new");
    EXPECT_EQ(CommandHistory::afterEnter(numbered(25), "new", HistoryKind::Dxc), expected);
    expected = numbered(40);
    expected.removeAt(24);
    expected.removeAt(5);
    expected.prepend("CMD5");
    EXPECT_EQ(CommandHistory::afterEnter(numbered(40), "CMD5", HistoryKind::Dxc), expected);
}

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
    // A longer file gives its first 25 entries, the newest, blank lines not counted.
    QByteArray longer = "\r\n";
    QStringList newest;
    for (int i = 1; i <= 40; ++i) {
        longer += "sh/dx " + QByteArray::number(i) + "\r\n  \r\n";
        if (i <= CommandHistory::fullLength) {
            newest << "sh/dx " + QString::number(i);
        }
    }
    folder.write("wwc_history.dat", longer);
    EXPECT_EQ(CommandHistory::readFile(path), newest);
}

} // namespace
