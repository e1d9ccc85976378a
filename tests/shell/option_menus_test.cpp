#include "shell/application.h"
#include "shell/dde_window.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include "shell/dialog_program.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

using zenthra::Application;
using zenthra::DataFolder;
using zenthra::LinkToLoggerWindow;
using zenthra::MainWindow;
using zenthra::OptionMenus;
using zenthra::OptionsModel;
using zenthra::QueuedSpot;
using zenthra::test::TempFolder;

namespace {

using Program = zenthra::test::DialogProgram;

QString item(const char* group, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(group)).arg(index);
}

TEST(OptionMenus, LoggingHfAndHiddenHfExcludeEachOther)
{
    Program p;
    const QString hf = QStringLiteral("chkCalcHF");
    const QString hidden = QStringLiteral("chkCalcHF_Hidden");
    p.click(hf);
    EXPECT_TRUE(p.ticked(hf));
    EXPECT_FALSE(p.ticked(hidden));
    p.click(hidden);
    EXPECT_TRUE(p.ticked(hidden));
    EXPECT_FALSE(p.ticked(hf));
    // Unticking one leaves the other as it was.
    p.click(hidden);
    EXPECT_FALSE(p.ticked(hidden));
    EXPECT_FALSE(p.ticked(hf));
    p.click(hf);
    p.click(hf);
    EXPECT_FALSE(p.ticked(hf));
    EXPECT_FALSE(p.ticked(hidden));
}

