#include "core/options_model.h"
#include "shell/settings_file.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using zenthra::OptionsModel;
using zenthra::SettingsReader;
using zenthra::WindowGeometry;
using zenthra::test::fileOf;
using zenthra::test::FileSizeLimit;
using zenthra::test::TempFolder;

namespace {

// Reads a whole file into a fresh model the way start-up does.
void load(const QString& path, OptionsModel& options, WindowGeometry& geometry)
{
    const SettingsReader reader(path);
    reader.readDatabaseLines(options);
    reader.readGeometryLines(geometry);
    reader.readOptionLines(options);
}

// A full file in which every line holds a value of its own, none below a floor.
QStringList distinctLines()
{
    OptionsModel o;
    o.database = {QStringLiteral("s"), QStringLiteral("db.example.org:5433"), QStringLiteral("spots"),
                  QStringLiteral("zen"), QStringLiteral("pa ss")};
    o.setHomeLocator(QStringLiteral("IO90IR"));
    o.nodes.strDxcHost = QStringLiteral("dxc.example.org");
    o.nodes.sngDxcPort = 7300;
    o.nodes.strDxcCallsign = QStringLiteral("G4ABC");
    o.nodes.strDxcPassword = QStringLiteral("secret");
    o.intReconnectMinutes = 5;
    o.nodes.strWwcHost = QStringLiteral("wwc.example.org");
    o.nodes.sngWwcPort = 3600;
    o.nodes.strWwcCallsign = QStringLiteral("G4ABC-1");
    o.nodes.strWwcPassword = QStringLiteral("wpw");
    o.nodes.strWwcConnectStr = QStringLiteral("/n G4ABC 1");
    o.nodes.strBbsHost = QStringLiteral("bbs.example.org");
    o.nodes.sngBbsPort = 6300;
    o.nodes.strBbsCallsign = QStringLiteral("G4ABC-2");
    o.nodes.strBbsPassword = QStringLiteral("bpw");
    o.nodes.strBbsConnectStr = QStringLiteral("c gb7abc");
    o.intFontSize = 11;
    o.sngBellMufLevel = 7.5f;
    o.classifier.sngMinEsQrb6m = 450;
    o.classifier.sngMinEsQrb2m = 1500.5f;
    o.classifier.sngMinEsQrb4m = 850;
    o.classifier.sngMaxEsQrb6m = 2300;
    o.dblMasl = 123.25;
    o.dblELayerHeight = 105;
    o.classifier.blnEsBeyond5000 = true;
    o.classifier.blnDigiJt6m = true;
    o.classifier.blnDigiWsjt = false;
    o.classifier.blnEs2mWindows = true;
    o.strDdeExeName = QStringLiteral("127.0.0.1:5555");
    o.strDdeTopic = QStringLiteral("topic");
    o.strDdeItem = QStringLiteral("item");
    o.intMapSpotCount = 25;
    o.sngMapBand = 144;
    o.sngMapMinMuf = 60;
    o.sngMapMaxMuf = 220;
    o.blnStickyMap = true;
    o.sngWindowBuffer = 25000;
    o.strWwcAwayText = QStringLiteral("away");
    o.strWwcPersonalText = QStringLiteral("personal");
    o.intDoubleHopMinQrb = 2700;
    o.blnCalcDoubleHop = true;
    o.blnDoubleHop50 = false;
    o.blnDoubleHop70 = true;
    o.blnDoubleHop144 = true;
    o.classifier.blnDigiJt65 = true;
    // Every other check mark alternates with the line number.
    const WindowGeometry g{7500, 12000, 1500, 3000};
    QStringList lines = zenthra::settingsLines(o, g);
    for (int n = 1; n <= 123; ++n) {
        if (lines[n - 1] == QLatin1String("False") && n % 2 == 1) {
            lines[n - 1] = QStringLiteral("True");
        }
    }
    return lines;
}

} // namespace

TEST(SettingsFile, MissingFileGivesTheFloorsAndLeavesTheRestEmpty)
{
    TempFolder dir;
    OptionsModel o;
    WindowGeometry g{100, 200, 300, 400};
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

TEST(SettingsFile, EveryValueComesBackAfterWritingAndReading)
{
    TempFolder dir;
    const QStringList original = distinctLines();
    ASSERT_EQ(original.size(), 123);
    dir.write("zenthra.dat", fileOf(original));
    OptionsModel o;
    WindowGeometry g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(zenthra::settingsLines(o, g), original);
    EXPECT_EQ(g.top, 1500);
    EXPECT_EQ(o.homeLocator(), "IO90IR");
    EXPECT_EQ(o.dblMasl, 123.25);
    EXPECT_EQ(o.classifier.sngMinEsQrb2m, 1500.5f);
    // Flags stored beside menu items set their check marks.
    EXPECT_TRUE(o.checked(QStringLiteral("mnuEsQrb(5)")));
    EXPECT_TRUE(o.checked(QStringLiteral("mnuEsOptions(2)")));
    EXPECT_FALSE(o.checked(QStringLiteral("mnuEsOptions(3)")));
    EXPECT_TRUE(o.checked(QStringLiteral("mnuMapDraw(5)")));
    EXPECT_TRUE(o.checked(QStringLiteral("mnuEsDoubleHop(3)")));
    EXPECT_FALSE(o.checked(QStringLiteral("mnuEsDoubleHop(2)")));
    EXPECT_TRUE(o.checked(QStringLiteral("mnuEsJt65")));
}

TEST(SettingsFile, WritesTheLineOrderOfTheFile)
{
    OptionsModel o;
    o.setChecked(QStringLiteral("mnuFilterHF(3)"), true);
    o.setChecked(QStringLiteral("mnuMapLastHour"), true);
    o.sngWindowBuffer = 12345;
    o.setHomeLocator(QStringLiteral("JO01"));
    const QStringList lines = zenthra::settingsLines(o, {8055, 10110, -48000, 120});
    ASSERT_EQ(lines.size(), 123);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines.mid(5, 4), (QStringList{"8055", "10110", "-48000", "120"}));
    EXPECT_EQ(lines[9], "JO01");
    EXPECT_EQ(lines[72], "True");  // line 73: 40m spots
    EXPECT_EQ(lines[71], "False"); // line 72: 80m spots
    EXPECT_EQ(lines[89], "12345");
    EXPECT_EQ(lines[122], "True");
}

