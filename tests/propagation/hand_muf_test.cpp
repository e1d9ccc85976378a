// The hand MUF calculator's rules on the logic itself: its settings file, input boxes, locator
// checks, figures, the missing home locator and the double-hop steps; then the window's wiring once.

#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/legacy_value.h"
#include "propagation/hand_muf.h"
#include "propagation/hand_muf_window.h"
#include "support/temp_folder.h"

#include "shell/dialog_program.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace zenthra;
using zenthra::test::DialogProgram;
using zenthra::test::TempFolder;

namespace {

struct Calculator
{
    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    HandMuf muf{log, QStringLiteral("base title")};

    Calculator() { muf.load(file(), QStringLiteral("IO91WM")); }
    QString file() const { return dir.file(QLatin1String(HandMuf::fileName)); }
    void path(const char* from, const char* to, const char* freq = "50.2")
    {
        muf.txtFromLoc = QString::fromLatin1(from);
        muf.txtToLoc = QString::fromLatin1(to);
        muf.txtFreq = QString::fromLatin1(freq);
    }
    // Everything a calculation shows: the six result labels and the title.
    QStringList shown() const
    {
        return {muf.lblAZResult, muf.lblAzResult2, muf.lblMidPoint, muf.lblMUFqth,
                muf.lblMUFqth2,  muf.lblFOT,       muf.title};
    }
};

using Focus = HandMuf::Focus;

TEST(HandMufSettings, FileIsReadValueByValueWithDefaultsAndWrittenBackInFourLines)
{
    const struct
    {
        const char* bytes; // nullptr: no file
        qint16 layer;
        qint16 masl;
        bool tick;
        float qrb;
        const char* saved;
    } cases[] = {
        {nullptr, 110, 150, false, 2700, "110\r\n150\r\nFalse\r\n2700\r\n"},
        // The height halves to even.
        {"120\r\n300.5\r\nTrue\r\n3000.5\r\n", 120, 300, true, 3000.5, "120\r\n300\r\nTrue\r\n3000.5\r\n"},
        {"89\r\n0\r\nmaybe\r\n999\r\n", 110, 150, false, 2700, nullptr},
        {"131\r\n5001\r\n", 110, 150, false, 2700, nullptr},
        {"90\r\n5000\r\n1\r\n1000\r\n", 90, 5000, true, 1000, "90\r\n5000\r\nTrue\r\n1000\r\n"},
        {"abc\r\n\r\nTrue\r\nxyz\r\n", 110, 150, true, 2700, nullptr},
    };
    for (const auto& k : cases) {
        Calculator c;
        if (k.bytes) {
            c.dir.write(QLatin1String(HandMuf::fileName), k.bytes);
        }
        HandMuf muf(c.log, QStringLiteral("t"));
        muf.load(c.file(), QString());
        const QByteArray name = QByteArray(k.bytes ? k.bytes : "missing").toPercentEncoding();
        EXPECT_EQ(muf.intHandLayerHeight, k.layer) << name.constData();
        EXPECT_EQ(muf.intHandMasl, k.masl) << name.constData();
        EXPECT_EQ(muf.mnuCalc2xHop, k.tick) << name.constData();
        EXPECT_EQ(muf.sngMinDoubleHopQrb, k.qrb) << name.constData();
        if (k.saved) {
            ASSERT_TRUE(muf.save(c.file()));
            EXPECT_EQ(c.dir.read(QLatin1String(HandMuf::fileName)), QByteArray(k.saved));
        }
    }
}

TEST(HandMuf, InputBoxAnswersOutsideTheirBoundsAreRefused)
{
    enum Box
    {
        Layer, // 90 to 130, rounded half to even
        Masl,  // 1 to 5000
        Hop,   // 1000 to 5400, stored as typed; a refusal rounds the old value
    };
    // What the box holds afterwards, and the figure its label shows.
    const struct
    {
        Box box;
        const char* answer;
        double value;
        int shown;
    } cases[] = {
        // clang-format off
        {Layer, "90", 90, 90},        {Layer, "130", 130, 130},     {Layer, "89", 100, 110},
        {Layer, "131", 100, 110},     {Layer, "abc", 100, 110},     {Layer, "89.5", 90, 90},
        {Masl, "1", 1, 1},            {Masl, "5000", 5000, 5000},   {Masl, "0", 150, 150},
        {Masl, "5001", 150, 150},     {Hop, "5400", 5400, 0},       {Hop, "5401", 2700, 0},
        {Hop, "1000", 1000, 0},       {Hop, "999", 2700, 0},        {Hop, "3000.25", 3000.25, 0},
        // clang-format on
    };
    for (const auto& k : cases) {
        Calculator c;
        c.muf.intHandLayerHeight = 100;
        c.muf.sngMinDoubleHopQrb = 2700.4f;
        const QString answer = QString::fromLatin1(k.answer);
        double value = 0;
        QString label;
        if (k.box == Layer) {
            c.muf.layerHeightAnswer(answer);
            value = c.muf.intHandLayerHeight;
            label = c.muf.lblEsLayerHeight;
        } else if (k.box == Masl) {
            c.muf.maslAnswer(answer);
            value = c.muf.intHandMasl;
            label = c.muf.lblMASL;
        } else {
            c.muf.doubleHopQrbAnswer(answer);
            value = c.muf.sngMinDoubleHopQrb;
        }
        EXPECT_EQ(value, k.value) << k.box << " \"" << k.answer << '"';
        const QString shown = k.box == Layer  ? QStringLiteral("e layer height = %1km").arg(k.shown)
                              : k.box == Masl ? QStringLiteral("MASL = %1m").arg(k.shown)
                                              : QString();
        EXPECT_EQ(label, shown) << k.box << " \"" << k.answer << '"';
    }
}

TEST(HandMuf, CalculateShowsThePathAndWhereHomeShouldBeam)
{
    const QString az = QStringLiteral("es from IO91WM to JN58TD on 50.2mhz");
    const QString path = QStringLiteral("(Azimuth = 109.9)   (Elevation = 11.2deg)   (Distance = 921.5km)");
    const QString mid = QStringLiteral("Centre of path = JN29XX  Critical Freq = 13.3  MUF = 72.6mhz");
    const QString noHome = QStringLiteral("Set your home locator to see where to beam");
    const struct
    {
        const char* home;
        QStringList shown;
    } cases[] = {
        // Home is the From station: the home path is the path itself.
        {"IO91WM",
         {az, path, mid, "From IO91WM try towards JN58TD", path, "Frequency of traffic = 54.2mhz",
          "MUF = 72.6mhz,  try towards JN58TD"}},
        {"JN58TD",
         {az, path, mid, "From JN58TD try towards IO91WM",
          "(Azimuth = 298.9)   (Elevation = 11.2deg)   (Distance = 921.5km)",
          "Frequency of traffic = 54.2mhz", "MUF = 72.6mhz,  try towards IO91WM"}},
        // Without a home locator the home figures stay blank.
        {"", {az, path, mid, noHome, "", "", "MUF = 72.6mhz"}},
    };
    for (const auto& k : cases) {
        Calculator c;
        c.muf.txtHomeLoc = QString::fromLatin1(k.home);
        c.path("IO91WM", "JN58TD");
        c.muf.cmdCalculate();
        EXPECT_EQ(c.shown(), k.shown) << k.home;
        EXPECT_EQ(c.muf.arrMufResult[HandMuf::colHome].isEmpty(), k.shown[4].isEmpty());
    }
}

TEST(HandMuf, LocatorErrorsShowTheMessageAndEmptyTheResults)
{
    const struct
    {
        const char* from;
        const char* to;
        const char* message;
        Focus focus;
    } cases[] = {
        {"", "JN58", "From Locator missing!", Focus::From},
        {"IO91", "", "To Locator missing!", Focus::To},
        {"IO9", "JN58", "From Locator < 4 Characters!", Focus::From},
        // Pasted lower case is not upper-cased here.
        {"io91wm", "JN58TD", "From Locator Character 1!", Focus::From},
        {"IO91", "JNX8", "To Locator Character 3!", Focus::To},
        {"IO91WM", "JN58TY", "To Locator Character 6!", Focus::To},
        // From and To alternate: To's first bad character comes before From's third.
        {"IOX1", "JX58", "To Locator Character 2!", Focus::To},
    };
    for (const auto& k : cases) {
        Calculator c;
        c.path("IO91WM", "JN58TD");
        c.muf.cmdCalculate();
        c.path(k.from, k.to);
        c.muf.cmdCalculate();
        const QString error = QStringLiteral("ERROR!! ") + QString::fromLatin1(k.message);
        EXPECT_EQ(c.shown(), QStringList({"", "", "", error, "", "", c.muf.title})) << k.from << '_' << k.to;
        EXPECT_EQ(c.muf.focus, k.focus) << k.from << '_' << k.to;
    }
}

TEST(HandMuf, WithoutANumericFrequencyCalculateDoesNothing)
{
    for (const char* freq : {"", "50.2mhz"}) {
        Calculator c;
        c.path("IO91", "JN58", freq);
        c.muf.lblMUFqth = QStringLiteral("kept");
        c.muf.cmdCalculate();
        EXPECT_EQ(c.shown(), QStringList({"", "", "", "kept", "", "", "base title"})) << freq;
        EXPECT_EQ(c.muf.focus, Focus::Unchanged) << freq;
    }
}

TEST(HandMuf, TheTitleTellsOfErrorsOfThisCalculationOnly)
{
    Calculator c;
    c.log.WRITE_ERROR_LOG(91, QStringLiteral("somewhere else"));
    c.path("IO91WM", "JN58TD");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.title, QStringLiteral("MUF = 72.6mhz,  try towards JN58TD"));