TEST(OptionMenus, AllAndNoItemsSetTheirOwnGroupOnly)
{
    Program p;
    p.click(QStringLiteral("mnuDxcFilters(0)"));
    p.click(QStringLiteral("mnuFilterHFAll(0)"));
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(p.ticked(item("mnuFilterHF", i))) << i;
    }
    p.click(QStringLiteral("mnuFilterVHFAll(0)"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(p.ticked(item("mnuFilterVHF", i))) << i;
    }
    p.click(QStringLiteral("mnuFilterHFAll(1)"));
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(p.ticked(item("mnuFilterHF", i))) << i;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(p.ticked(item("mnuFilterVHF", i))) << i;
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(p.ticked(item("mnuFilterUHF", i))) << i;
    }
    p.click(QStringLiteral("mnuFilterUHFAll(0)"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(p.ticked(item("mnuFilterUHF", i))) << i;
    }
    p.click(QStringLiteral("mnuFilterVHFAll(1)"));
    p.click(QStringLiteral("mnuFilterUHFAll(1)"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(p.ticked(item("mnuFilterUHF", i))) << i;
    }
    EXPECT_FALSE(p.ticked(item("mnuFilterVHF", 3)));
    EXPECT_TRUE(p.ticked(QStringLiteral("mnuDxcFilters(0)")));
    EXPECT_FALSE(p.ticked(QStringLiteral("mnuFilterMisc(0)")));
}

TEST(OptionMenus, CheckItemsFlipAndKeepTheirFlags)
{
    Program p;
    auto& o = p.app->options();
    for (const char* name : {"chkCalcVHF", "chkLogAll", "mnuDxcFilters(0)", "mnuDxcFilters(1)",
                             "mnuFilterHF(3)", "mnuFilterVHF(2)", "mnuFilterUHF(5)", "mnuFilterMisc(0)",
                             "mnuEsOptions(0)", "mnuEsOptions(1)", "mnuEsCalc50mhzFiltered"}) {
        const QString n = QString::fromLatin1(name);
        p.click(n);
        EXPECT_TRUE(p.ticked(n)) << name;
        p.click(n);
        EXPECT_FALSE(p.ticked(n)) << name;
    }
    const struct
    {
        const char* name;
        bool* flag;
    } flagged[] = {
        {"mnuEsOptions(2)", &o.classifier.blnDigiJt6m}, {"mnuEsOptions(3)", &o.classifier.blnDigiWsjt},
        {"mnuEsJt65", &o.classifier.blnDigiJt65},       {"mnuEsQrb(0)", &o.classifier.blnEs2mWindows},
        {"mnuEsQrb(5)", &o.classifier.blnEsBeyond5000}, {"mnuEsDoubleHop(2)", &o.blnDoubleHop50},
        {"mnuEsDoubleHop(3)", &o.blnDoubleHop70},       {"mnuEsDoubleHop(4)", &o.blnDoubleHop144}};
    for (const auto& f : flagged) {
        const QString n = QString::fromLatin1(f.name);
        p.click(n);
        EXPECT_TRUE(p.ticked(n)) << f.name;
        EXPECT_TRUE(*f.flag) << f.name;
        p.click(n);
        EXPECT_FALSE(p.ticked(n)) << f.name;
        EXPECT_FALSE(*f.flag) << f.name;
    }
    EXPECT_TRUE(p.asked.empty());
}

TEST(OptionMenus, CalcDoubleHopSetsAMinimumOnlyWhenBelow1000)
{
    Program p;
    auto& o = p.app->options();
    const QString dh = QStringLiteral("mnuEsDoubleHop(0)");
    p.click(dh);
    EXPECT_TRUE(p.ticked(dh));
    EXPECT_TRUE(o.blnCalcDoubleHop);
    EXPECT_EQ(o.intDoubleHopMinQrb, 2700);
    o.intDoubleHopMinQrb = 999;
    p.click(dh);
    EXPECT_FALSE(p.ticked(dh));
    EXPECT_FALSE(o.blnCalcDoubleHop);
    EXPECT_EQ(o.intDoubleHopMinQrb, 999);
    p.click(dh);
    EXPECT_EQ(o.intDoubleHopMinQrb, 2700);
    p.click(dh);
    o.intDoubleHopMinQrb = 1000;
    p.click(dh);
    EXPECT_EQ(o.intDoubleHopMinQrb, 1000);
}

// --- The input boxes: prompts, the answer shown at first, and the bounds.

// One input box: its menu item, its prompt and the option it sets.
struct Box
{
    const char* item;
    const char* prompt;
    double (*get)(const OptionsModel&);
    void (*set)(OptionsModel&, double);
};

const Box boxes[] = {
    {"mnuEsOptions(4)", "Please type the number in KM (Min 80 Max 160) for  E layer height.",
     [](const OptionsModel& o) { return o.dblELayerHeight; },
     [](OptionsModel& o, double v) { o.dblELayerHeight = v; }},
    {"mnuEsOptions(5)",
     "Please type the number in M (Min 1 Max 10000) for  your height + dx height, e.g. 150",
     [](const OptionsModel& o) { return o.dblMasl; }, [](OptionsModel& o, double v) { o.dblMasl = v; }},
    {"mnuEsDoubleHop(1)", "Please type the number in KM (Min 1000 Max 5200) for  Double hop start point.",
     [](const OptionsModel& o) { return double(o.intDoubleHopMinQrb); },
     [](OptionsModel& o, double v) { o.intDoubleHopMinQrb = static_cast<qint16>(v); }},
    {"mnuEsQrb(1)",
     "Please type the number in KM (Min 110) for  the minimum QRB where 6m spots can count as ES spots.",
     [](const OptionsModel& o) { return double(o.classifier.sngMinEsQrb6m); },
     [](OptionsModel& o, double v) { o.classifier.sngMinEsQrb6m = static_cast<float>(v); }},
    {"mnuEsQrb(2)",
     "Please type the number in KM (Min 280) for  the minimum QRB where 4m spots can count as ES spots.",
     [](const OptionsModel& o) { return double(o.classifier.sngMinEsQrb4m); },
     [](OptionsModel& o, double v) { o.classifier.sngMinEsQrb4m = static_cast<float>(v); }},
    {"mnuEsQrb(3)",
     "Please type the number in KM (Min 720) for  the minimum QRB where 2m spots can count as ES spots.",
     [](const OptionsModel& o) { return double(o.classifier.sngMinEsQrb2m); },
     [](OptionsModel& o, double v) { o.classifier.sngMinEsQrb2m = static_cast<float>(v); }},
    {"mnuEsQrb(4)",
     "Please type the number in KM (Max 10000) for  the maximum QRB where 6m spots can still count as ES "
     "spots.",
     [](const OptionsModel& o) { return double(o.classifier.sngMaxEsQrb6m); },
     [](OptionsModel& o, double v) { o.classifier.sngMaxEsQrb6m = static_cast<float>(v); }},
};

enum Target
{
    ELayer,
    Masl,
    DoubleHop,
    Min6m,
    Min4m,
    Min2m,
    Max6m
};

struct BoxCase
{
    const char* name;
    Target target;
    const char* answer; // nullptr: Cancel
    double expected;    // the value afterwards; the value before is 555
};

void PrintTo(const BoxCase& c, std::ostream* os)
{
    *os << c.name;
}

class InputBoxes : public ::testing::TestWithParam<BoxCase>
{
};

TEST_P(InputBoxes, TakeAnswersInsideTheBoundsOnly)
{
    const BoxCase& c = GetParam();
    Program p;
    for (const Box& b : boxes) {
        b.set(p.app->options(), 555);
    }
    if (c.answer) {
        p.answer(c.answer);
    }
    p.click(QString::fromLatin1(boxes[c.target].item));
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].title, QApplication::applicationName());
    EXPECT_EQ(p.asked[0].prompt, QString::fromLatin1(boxes[c.target].prompt));
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("555"));
    for (int t = ELayer; t <= Max6m; ++t) {
        // The answer reaches its own option and no other.
        EXPECT_DOUBLE_EQ(boxes[t].get(p.app->options()), t == c.target ? c.expected : 555) << boxes[t].item;
    }
}

