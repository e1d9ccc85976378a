#include "core/database_settings.h"
#include "core/error_log.h"
#include "core/options_model.h"
#include "links/command_history.h"
#include "links/node_import.h"
#include "links/view_geometry.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/text_file.h"
#include "propagation/hand_muf.h"
#include "shell/settings_file.h"
#include "support/child_peak.h"
#include "support/fifo_guard.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <map>

#if defined(__SANITIZE_ADDRESS__)
// The address checker keeps freed blocks aside to catch late uses; at its default of 256 MB that
// alone would pass the memory bounds below, which measure what the readers hold, not what it holds.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=4";
}
#endif

using zenthra::OptionsModel;
using zenthra::SettingsReader;
using zenthra::TwipsRect;
using zenthra::test::fileOf;
using zenthra::test::FileSizeLimit;
using zenthra::test::TempFolder;

namespace {

// Reads a whole file into the model the way start-up does.
void load(const QString& path, OptionsModel& options, TwipsRect& geometry)
{
    const SettingsReader reader(path);
    reader.readDatabaseLines(options);
    reader.readGeometryLines(geometry);
    reader.readOptionLines(options);
}

// The stored file in which every line holds a value of its own, none below a floor.
QStringList distinctLines()
{
    QFile stored(zenthra::test::sharedTestData(QStringLiteral("zenthra.dat")));
    EXPECT_TRUE(stored.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(stored.readAll()).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

// Reads that file into the model with some lines (numbered from 1) changed or, given a count,
// only its first lines.
void loadInto(OptionsModel& o, const std::map<int, QString>& changed, int count = 123)
{
    TempFolder dir;
    QStringList lines = distinctLines().mid(0, count);
    for (const auto& [n, value] : changed) {
        lines[n - 1] = value;
    }
    dir.write("zenthra.dat", fileOf(lines));
    TwipsRect g;
    load(dir.file("zenthra.dat"), o, g);
}

} // namespace

TEST(SettingsFile, MissingFileGivesTheFloorsAndLeavesTheRestEmpty)
{
    TempFolder dir;
    OptionsModel o;
    TwipsRect g{.top = 300, .left = 400, .width = 200, .height = 100};
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(o.database.strDbType, "a");
    EXPECT_EQ(o.intFontSize, 8);
    EXPECT_EQ(o.dblMasl, 150);
    EXPECT_EQ(o.dblELayerHeight, 110);
    EXPECT_EQ(o.classifier.sngMinEsQrb6m, 300);
    EXPECT_EQ(o.classifier.sngMinEsQrb2m, 1400);
    EXPECT_EQ(o.classifier.sngMinEsQrb4m, 800);
    EXPECT_EQ(o.classifier.sngMaxEsQrb6m, 5000);
    EXPECT_EQ(o.intMapSpotCount, 10);
    EXPECT_EQ(o.sngMapMinMuf, 50);
    EXPECT_EQ(o.sngMapMaxMuf, 200);
    EXPECT_EQ(o.sngWindowBuffer, 10000);
    EXPECT_EQ(o.sngBellMufLevel, 0);
    EXPECT_EQ(o.intReconnectMinutes, 0);
    EXPECT_EQ(o.intDoubleHopMinQrb, 0);
    EXPECT_EQ(o.nodes.strDxcHost, QString());
    EXPECT_FALSE(o.checked(QStringLiteral("mnuDxc(2)")));
    EXPECT_FALSE(o.spiderMenuVisible());
    EXPECT_EQ(g.height, 100);
    EXPECT_EQ(g.left, 400);
}

TEST(SettingsFile, LineBreaksInsideAValueAreRemovedOnSave)
{
    OptionsModel o;
    o.strWwcAwayText = QStringLiteral("gone\r\nfishing\n");
    EXPECT_EQ(zenthra::settingsLines(o, {})[90], "gonefishing");
}

TEST(SettingsLineRules, OddLinesReadAsTheProgramAlwaysReadThem)
{
    OptionsModel o;
    // Capital S loads as the file databases; a low locator is upper-cased; a port is the line's
    // leading number.
    loadInto(o, {{1, "S"}, {10, "io90ir"}, {12, "7300telnet"}, {19, ""}});
    EXPECT_EQ(o.database.strDbType, "a");
    EXPECT_EQ(o.homeLocator(), "IO90IR");
    EXPECT_EQ(o.nodes.sngDxcPort, 7300);
    EXPECT_EQ(o.nodes.sngWwcPort, 0);
    // A font size of 40000 does not convert: the floor gives 8, at a restart the earlier value stays.
    OptionsModel fresh;
    loadInto(fresh, {{32, "40000"}});
    EXPECT_EQ(fresh.intFontSize, 8);
    o.intFontSize = 12;
    loadInto(o, {{32, "40000"}});
    EXPECT_EQ(o.intFontSize, 12);
    // "yes" is no flag, and the next line keeps its place.
    for (const bool before : {false, true}) {
        o.setChecked(QStringLiteral("mnuDxc(2)"), before);
        loadInto(o, {{15, "yes"}, {16, "7"}});
        EXPECT_EQ(o.checked(QStringLiteral("mnuDxc(2)")), before);
        EXPECT_EQ(o.intReconnectMinutes, 7);
    }
}

TEST(SettingsLineRules, SixtyLinesSetTheirValuesAndTheFloorsTheRest)
{
    const QStringList lines = distinctLines();
    OptionsModel o;
    loadInto(o, {}, 60);
    EXPECT_EQ(o.database.strDbType, "s");
    EXPECT_EQ(o.strDdeItem, lines[53]);
    EXPECT_EQ(o.checked(QStringLiteral("mnuMap(4)")), lines[59] == "True");
    EXPECT_EQ(o.intMapSpotCount, 10);
    EXPECT_EQ(o.sngWindowBuffer, 10000);
    EXPECT_EQ(o.strWwcAwayText, QString());
}

TEST(SettingsLineRules, SpiderMenuIsShownByTrueAndNeverHiddenByFalse)
{
    OptionsModel o;
    loadInto(o, {{120, "True"}});
    EXPECT_TRUE(o.spiderMenuVisible());
    loadInto(o, {{120, "False"}});
    EXPECT_TRUE(o.spiderMenuVisible());
    OptionsModel fresh;
    loadInto(fresh, {{120, "False"}});
    EXPECT_FALSE(fresh.spiderMenuVisible());
}

TEST(SettingsFileWrite, IsReadableByTheOwnerOnly)
{
    TempFolder dir;
    ASSERT_TRUE(zenthra::writeSettingsFile(dir.file("zenthra.dat"), distinctLines()));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions got = QFile::permissions(dir.file("zenthra.dat"));
    EXPECT_EQ(got & others, QFileDevice::Permissions());
    EXPECT_TRUE(got.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(dir.lines("zenthra.dat"), distinctLines());
}

TEST(SettingsFileWrite, FailureLeavesThePreviousFileWhole)
{
    TempFolder dir;
    const QByteArray previous = fileOf(distinctLines());
    // A save that cannot replace the file: its name taken by a folder.
    QDir(dir.path()).mkpath(QStringLiteral("blocked/zenthra.dat/inside"));
    int number = 0;
    EXPECT_FALSE(zenthra::writeSettingsFile(dir.file("blocked/zenthra.dat"), distinctLines(), &number));
    EXPECT_NE(number, 0);
    // A disk that fills up part way through the new file.
    dir.write("zenthra.dat", previous);
    {
        const FileSizeLimit fullDisk(100);
        ASSERT_TRUE(fullDisk.active());
        number = 0;
        EXPECT_FALSE(zenthra::writeSettingsFile(dir.file("zenthra.dat"), distinctLines(), &number));
    }
    EXPECT_EQ(number, 75);
    EXPECT_EQ(dir.read("zenthra.dat"), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"zenthra.dat"});
    // A link to a FIFO: the save is refused and logged as for a folder, the FIFO stays.
    const zenthra::test::FifoGuard fifo(dir.file("fifo"));
    ASSERT_TRUE(fifo.made() && QFile::link(dir.file("fifo"), dir.file("linked.dat")));
    number = 0;
    EXPECT_FALSE(zenthra::writeSettingsFile(dir.file("linked.dat"), distinctLines(), &number));
    EXPECT_EQ(number, 75);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System),
              (QStringList{"fifo", "linked.dat", "zenthra.dat"}));
    EXPECT_FALSE(QFileInfo(dir.file("fifo")).isFile());
    EXPECT_FALSE(fifo.fired());
}