    // From equal to To logs its own errors.
    c.path("IO91WM", "IO91WM");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colQrb], QStringLiteral("0"));
    EXPECT_EQ(c.muf.title, QStringLiteral("Errors Occurred.."));
    EXPECT_EQ(c.log.intErrorLogged, 0);
    EXPECT_EQ(c.dir.lines(QStringLiteral("muf_errors.log")).size(), 1 + 3)
        << "the line from elsewhere and three";
}

TEST(HandMuf, DoubleHopStepsThroughBothHops)
{
    Calculator c;
    c.muf.mnuCalc2xHop = true;
    c.path("IO91WM", "KM72");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.intHopState, 1);
    EXPECT_TRUE(c.muf.hopVisible && !c.muf.calculateVisible);
    EXPECT_EQ(c.muf.lblAZResult, QStringLiteral("es from IO91WM to KM72MM on 50.2mhz - double hop"));
    EXPECT_EQ(QStringList({c.muf.strHopFrom, c.muf.strHopMid, c.muf.strHopTo}),
              QStringList({"IO91WM", "KN03CI", "KM72MM"}));
    // Below the horizon at home: the FOT is the MUF.
    EXPECT_EQ(c.muf.lblFOT, QStringLiteral("Frequency of traffic = 54.4mhz (Below horizon..)"));

    // Clear keeps the stored hops.
    c.muf.cmdClear();
    EXPECT_EQ(c.muf.intHopState, 1);
    EXPECT_EQ(c.muf.title, QStringLiteral("base title"));
    c.muf.txtFreq = QStringLiteral("50.2");

    c.muf.cmdHop();
    EXPECT_EQ(c.muf.intHopState, 2);
    EXPECT_EQ(c.muf.txtFromLoc + u'-' + c.muf.txtToLoc, QStringLiteral("IO91WM-KN03CI"));
    EXPECT_TRUE(c.muf.title.endsWith(" - 1st hop"));

    c.muf.cmdHop();
    EXPECT_EQ(c.muf.intHopState, 0);
    EXPECT_EQ(c.muf.txtFromLoc + u'-' + c.muf.txtToLoc, QStringLiteral("KN03CI-KM72MM"));
    EXPECT_TRUE(c.muf.title.endsWith(QStringLiteral(" - 2nd hop")));
    EXPECT_TRUE(!c.muf.hopVisible && c.muf.calculateVisible);

    // Back in state 0 the hop button does nothing.
    const QString title = c.muf.title;
    c.muf.cmdHop();
    EXPECT_EQ(c.muf.title, title);
}