INSTANTIATE_TEST_SUITE_P(
    OptionMenus, InputBoxes,
    ::testing::Values(
        BoxCase{"ELayer80", ELayer, "80", 80}, BoxCase{"ELayer160", ELayer, "160", 160},
        BoxCase{"ELayer79_9", ELayer, "79.9", 555}, BoxCase{"ELayer160_1", ELayer, "160.1", 555},
        BoxCase{"ELayer95_5", ELayer, "95.5", 95.5}, BoxCase{"ELayerTrailingText", ELayer, "  150 km", 150},
        BoxCase{"ELayerCancel", ELayer, nullptr, 555}, BoxCase{"Masl0", Masl, "0", 555},
        BoxCase{"MaslEmpty", Masl, "", 555}, BoxCase{"Masl1", Masl, "1", 1},
        BoxCase{"Masl10000", Masl, "10000", 10000}, BoxCase{"Masl10001", Masl, "10001", 555},
        BoxCase{"MaslLetters", Masl, "abc", 555}, BoxCase{"DoubleHop1000", DoubleHop, "1000", 1000},
        BoxCase{"DoubleHop5200", DoubleHop, "5200", 5200}, BoxCase{"DoubleHop999", DoubleHop, "999", 555},
        BoxCase{"DoubleHop5201", DoubleHop, "5201", 555},
        BoxCase{"DoubleHopHalfDown", DoubleHop, "2700.5", 2700},
        BoxCase{"DoubleHopHalfUp", DoubleHop, "2701.5", 2702},
        BoxCase{"DoubleHopCancel", DoubleHop, nullptr, 555}, BoxCase{"Min6m110", Min6m, "110", 110},
        BoxCase{"Min6m10000", Min6m, "10000", 10000}, BoxCase{"Min6m109", Min6m, "109", 555},
        BoxCase{"Min6m10001", Min6m, "10001", 555}, BoxCase{"Min4m280", Min4m, "280", 280},
        BoxCase{"Min4m3000", Min4m, "3000", 3000}, BoxCase{"Min4m279", Min4m, "279", 555},
        BoxCase{"Min4m3001", Min4m, "3001", 555}, BoxCase{"Min2m720", Min2m, "720", 720},
        BoxCase{"Min2m719", Min2m, "719", 555}, BoxCase{"Min2m3001", Min2m, "3001", 555},
        BoxCase{"Max6m111", Max6m, "111", 555}, BoxCase{"Max6m112", Max6m, "112", 112},
        BoxCase{"Max6m10000", Max6m, "10000", 10000}, BoxCase{"Max6mBelowMin", Max6m, "200.25", 200.25},
        BoxCase{"Max6mCancel", Max6m, nullptr, 555}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionMenus, EnterAtOnceStoresTheSameValueOrChangesNothing)
{
    Program p;
    auto& o = p.app->options();
    o.dblELayerHeight = 95.5;
    p.cancel();
    p.click(QStringLiteral("mnuEsOptions(4)"));
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("95.5"));
    p.answers.emplace_back(true, p.asked[0].defaultAnswer);
    p.click(QStringLiteral("mnuEsOptions(4)"));
    EXPECT_EQ(o.dblELayerHeight, 95.5);
    // A value outside the bounds (a fresh installation's 0) stays as it is.
    o.classifier.sngMinEsQrb2m = 0;
    p.answer("0");
    p.click(QStringLiteral("mnuEsQrb(3)"));
    EXPECT_EQ(p.asked.back().defaultAnswer, QStringLiteral("0"));
    EXPECT_EQ(o.classifier.sngMinEsQrb2m, 0.0f);
}

