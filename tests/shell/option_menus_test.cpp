#include "shell/application.h"
#include "shell/dde_window.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include "shell/dialog_program.h"

#include <QAction>
#include <QApplication>
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
    EXPECT_TRUE(p.ticked(QStringLiteral("mnuDxcFilters(0)")));
    EXPECT_FALSE(p.ticked(QStringLiteral("mnuFilterMisc(0)")));
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

// --- The input boxes' bounds.

// The input boxes' menu items, in the order of Target.
const char* const boxes[] = {"mnuEsOptions(4)", "mnuEsOptions(5)", "mnuEsDoubleHop(1)", "mnuEsQrb(1)",
                             "mnuEsQrb(2)",     "mnuEsQrb(3)",     "mnuEsQrb(4)"};

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
                << boxes[c.target] << answer;
        }
        for (const char* answer : c.refused) {
            EXPECT_EQ(rules[c.target]->accept(QString::fromLatin1(answer)), std::nullopt)
                << boxes[c.target] << " \"" << answer << '"';
        }
    }
}

TEST(OptionMenus, EachInputBoxAsksWithItsOwnRule)
{
    Program p;
    for (int t = ELayer; t <= Max6m; ++t) {
        p.cancel();
        p.click(QString::fromLatin1(boxes[t]));
        EXPECT_EQ(p.asked.back().prompt, QString::fromLatin1(rules[t]->prompt)) << boxes[t];
    }
    p.answer("  150 km");
    p.click(QString::fromLatin1(boxes[ELayer]));
    EXPECT_EQ(p.app->options().dblELayerHeight, 150.0);
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