TEST(HandMuf, DoubleHopNeedsTheTickAndTheDistanceAndDefaultsEndIt)
{
    Calculator c;
    c.path("IO91WM", "KM72");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.intHopState, 0) << "unticked";
    c.muf.mnuCalc2xHop = true;
    c.muf.sngMinDoubleHopQrb = 3600;
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.intHopState, 0) << "3534 km is below 3600";
    c.muf.sngMinDoubleHopQrb = 3534;
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.intHopState, 1) << "at least the minimum";

    c.muf.intHandLayerHeight = 95;
    c.muf.setDefaults();
    EXPECT_EQ(c.muf.intHandLayerHeight, 110);
    EXPECT_EQ(c.muf.intHopState, 0);
    EXPECT_TRUE(!c.muf.hopVisible && c.muf.calculateVisible);
}

// --- The window: one pass through its controls, menus and settings file.

TEST(HandMufWindow, ControlsMenusAndSettingsFileAreWired)
{
    DialogProgram p;
    const auto open = [&p] {
        p.app->options().setHomeLocator(QStringLiteral("IO91WM"));
        p.click(QStringLiteral("mnufrmMUF"));
        return p.dialogMenus().frmMUF();
    };
    HandMufWindow* w = open();
    ASSERT_NE(w, nullptr);
    const auto box = [&w](const char* name) { return w->findChild<QLineEdit*>(QString::fromLatin1(name)); };
    const auto button = [&w](int i) {
        return w->findChild<QPushButton*>(QStringLiteral("cmdCalcMUF(%1)").arg(i));
    };
    const auto menu = [&w](const char* name) { return w->findChild<QAction*>(QString::fromLatin1(name)); };
    EXPECT_EQ(box("txtHomeLoc")->text(), QStringLiteral("IO91WM"));

    // A letter in the frequency is refused.
    QTest::keyClicks(box("txtFreq"), QStringLiteral("5x"));
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].title + u'|' + p.told[0].text,
              QStringLiteral("Number......|ONLY FREQUENCY NUMBER!!!!"));
    EXPECT_EQ(box("txtFreq")->text(), QString());

    // Typed locators are upper-cased; a blank is swallowed.
    QTest::keyClicks(box("txtFromLoc"), QStringLiteral("io 91wm"));
    QTest::keyClicks(box("txtToLoc"), QStringLiteral("jn58td"));
    QTest::keyClicks(box("txtFreq"), QStringLiteral("50.2"));
    button(0)->click();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("MUF = 72.6mhz,  try towards JN58TD"));
    // A key press in a box brings the base title back.
    QTest::keyClick(box("txtFreq"), Qt::Key_Space);
    EXPECT_EQ(w->windowTitle(), HandMuf::helpTitle());

    // The hop button takes the place of Calculate.
    menu("mnuCalc2xHop")->trigger();
    box("txtToLoc")->setText(QStringLiteral("KM72"));
    box("txtFreq")->setText(QStringLiteral("50.2"));
    button(0)->click();
    EXPECT_TRUE(!button(0)->isVisible() && button(1)->isVisible());
    button(1)->click();
    EXPECT_EQ(button(1)->text() + u'|' + box("txtToLoc")->text(), QStringLiteral("show 2nd hop|KN03CI"));

    // An input box answer, and the settings file written at exit and read at the next opening.
    p.answer("120");
    menu("mnuEsLayer")->trigger();
    menu("mnuExit")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(p.dialogMenus().frmMUF(), nullptr);
    EXPECT_EQ(p.dir.read(QLatin1String(HandMuf::fileName)), QByteArray("120\r\n150\r\nTrue\r\n2700\r\n"));
    w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->calculator().intHandLayerHeight, 120);
    EXPECT_TRUE(menu("mnuCalc2xHop")->isChecked());
}

} // namespace