TEST(SettingsFile, LineBreaksInsideAValueAreRemovedOnSave)
{
    OptionsModel o;
    o.strWwcAwayText = QStringLiteral("gone\r\nfishing\n");
    const QStringList lines = zenthra::settingsLines(o, {});
    EXPECT_EQ(lines[90], "gonefishing");
}

TEST(SettingsLineRules, CapitalSLoadsAsJetFiles)
{
    TempFolder dir;
    dir.write("zenthra.dat", "S\r\n");
    OptionsModel o;
    WindowGeometry g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(o.database.strDbType, "a");
}

TEST(SettingsLineRules, FontSizeOf40000DoesNotConvertAndTheFloorGives8)
{
    TempFolder dir;
    QStringList lines = distinctLines();
    lines[31] = QStringLiteral("40000");
    dir.write("zenthra.dat", fileOf(lines));
    OptionsModel o;
    WindowGeometry g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(o.intFontSize, 8);
    // At a restart the earlier value stays.
    o.intFontSize = 12;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(o.intFontSize, 12);
}

TEST(SettingsLineRules, YesIsNoFlagAndTheNextLineKeepsItsPlace)
{
    TempFolder dir;
    QStringList lines = distinctLines();
    lines[14] = QStringLiteral("yes");
    lines[15] = QStringLiteral("7");
    dir.write("zenthra.dat", fileOf(lines));
    for (bool before : {false, true}) {
        OptionsModel o;
        o.setChecked(QStringLiteral("mnuDxc(2)"), before);
        WindowGeometry g;
        load(dir.file("zenthra.dat"), o, g);
        EXPECT_EQ(o.checked(QStringLiteral("mnuDxc(2)")), before);
        EXPECT_EQ(o.intReconnectMinutes, 7);
    }
}

TEST(SettingsLineRules, PortIsTheLeadingNumberOfTheLine)
{
    TempFolder dir;
    QStringList lines = distinctLines();
    lines[11] = QStringLiteral("7300telnet");
    lines[18] = QString();
    dir.write("zenthra.dat", fileOf(lines));
    OptionsModel o;
    o.nodes.sngWwcPort = 99;
    WindowGeometry g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(o.nodes.sngDxcPort, 7300);
    EXPECT_EQ(o.nodes.sngWwcPort, 0);
}

TEST(SettingsLineRules, SixtyLinesSetTheirValuesAndTheFloorsTheRest)
{
    TempFolder dir;
    QStringList lines = distinctLines().mid(0, 60);
    dir.write("zenthra.dat", fileOf(lines));
    OptionsModel o;
    WindowGeometry g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(o.database.strDbType, "s");
    EXPECT_EQ(o.strDdeItem, "item");                                        // line 54
    EXPECT_EQ(o.checked(QStringLiteral("mnuMap(4)")), lines[59] == "True"); // line 60
    EXPECT_EQ(o.intMapSpotCount, 10);
    EXPECT_EQ(o.sngWindowBuffer, 10000);
    EXPECT_EQ(o.strWwcAwayText, QString());
}

TEST(SettingsLineRules, LowLocatorIsUpperCased)
{
    TempFolder dir;
    QStringList lines = distinctLines();
    lines[9] = QStringLiteral("io90ir");
    dir.write("zenthra.dat", fileOf(lines));
    OptionsModel o;
    WindowGeometry g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_EQ(o.homeLocator(), "IO90IR");
}

TEST(SettingsLineRules, SpiderMenuIsShownByTrueAndNeverHiddenByFalse)
{
    TempFolder dir;
    QStringList lines = distinctLines();
    lines[119] = QStringLiteral("True");
    dir.write("zenthra.dat", fileOf(lines));
    OptionsModel o;
    WindowGeometry g;
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_TRUE(o.spiderMenuVisible());
    lines[119] = QStringLiteral("False");
    dir.write("zenthra.dat", fileOf(lines));
    load(dir.file("zenthra.dat"), o, g);
    EXPECT_TRUE(o.spiderMenuVisible());
    OptionsModel fresh;
    load(dir.file("zenthra.dat"), fresh, g);
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
}