TEST(OptionMenus, BellMufStartPointAsksForTheAlarmLevel)
{
    Program p;
    auto& o = p.app->options();
    o.sngBellMufLevel = 60;
    p.answer("100");
    p.click(QStringLiteral("mnuEsOptions(6)"));
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].title, QStringLiteral("MUF level for spots bell"));
    EXPECT_EQ(p.asked[0].prompt,
              QStringLiteral("Please type the number in MHZ (Min 50, max 200) for  when you "
                             "want the bell to sound for ES spots (0=All spots!)."));
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("60"));
    EXPECT_EQ(o.sngBellMufLevel, 100.0f);
    p.cancel();
    p.click(QStringLiteral("mnuEsOptions(6)"));
    EXPECT_EQ(o.sngBellMufLevel, 100.0f);
}

TEST(OptionMenus, ToolWindowItemsOpenTheirWindowsWithoutAsking)
{
    Program p;
    p.click(QStringLiteral("mnuEsSpotFilter"));
    p.click(QStringLiteral("mnufrmMUF"));
    ASSERT_NE(p.window->findChild<QWidget*>(QStringLiteral("frmSpotFilter")), nullptr);
    ASSERT_NE(p.window->findChild<QWidget*>(QStringLiteral("frmMUF")), nullptr);
    EXPECT_TRUE(p.window->findChild<QWidget*>(QStringLiteral("frmMUF"))->isVisible());
    EXPECT_TRUE(p.asked.empty());
}

// --- The DDE menu and its dialog.

TEST(OptionMenus, DdeLinkItemSwitchesTheSenderTimer)
{
    Program p;
    const QString link = QStringLiteral("mnuDDE(1)");
    EXPECT_FALSE(p.app->tmrTarnLog().isActive());
    p.click(link);
    EXPECT_TRUE(p.ticked(link));
    EXPECT_TRUE(p.app->tmrTarnLog().isActive());
    EXPECT_EQ(p.app->tmrTarnLog().interval(), 2500);
    p.click(link);
    EXPECT_FALSE(p.ticked(link));
    EXPECT_FALSE(p.app->tmrTarnLog().isActive());
}

TEST(OptionMenus, SetupDialogStoresTheTrimmedNames)
{
    Program p;
    auto& o = p.app->options();
    o.strDdeExeName = QStringLiteral("52001");
    o.strDdeTopic = QStringLiteral("Topic");
    o.strDdeItem = QStringLiteral("Item");
    p.click(QStringLiteral("mnuDDE(0)"));
    LinkToLoggerWindow* dialog = p.optionMenus().frmLinkToLogger();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("DDE to Logger"));
    EXPECT_EQ(dialog->lblPoker(0)->text(), QStringLiteral("EXE Name: (Case Sensitive!!)"));
    EXPECT_EQ(dialog->lblPoker(1)->text(), QStringLiteral("Link Topic (Case Sensitive!!):"));
    EXPECT_EQ(dialog->lblPoker(2)->text(), QStringLiteral("Link Item (Case Sensitive!!):"));
    EXPECT_EQ(dialog->cmdPoker(0)->text(), QStringLiteral("&Update"));
    EXPECT_EQ(dialog->cmdPoker(1)->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(dialog->txtPoker(0)->text(), QStringLiteral("52001"));
    EXPECT_EQ(dialog->txtPoker(1)->text(), QStringLiteral("Topic"));
    EXPECT_EQ(dialog->txtPoker(2)->text(), QStringLiteral("Item"));

    dialog->txtPoker(0)->setText(QStringLiteral("  logpc:7373 "));
    dialog->txtPoker(1)->setText(QStringLiteral(" Spots"));
    dialog->txtPoker(2)->setText(QStringLiteral("DX "));
    dialog->cmdPoker(0)->click();
    EXPECT_EQ(o.strDdeExeName, QStringLiteral("logpc:7373"));
    EXPECT_EQ(o.strDdeTopic, QStringLiteral("Spots"));
    EXPECT_EQ(o.strDdeItem, QStringLiteral("DX"));
    EXPECT_TRUE(dialog->isVisible());

    // A second click shows the same dialog; Exit unloads it.
    p.click(QStringLiteral("mnuDDE(0)"));
    EXPECT_EQ(p.optionMenus().frmLinkToLogger(), dialog);
    dialog->cmdPoker(1)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(p.optionMenus().frmLinkToLogger(), nullptr);
}

// --- The DEBUG button.

