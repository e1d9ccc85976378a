#include "core/options_model.h"
#include "shell/settings_file.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using zenthra::OptionsModel;
using zenthra::TwipsRect;
using zenthra::test::sharedTestData;
using zenthra::test::TempFolder;

namespace {

// What one line of zenthra.dat holds, read from the loaded options as the line shows it.
using Read = std::function<QString(const OptionsModel&, const TwipsRect&)>;

QString num(double v)
{
    return QString::number(v);
}

QString yes(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

Read mark(const QString& item)
{
    return [item](const OptionsModel& o, const TwipsRect&) { return yes(o.checked(item)); };
}

// The file's lines in order, kept apart from the program's own table so that a line read from
// or written to the wrong place shows.
std::vector<Read> fileLayout()
{
    std::vector<Read> t;
    const auto marks = [&t](const char* group, int count) {
        for (int i = 0; i < count; ++i) {
            t.push_back(mark(QStringLiteral("%1(%2)").arg(QLatin1String(group)).arg(i)));
        }
    };
    const auto item = [&t](const char* name) { t.push_back(mark(QString::fromLatin1(name))); };
    using O = const OptionsModel&;
    using G = const TwipsRect&;
    t.push_back([](O o, G) { return o.database.strDbType; });              // 1
    t.push_back([](O o, G) { return o.database.strSqlServer; });           // 2
    t.push_back([](O o, G) { return o.database.strSqlDatabase; });         // 3
    t.push_back([](O o, G) { return o.database.strSqlUser; });             // 4
    t.push_back([](O o, G) { return o.database.strSqlPassword; });         // 5
    t.push_back([](O, G g) { return num(g.height); });                     // 6
    t.push_back([](O, G g) { return num(g.width); });                      // 7
    t.push_back([](O, G g) { return num(g.top); });                        // 8
    t.push_back([](O, G g) { return num(g.left); });                       // 9
    t.push_back([](O o, G) { return o.homeLocator(); });                   // 10
    t.push_back([](O o, G) { return o.nodes.strDxcHost; });                // 11
    t.push_back([](O o, G) { return num(o.nodes.sngDxcPort); });           // 12
    t.push_back([](O o, G) { return o.nodes.strDxcCallsign; });            // 13
    t.push_back([](O o, G) { return o.nodes.strDxcPassword; });            // 14
    item("mnuDxc(2)");                                                     // 15
    t.push_back([](O o, G) { return num(o.intReconnectMinutes); });        // 16
    item("mnuDxc(6)");                                                     // 17
    t.push_back([](O o, G) { return o.nodes.strWwcHost; });                // 18
    t.push_back([](O o, G) { return num(o.nodes.sngWwcPort); });           // 19
    t.push_back([](O o, G) { return o.nodes.strWwcCallsign; });            // 20
    t.push_back([](O o, G) { return o.nodes.strWwcPassword; });            // 21
    t.push_back([](O o, G) { return o.nodes.strWwcConnectStr; });          // 22
    item("mnuWwc(2)");                                                     // 23
    item("mnuWwc(3)");                                                     // 24
    t.push_back([](O o, G) { return o.nodes.strBbsHost; });                // 25
    t.push_back([](O o, G) { return num(o.nodes.sngBbsPort); });           // 26
    t.push_back([](O o, G) { return o.nodes.strBbsCallsign; });            // 27
    t.push_back([](O o, G) { return o.nodes.strBbsPassword; });            // 28
    t.push_back([](O o, G) { return o.nodes.strBbsConnectStr; });          // 29
    item("chkCalcVHF");                                                    // 30
    item("chkLogAll");                                                     // 31
    t.push_back([](O o, G) { return num(o.intFontSize); });                // 32
    t.push_back([](O o, G) { return num(o.sngBellMufLevel); });            // 33
    marks("mnuBellByMode", 6);                                             // 34-39
    marks("mnuEsOptions", 2);                                              // 40-41
    t.push_back([](O o, G) { return num(o.classifier.sngMinEsQrb6m); });   // 42
    t.push_back([](O o, G) { return num(o.classifier.sngMinEsQrb2m); });   // 43
    t.push_back([](O o, G) { return num(o.classifier.sngMinEsQrb4m); });   // 44
    t.push_back([](O o, G) { return num(o.classifier.sngMaxEsQrb6m); });   // 45
    t.push_back([](O o, G) { return num(o.dblMasl); });                    // 46
    t.push_back([](O o, G) { return num(o.dblELayerHeight); });            // 47
    t.push_back([](O o, G) { return yes(o.classifier.blnEsBeyond5000); }); // 48
    t.push_back([](O o, G) { return yes(o.classifier.blnDigiJt6m); });     // 49
    t.push_back([](O o, G) { return yes(o.classifier.blnDigiWsjt); });     // 50
    t.push_back([](O o, G) { return yes(o.classifier.blnEs2mWindows); });  // 51
    t.push_back([](O o, G) { return o.strDdeExeName; });                   // 52
    t.push_back([](O o, G) { return o.strDdeTopic; });                     // 53
    t.push_back([](O o, G) { return o.strDdeItem; });                      // 54
    item("mnuDDE(1)");                                                     // 55
    marks("mnuMap", 7);                                                    // 56-62
    t.push_back([](O o, G) { return num(o.intMapSpotCount); });            // 63
    t.push_back([](O o, G) { return num(o.sngMapBand); });                 // 64
    t.push_back([](O o, G) { return num(o.sngMapMinMuf); });               // 65
    t.push_back([](O o, G) { return num(o.sngMapMaxMuf); });               // 66
    t.push_back([](O o, G) { return yes(o.blnStickyMap); });               // 67
    marks("mnuDxcFilters", 2);                                             // 68-69
    marks("mnuFilterHF", 10);                                              // 70-79
    marks("mnuFilterVHF", 4);                                              // 80-83
    marks("mnuFilterUHF", 6);                                              // 84-89
    t.push_back([](O o, G) { return num(o.sngWindowBuffer); });            // 90
    t.push_back([](O o, G) { return o.strWwcAwayText; });                  // 91
    t.push_back([](O o, G) { return o.strWwcPersonalText; });              // 92
    item("mnuWwc(7)");                                                     // 93
    t.push_back([](O o, G) { return num(o.intDoubleHopMinQrb); });         // 94
    t.push_back([](O o, G) { return yes(o.blnCalcDoubleHop); });           // 95
    t.push_back([](O o, G) { return yes(o.blnDoubleHop50); });             // 96
    t.push_back([](O o, G) { return yes(o.blnDoubleHop70); });             // 97
    t.push_back([](O o, G) { return yes(o.blnDoubleHop144); });            // 98
    for (const char* name :
         {"mnuWwcMsgTxt", "mnuFilterMisc(0)", "mnuMapDrawForce", "mnuEsCalc50mhzFiltered", "mnuWwcPlaySound",
          "mnuWwcPlaySound2", "mnuWwcPopupMessage", "mnuWwcPopupTopWin", "mnuWwcPopupMessage2",
          "mnuDxcLimitChar", "chkCalcHF", "chkCalcHF_Hidden", "mnuBellByMode(6)", "mnuBellByMode(7)",
          "mnuBellByMode(8)", "mnuAnnToDb", "mnuDxcEcho", "mnuBbsMsgTxt"}) {
        item(name); // 99-116
    }
    t.push_back([](O o, G) { return yes(o.classifier.blnDigiJt65); }); // 117
    for (const char* name :
         {"mnuWwcEcho", "mnuBBSEcho", "mnuDxSpiderView", "mnuSpiderHelp", "mnuSpiderBBS", "mnuMapLastHour"}) {
        item(name); // 118-123
    }
    return t;
}

} // namespace

// Every line of the stored file holds a value of its own (the check marks alternate, true on
// the odd lines), none below a floor.
TEST(SettingsFile, StoredFileReadsEachValueFromItsOwnLineAndIsWrittenBackByteForByte)
{
    QFile stored(sharedTestData(QStringLiteral("zenthra.dat")));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray bytes = stored.readAll();
    const QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 124);
    ASSERT_EQ(lines.last(), QString());

    OptionsModel o;
    TwipsRect g;
    const zenthra::SettingsReader reader(stored.fileName());
    reader.readDatabaseLines(o);
    reader.readGeometryLines(g);
    reader.readOptionLines(o);

    const std::vector<Read> layout = fileLayout();
    ASSERT_EQ(layout.size(), 123u);
    for (int n = 1; n <= 123; ++n) {
        EXPECT_EQ(layout[n - 1](o, g), lines[n - 1]) << "line " << n;
    }

    TempFolder dir;
    ASSERT_TRUE(zenthra::writeSettingsFile(dir.file("zenthra.dat"), zenthra::settingsLines(o, g)));
    EXPECT_EQ(dir.read("zenthra.dat"), bytes);
}