TEST(SettingsFile, AHugeFileReadsItsFirstLinesOnly)
{
    TempFolder dir;
    dir.write("zenthra.dat", fileOf(distinctLines()) + QByteArray("0\n").repeated(4 * 1024 * 1024));
    const SettingsReader reader(dir.file("zenthra.dat"));
    EXPECT_EQ(reader.linesPresent(), 123);
    OptionsModel o;
    TwipsRect g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(zenthra::settingsLines(o, g), distinctLines());
}

TEST(SettingsFile, AFifoReadsAsNoFileWithoutWaiting)
{
    TempFolder dir;
    const zenthra::test::FifoGuard fifo(dir.file("zenthra.dat"));
    ASSERT_TRUE(fifo.made());
    const SettingsReader reader(dir.file("zenthra.dat"));
    EXPECT_FALSE(fifo.fired()) << "start-up blocked on the FIFO";
    EXPECT_EQ(reader.linesPresent(), 0);
}

TEST(StateFiles, AHugeFileCostsEachReaderOnlyItsOwnLines)
{
    // The four lines each reader uses, then 8 MB of lines that, held, would take some 200 MB (a
    // command history keeps the first 25; none is a node).
    TempFolder dir;
    dir.write("state.dat", "120\r\n300\r\n1\r\n3000\r\n" + QByteArray("0\n").repeated(4 * 1024 * 1024));
    const QString path = dir.file("state.dat");
    // A line of 64 MB that a reader holding it whole would cost all of.
    dir.write("line.dat", QByteArray(64 * 1024 * 1024, 'x') + "\r\ny");
    const zenthra::Clock clock;
    zenthra::ErrorLog log(dir.path(), clock);
    zenthra::HandMuf muf(log, QString());
    namespace textfile = zenthra::textfile;
    const std::pair<const char*, std::function<bool()>> readers[] = {
        {"a long line",
         [&] {
             return textfile::readLines(dir.file("line.dat"), textfile::allLines, textfile::listLineBytes) ==
                    QStringList{QString(textfile::listLineBytes, u'x'), "y"};
         }},
        {"dxc_history.dat",
         [&] {
             const std::optional<QStringList> entries = zenthra::CommandHistory::readFile(path);
             return entries && entries->size() == 25 && entries->front() == "120";
         }},
        {"DXC.csv", // every line too short to be a node
         [&] {
             zenthra::DatabaseSettings settings;
             const zenthra::DataFolder folder(dir.path());
             zenthra::Database db(settings, folder, log, [](zenthra::Database&) {});
             db.OPEN_DATABASES(QStringLiteral("a"));
             const zenthra::ImportOutcome outcome =
                 zenthra::NodeImport::run(zenthra::NodeTable::Dxc, db, path, {});
             return outcome.ok && outcome.added == 0 && outcome.skipped == 0;
         }},
        {"dxc_view.dat", [&] { return zenthra::readViewGeometry(path).left == 300.0f; }},
        {"handmuf.dat",
         [&] {
             muf.load(path, QString());
             return muf.intHandMasl == 300;
         }},
    };
    for (const auto& [file, read] : readers) {
        // Nothing when the child did not read the lines as written.
        EXPECT_LT(zenthra::test::addedPeakMb(read).value_or(1e9), 32) << file << ": MB above reading nothing";
    }
}
