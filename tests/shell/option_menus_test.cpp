#include "shell/application.h"
#include "shell/dde_window.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"
#include "support/eventually.h"
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
    const auto expectGroup = [&p](const char* group, int count, bool on) {
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(p.ticked(item(group, i)), on) << group << i;
        }
    };
    p.click(QStringLiteral("mnuDxcFilters(0)"));
    p.click(QStringLiteral("mnuFilterHFAll(0)"));
    expectGroup("mnuFilterHF", 10, true);
    p.click(QStringLiteral("mnuFilterVHFAll(0)"));
    expectGroup("mnuFilterVHF", 4, true);
    p.click(QStringLiteral("mnuFilterHFAll(1)"));
    expectGroup("mnuFilterHF", 10, false);
    expectGroup("mnuFilterVHF", 4, true);
    expectGroup("mnuFilterUHF", 6, false);
    p.click(QStringLiteral("mnuFilterUHFAll(0)"));
    expectGroup("mnuFilterUHF", 6, true);
    p.click(QStringLiteral("mnuFilterVHFAll(1)"));
    p.click(QStringLiteral("mnuFilterUHFAll(1)"));
    expectGroup("mnuFilterUHF", 6, false);
    EXPECT_FALSE(p.ticked(item("mnuFilterVHF", 3)));
    EXPECT_TRUE(p.ticked(QStringLiteral("mnuDxcFilters(0)")));
    EXPECT_FALSE(p.ticked(QStringLiteral("mnuFilterMisc(0)")));
}

TEST(OptionMenus, CheckItemsFlipAndKeepTheirFlags)
{
    Program p;
    auto& o = p.app->options();
    int flagged = 0;
    for (const char* name :
         {"chkCalcVHF", "chkLogAll", "mnuDxcFilters(0)", "mnuDxcFilters(1)", "mnuFilterHF(3)",
          "mnuFilterVHF(2)", "mnuFilterUHF(5)", "mnuFilterMisc(0)", "mnuEsOptions(0)", "mnuEsOptions(1)",
          "mnuEsCalc50mhzFiltered", "mnuEsOptions(2)", "mnuEsOptions(3)", "mnuEsJt65", "mnuEsQrb(0)",
          "mnuEsQrb(5)", "mnuEsDoubleHop(2)", "mnuEsDoubleHop(3)", "mnuEsDoubleHop(4)"}) {
        const QString n = QString::fromLatin1(name);
        bool* flag = o.companionFlag(n);
        flagged += flag ? 1 : 0;
        for (const bool on : {true, false}) {
            p.click(n);
            EXPECT_EQ(p.ticked(n), on) << name;
            EXPECT_TRUE(!flag || *flag == on) << name;
        }
    }
    EXPECT_EQ(flagged, 8);
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

const OptionMenus::NumberPrompt* const rules[] = {
    &OptionMenus::eLayerHeightPrompt, &OptionMenus::maslPrompt,       &OptionMenus::doubleHopMinQrbPrompt,
    &OptionMenus::minEsQrb6mPrompt,   &OptionMenus::minEsQrb4mPrompt, &OptionMenus::minEsQrb2mPrompt,
    &OptionMenus::maxEsQrb6mPrompt};

TEST(OptionMenus, InputBoxesTakeAnswersInsideTheBoundsOnly)
{
    const struct
    {
        Target target;
        std::vector<std::pair<const char*, double>> taken;
        std::vector<const char*> refused;
    } cases[] = {
        {ELayer, {{"80", 80}, {"160", 160}, {"95.5", 95.5}, {"  150 km", 150}}, {"79.9", "160.1"}},
        {Masl, {{"1", 1}, {"10000", 10000}}, {"0", "", "10001", "abc"}},
        {DoubleHop, {{"1000", 1000}, {"5200", 5200}}, {"999", "5201"}},
        {Min6m, {{"110", 110}, {"10000", 10000}}, {"109", "10001"}},
        {Min4m, {{"280", 280}, {"3000", 3000}}, {"279", "3001"}},
        {Min2m, {{"720", 720}}, {"719", "3001"}},
        {Max6m, {{"112", 112}, {"10000", 10000}, {"200.25", 200.25}}, {"111"}},
    };
    for (const auto& c : cases) {
        for (const auto& [answer, value] : c.taken) {
            EXPECT_EQ(rules[c.target]->accept(QString::fromLatin1(answer)), value)
                << boxes[c.target].item << answer;
        }
        for (const char* answer : c.refused) {
            EXPECT_EQ(rules[c.target]->accept(QString::fromLatin1(answer)), std::nullopt)
                << boxes[c.target].item << " \"" << answer << '"';
        }
    }
}

TEST(OptionMenus, EachInputBoxAsksWithItsPromptAndSetsItsOwnOptionOnly)
{
    Program p;
    double expected[] = {555, 555, 555, 555, 555, 555, 555};
    for (const Box& b : boxes) {
        b.set(p.app->options(), 555);
    }
    const struct
    {
        Target target;
        const char* answer; // nullptr: Cancel
        double value;
    } rounds[] = {{ELayer, "  150 km", 150},  {ELayer, nullptr, 150},      {Masl, "abc", 555},
                  {Masl, "10000", 10000},     {DoubleHop, "2700.5", 2700}, {DoubleHop, "2701.5", 2702},
                  {DoubleHop, nullptr, 2702}, {Min6m, "110", 110},         {Min4m, "3000", 3000},
                  {Min2m, "719", 555},        {Max6m, "200.25", 200.25},   {Max6m, nullptr, 200.25}};
    for (const auto& r : rounds) {
        const Box& box = boxes[r.target];
        const QString before = QString::number(expected[r.target]);
        if (r.answer) {
            p.answer(r.answer);
        }
        p.click(QString::fromLatin1(box.item));
        expected[r.target] = r.value;
        EXPECT_EQ(p.asked.back().title, QApplication::applicationName());
        EXPECT_EQ(p.asked.back().prompt, QString::fromLatin1(box.prompt));
        EXPECT_EQ(p.asked.back().prompt, QString::fromLatin1(rules[r.target]->prompt));
        EXPECT_EQ(p.asked.back().defaultAnswer, before);
        for (int t = ELayer; t <= Max6m; ++t) {
            EXPECT_DOUBLE_EQ(boxes[t].get(p.app->options()), expected[t]) << box.item << " " << boxes[t].item;
        }
    }
    EXPECT_EQ(p.asked.size(), std::size(rounds));
}

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
    EXPECT_EQ(app.mainTimers().intReconnectTicks, 99); // the next heartbeat tick made due

    app.ddeLink().tmrTarnLog_Timer();
    const QByteArray expected = "Zenthra\tSpot\t" + line.toUtf8() + "\r\n";
    EXPECT_EVENTUALLY(
        received.size() >= expected.size() && !app.textWindows().txtDataRetrieval[0].text().isEmpty(), 5000);
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(app.ddeLink().arrDdeQueue().empty());
    EXPECT_TRUE(app.status().startsWith(QStringLiteral("MUF @ "))) << app.status().toStdString();
    EXPECT_TRUE(app.textWindows().txtDataRetrieval[0].text().contains(
        QStringLiteral("es from IO90AA to KM46AA on 110.600")));
}

} // namespace