TEST(OptionMenus, DebugButtonSendsItsSpotDownTheRoad)
{
    Program p;
    auto& o = p.app->options();
    o.setHomeLocator(QStringLiteral("IO91VL"));
    o.setChecked(QStringLiteral("mnuEsOptions(0)"), true);
    o.setChecked(QStringLiteral("mnuEsOptions(1)"), true);
    std::vector<QString> queued;
    p.app->lineFilter().sinks().queueSpot = [&](QueuedSpot& spot) {
        queued.push_back(spot.line + u'|' + spot.homeLoc + u'|' + QString::number(spot.logMufToDb) +
                         QString::number(spot.logSpotToDb));
        spot.line.clear();
    };
    auto* debug = p.window->findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(debug, nullptr);
    EXPECT_EQ(debug->text(), QStringLiteral("DEBUG"));
    debug->click();

    const QString line = QStringLiteral("dx de qx1abc: 110600 QX5/ABC/1  VOR ES s9 io90<>KM46");
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0], line + QStringLiteral("|IO91VL|10"));
    EXPECT_TRUE(p.app->textWindows().TBCluster.text().contains(line));
    EXPECT_EQ(p.app->mainTimers().intReconnectTicks, 99);
}

TEST(OptionMenus, DebugButtonWithoutHomeLocatorWarnsInTheCaption)
{
    Program p;
    p.app->options().setChecked(QStringLiteral("mnuEsOptions(0)"), true);
    int queued = 0;
    p.app->lineFilter().sinks().queueSpot = [&](QueuedSpot&) { ++queued; };
    p.window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(p.app->status(), QStringLiteral("Missing or wrong home locator! Set Locator.."));
    EXPECT_EQ(queued, 0);
    EXPECT_TRUE(p.app->textWindows().TBCluster.text().contains(QStringLiteral("dx de qx1abc: 110600")));
}

} // namespace

namespace {

// The whole program on SQLite: the sample spot is filtered, queued, processed into the MUF
// window and the caption, and reaches a logging program listening on loopback.
TEST(OptionMenus, DebugButtonRunsItsSpotEndToEnd)
{
    QTcpServer logger;
    ASSERT_TRUE(logger.listen(QHostAddress::LocalHost, 0));
    QByteArray received;
    QObject::connect(&logger, &QTcpServer::newConnection, &logger, [&] {
        QTcpSocket* s = logger.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [&received, s] { received += s->readAll(); });
    });

    TempFolder dir;
    Application app{DataFolder(dir.path())};
    MainWindow window(app);
    app.setView(&window);
    app.OPEN_ZENTHRA();
    auto& o = app.options();
    o.sngWindowBuffer = 100000;
    o.dblELayerHeight = 105;
    o.dblMasl = 150;
    o.setHomeLocator(QStringLiteral("IO91VL"));
    o.strDdeExeName = QString::number(logger.serverPort());
    o.strDdeTopic = QStringLiteral("Zenthra");
    o.strDdeItem = QStringLiteral("Spot");
    for (const char* i : {"mnuEsOptions(0)", "mnuEsOptions(1)", "mnuDxcFilters(0)", "mnuFilterVHF(2)"}) {
        o.setChecked(QString::fromLatin1(i), true);
    }
    window.menuItem(QStringLiteral("mnuDDE(1)"))->trigger();
    QString from = QStringLiteral("QX1ABC");
    app.callLocator().DX_DATABASE(from, QStringLiteral("IO90AA"), app.dtmUtcNow());
    QString to = QStringLiteral("QX5/ABC/1");
    app.callLocator().DX_DATABASE(to, QStringLiteral("KM46AA"), app.dtmUtcNow());

    window.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    const QString line = QStringLiteral("dx de qx1abc: 110600 QX5/ABC/1  VOR ES s9 io90<>KM46");
    EXPECT_TRUE(app.textWindows().TBCluster.text().contains(line));
    ASSERT_EQ(app.ddeLink().arrDdeQueue().size(), 1u);

    app.ddeSendQueue();
    const QByteArray expected = "Zenthra\tSpot\t" + line.toUtf8() + "\r\n";
    for (int i = 0; i < 250 && (received.size() < expected.size() ||
                                app.textWindows().txtDataRetrieval[0].text().isEmpty());
         ++i) {
        QTest::qWait(20);
    }
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(app.ddeLink().arrDdeQueue().empty());
    EXPECT_TRUE(app.status().startsWith(QStringLiteral("MUF @ "))) << app.status().toStdString();
    EXPECT_TRUE(app.textWindows().txtDataRetrieval[0].text().contains(
        QStringLiteral("es from IO90AA to KM46AA on 110.600")));
}

} // namespace
