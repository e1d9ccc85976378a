// The hand MUF calculator: its settings file, input boxes, locator checks, figures, the missing
// home locator, and the double-hop steps; then the window itself, headless.

#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/legacy_value.h"
#include "propagation/hand_muf.h"
#include "propagation/hand_muf_window.h"
#include "support/temp_folder.h"

#include "shell/dialog_program.h"

#include <QAction>
#include <QLabel>
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

    Calculator() { muf.load(dir.file(QLatin1String(HandMuf::fileName)), QStringLiteral("IO91WM")); }
    void path(const char* from, const char* to, const char* freq = "50.2")
    {
        muf.txtFromLoc = QString::fromLatin1(from);
        muf.txtToLoc = QString::fromLatin1(to);
        muf.txtFreq = QString::fromLatin1(freq);
    }
};

using Focus = HandMuf::Focus;

// --- Settings file.

TEST(HandMufSettings, MissingFileGivesTheDefaultsAndUnloadWritesFourLines)
{
    Calculator c;
    EXPECT_EQ(c.muf.intHandLayerHeight, 110);
    EXPECT_EQ(c.muf.intHandMasl, 150);
    EXPECT_EQ(c.muf.sngMinDoubleHopQrb, 2700.0f);
    EXPECT_FALSE(c.muf.mnuCalc2xHop);
    EXPECT_EQ(c.muf.txtHomeLoc, QStringLiteral("IO91WM"));
    EXPECT_EQ(c.muf.lblEsLayerHeight, QStringLiteral("e layer height = 110km"));
    EXPECT_EQ(c.muf.lblMASL, QStringLiteral("MASL = 150m"));
    EXPECT_EQ(c.muf.title, QStringLiteral("base title"));
    ASSERT_TRUE(c.muf.save(c.dir.file(QLatin1String(HandMuf::fileName))));
    EXPECT_EQ(c.dir.read(QLatin1String(HandMuf::fileName)), QByteArray("110\r\n150\r\nFalse\r\n2700\r\n"));
}

TEST(HandMufSettings, StoredValuesAreReadBack)
{
    Calculator c;
    c.dir.write(QLatin1String(HandMuf::fileName), "120\r\n300.5\r\nTrue\r\n3000.5\r\n");
    HandMuf muf(c.log, QStringLiteral("t"));
    muf.load(c.dir.file(QLatin1String(HandMuf::fileName)), QString());
    EXPECT_EQ(muf.intHandLayerHeight, 120);
    EXPECT_EQ(muf.intHandMasl, 300); // halves to even
    EXPECT_TRUE(muf.mnuCalc2xHop);
    EXPECT_EQ(muf.sngMinDoubleHopQrb, 3000.5f);
    ASSERT_TRUE(muf.save(c.dir.file(QLatin1String(HandMuf::fileName))));
    EXPECT_EQ(c.dir.read(QLatin1String(HandMuf::fileName)), QByteArray("120\r\n300\r\nTrue\r\n3000.5\r\n"));
}

struct FileCase
{
    const char* bytes;
    qint16 layer;
    qint16 masl;
    bool tick;
    float qrb;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << QByteArray(c.bytes).toPercentEncoding().toStdString();
}

class DamagedSettings : public ::testing::TestWithParam<FileCase>
{
};

TEST_P(DamagedSettings, FallBackToTheDefaultsValueByValue)
{
    Calculator c;
    c.dir.write(QLatin1String(HandMuf::fileName), GetParam().bytes);
    HandMuf muf(c.log, QStringLiteral("t"));
    muf.load(c.dir.file(QLatin1String(HandMuf::fileName)), QString());
    EXPECT_EQ(muf.intHandLayerHeight, GetParam().layer);
    EXPECT_EQ(muf.intHandMasl, GetParam().masl);
    EXPECT_EQ(muf.mnuCalc2xHop, GetParam().tick);
    EXPECT_EQ(muf.sngMinDoubleHopQrb, GetParam().qrb);
}

INSTANTIATE_TEST_SUITE_P(HandMufSettings, DamagedSettings,
                         ::testing::Values(FileCase{"89\r\n0\r\nmaybe\r\n999\r\n", 110, 150, false, 2700},
                                           FileCase{"131\r\n5001\r\n", 110, 150, false, 2700},
                                           FileCase{"90\r\n5000\r\n1\r\n1000\r\n", 90, 5000, true, 1000},
                                           FileCase{"abc\r\n\r\nTrue\r\nxyz\r\n", 110, 150, true, 2700},
                                           FileCase{"99999\r\n", 110, 150, false, 2700},
                                           FileCase{"", 110, 150, false, 2700}));

// --- Menu input boxes.

struct AnswerCase
{
    const char* answer;
    double expected; // the value afterwards
};

void PrintTo(const AnswerCase& c, std::ostream* os)
{
    *os << '"' << c.answer << '"';
}

class LayerAnswers : public ::testing::TestWithParam<AnswerCase>
{
};

TEST_P(LayerAnswers, NinetyToOneHundredThirtyRoundedHalfToEven)
{
    Calculator c;
    c.muf.intHandLayerHeight = 100;
    c.muf.layerHeightAnswer(QString::fromLatin1(GetParam().answer));
    EXPECT_EQ(c.muf.intHandLayerHeight, GetParam().expected);
    EXPECT_EQ(
        c.muf.lblEsLayerHeight,
        QStringLiteral("e layer height = %1km").arg(GetParam().expected == 100 ? 110 : GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(HandMuf, LayerAnswers,
                         ::testing::Values(AnswerCase{"90", 90}, AnswerCase{"130", 130},
                                           AnswerCase{"89", 100}, AnswerCase{"131", 100}, AnswerCase{"", 100},
                                           AnswerCase{"abc", 100}, AnswerCase{"120km", 100},
                                           AnswerCase{"110.5", 110}, AnswerCase{"89.5", 90},
                                           AnswerCase{"130.5", 130}));

class MaslAnswers : public ::testing::TestWithParam<AnswerCase>
{
};

TEST_P(MaslAnswers, OneToFiveThousand)
{
    Calculator c;
    c.muf.maslAnswer(QString::fromLatin1(GetParam().answer));
    EXPECT_EQ(c.muf.intHandMasl, GetParam().expected);
    EXPECT_EQ(c.muf.lblMASL, QStringLiteral("MASL = %1m").arg(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(HandMuf, MaslAnswers,
                         ::testing::Values(AnswerCase{"1", 1}, AnswerCase{"5000", 5000}, AnswerCase{"0", 150},
                                           AnswerCase{"5001", 150}, AnswerCase{"", 150}, AnswerCase{"x", 150},
                                           AnswerCase{"1500", 1500}));

class DoubleHopAnswers : public ::testing::TestWithParam<AnswerCase>
{
};

TEST_P(DoubleHopAnswers, ThousandTo5400StoredAsTyped)
{
    Calculator c;
    c.muf.sngMinDoubleHopQrb = 2700.4f;
    c.muf.doubleHopQrbAnswer(QString::fromLatin1(GetParam().answer));
    EXPECT_EQ(c.muf.sngMinDoubleHopQrb, static_cast<float>(GetParam().expected));
}

// A refused answer leaves the old value rounded to a whole number.
INSTANTIATE_TEST_SUITE_P(HandMuf, DoubleHopAnswers,
                         ::testing::Values(AnswerCase{"800", 2700}, AnswerCase{"5400", 5400},
                                           AnswerCase{"5401", 2700}, AnswerCase{"1000", 1000},
                                           AnswerCase{"999", 2700}, AnswerCase{"  ", 2700},
                                           AnswerCase{"abc", 2700}, AnswerCase{"3000.25", 3000.25}));

TEST(HandMuf, DefaultsResetTheSettingsAndTheHopButtons)
{
    Calculator c;
    c.muf.intHandLayerHeight = 95;
    c.muf.intHandMasl = 10;
    c.muf.sngMinDoubleHopQrb = 4000;
    c.muf.intHopState = 2;
    c.muf.hopVisible = true;
    c.muf.calculateVisible = false;
    c.muf.setDefaults();
    EXPECT_EQ(c.muf.intHandLayerHeight, 110);
    EXPECT_EQ(c.muf.intHandMasl, 150);
    EXPECT_EQ(c.muf.sngMinDoubleHopQrb, 2700.0f);
    EXPECT_EQ(c.muf.intHopState, 0);
    EXPECT_FALSE(c.muf.hopVisible);
    EXPECT_TRUE(c.muf.calculateVisible);
    EXPECT_EQ(c.muf.lblEsLayerHeight, QStringLiteral("e layer height = 110km"));
}

// --- Calculate.

TEST(HandMuf, LondonToMunichFromLondon)
{
    Calculator c;
    c.path("IO91WM", "JN58TD");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.lblAZResult, QStringLiteral("es from IO91WM to JN58TD on 50.2mhz"));
    EXPECT_EQ(c.muf.lblAzResult2,
              QStringLiteral("(Azimuth = 109.9)   (Elevation = 11.2deg)   (Distance = 921.5km)"));
    EXPECT_EQ(c.muf.lblMidPoint,
              QStringLiteral("Centre of path = JN29XX  Critical Freq = 13.3  MUF = 72.6mhz"));
    EXPECT_EQ(c.muf.lblMUFqth, QStringLiteral("From IO91WM try towards JN58TD"));
    // Home is the From station: the home path is the path itself.
    EXPECT_EQ(c.muf.lblMUFqth2, c.muf.lblAzResult2);
    EXPECT_EQ(c.muf.lblFOT, QStringLiteral("Frequency of traffic = 54.2mhz"));
    EXPECT_EQ(c.muf.title, QStringLiteral("MUF = 72.6mhz,  try towards JN58TD"));
    EXPECT_EQ(c.muf.focus, Focus::From);
    EXPECT_EQ(c.muf.arrMufResult.size(), 21);
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colFreq], QStringLiteral("50.200"));

    // The figures are those of the shared calculations.
    MufCalcs calcs(c.log);
    const double lat1 = MufCalcs::LOCATOR_TO_LATITUDE(u"IO91WM"),
                 lon1 = MufCalcs::LOCATOR_TO_LONGITUDE(u"IO91WM");
    const double lat2 = MufCalcs::LOCATOR_TO_LATITUDE(u"JN58TD"),
                 lon2 = MufCalcs::LOCATOR_TO_LONGITUDE(u"JN58TD");
    EXPECT_DOUBLE_EQ(legacy::val(c.muf.arrMufResult[HandMuf::colQrb]),
                     calcs.CALCULATE_QRB(lat1, lon1, lat2, lon2));
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colMidLocator], calcs.CALCULATE_MIDLOCATOR(lat1, lon1, lat2, lon2));
    EXPECT_EQ(c.log.intErrorLogged, 0);
}

TEST(HandMuf, FourCharacterLocatorsGainTheCentreSubsquare)
{
    Calculator c;
    c.path("IO91", "JN5", "50.2");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.lblMUFqth, QStringLiteral("ERROR!! To Locator < 4 Characters!"));
    c.path("IO91", "JN58T");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.txtFromLoc, QStringLiteral("IO91MM"));
    EXPECT_EQ(c.muf.txtToLoc, QStringLiteral("JN58TM"));
    EXPECT_EQ(c.muf.lblAZResult, QStringLiteral("es from IO91MM to JN58TM on 50.2mhz"));
}

struct LocatorCase
{
    const char* from;
    const char* to;
    const char* message;
    Focus focus;
};

void PrintTo(const LocatorCase& c, std::ostream* os)
{
    *os << '"' << c.from << "_" << c.to << '"';
}

class LocatorErrors : public ::testing::TestWithParam<LocatorCase>
{
};

TEST_P(LocatorErrors, ShowTheMessageAndEmptyTheResults)
{
    Calculator c;
    c.path("IO91WM", "JN58TD");
    c.muf.cmdCalculate();
    c.path(GetParam().from, GetParam().to);
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.lblMUFqth, QStringLiteral("ERROR!! ") + QString::fromLatin1(GetParam().message));
    for (const QString* s :
         {&c.muf.lblAZResult, &c.muf.lblAzResult2, &c.muf.lblMidPoint, &c.muf.lblMUFqth2, &c.muf.lblFOT}) {
        EXPECT_EQ(*s, QString());
    }
    EXPECT_EQ(c.muf.focus, GetParam().focus);
    EXPECT_EQ(c.muf.intLocErrorCode, 0);
}

INSTANTIATE_TEST_SUITE_P(
    HandMuf, LocatorErrors,
    ::testing::Values(LocatorCase{"", "JN58", "From Locator missing!", Focus::From},
                      LocatorCase{"IO91", "", "To Locator missing!", Focus::To},
                      LocatorCase{"IO9", "JN58", "From Locator < 4 Characters!", Focus::From},
                      LocatorCase{"IO91", "JN5", "To Locator < 4 Characters!", Focus::To},
                      // Pasted lower case is not upper-cased here.
                      LocatorCase{"io91wm", "JN58TD", "From Locator Character 1!", Focus::From},
                      LocatorCase{"SO91", "JN58", "From Locator Character 1!", Focus::From},
                      LocatorCase{"IO91", "JNX8", "To Locator Character 3!", Focus::To},
                      LocatorCase{"IO91YA", "JN58TD", "From Locator Character 5!", Focus::From},
                      LocatorCase{"IO91WM", "JN58TY", "To Locator Character 6!", Focus::To},
                      // From and To alternate: To's first bad character comes before From's third.
                      LocatorCase{"IOX1", "JX58", "To Locator Character 2!", Focus::To}));

TEST(HandMuf, WithoutANumericFrequencyCalculateDoesNothing)
{
    for (const char* freq : {"", "abc", "50.2mhz"}) {
        Calculator c;
        c.path("IO91", "JN58", freq);
        c.muf.lblMUFqth = QStringLiteral("kept");
        c.muf.cmdCalculate();
        EXPECT_EQ(c.muf.txtFromLoc, QStringLiteral("IO91")) << freq;
        EXPECT_EQ(c.muf.lblMUFqth, QStringLiteral("kept")) << freq;
        EXPECT_EQ(c.muf.title, QStringLiteral("base title")) << freq;
        EXPECT_EQ(c.muf.focus, Focus::Unchanged) << freq;
    }
    EXPECT_TRUE(HandMuf::frequencyRefused(QStringLiteral("5a")));
    EXPECT_FALSE(HandMuf::frequencyRefused(QStringLiteral("50.")));
    EXPECT_FALSE(HandMuf::frequencyRefused(QString()));
}

TEST(HandMuf, FromEqualToTitlesItsOwnErrors)
{
    Calculator c;
    c.path("IO91WM", "IO91WM");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colQrb], QStringLiteral("0"));
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colQtf], QStringLiteral("0.49"));
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colElevation], QStringLiteral("0"));
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colMidLocator], QString());
    EXPECT_TRUE(c.muf.lblAzResult2.startsWith(QStringLiteral("(Azimuth = 0.5)   (Elevation = 0.0deg)")));
    EXPECT_EQ(c.muf.title, QStringLiteral("Errors Occurred.."));
    EXPECT_EQ(c.log.intErrorLogged, 0);
    EXPECT_FALSE(c.dir.lines(QStringLiteral("muf_errors.log")).isEmpty());
}

TEST(HandMuf, ErrorsLoggedElsewhereDoNotReachTheTitle)
{
    Calculator c;
    c.log.WRITE_ERROR_LOG(91, QStringLiteral("somewhere else"));
    ASSERT_EQ(c.log.intErrorLogged, 1);
    c.path("IO91WM", "JN58TD");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.title, QStringLiteral("MUF = 72.6mhz,  try towards JN58TD"));
}

TEST(HandMuf, WithoutAHomeLocatorTheHomeFiguresStayBlank)
{
    for (const char* home : {"", "XX"}) {
        Calculator c;
        c.muf.txtHomeLoc = QString::fromLatin1(home);
        c.path("IO91WM", "JN58TD");
        c.muf.cmdCalculate();
        EXPECT_EQ(c.muf.lblAzResult2,
                  QStringLiteral("(Azimuth = 109.9)   (Elevation = 11.2deg)   (Distance = 921.5km)"));
        EXPECT_EQ(c.muf.lblMidPoint,
                  QStringLiteral("Centre of path = JN29XX  Critical Freq = 13.3  MUF = 72.6mhz"));
        EXPECT_EQ(c.muf.lblMUFqth, QStringLiteral("Set your home locator to see where to beam"));
        EXPECT_EQ(c.muf.lblMUFqth2, QString());
        EXPECT_EQ(c.muf.lblFOT, QString());
        EXPECT_EQ(c.muf.title, QStringLiteral("MUF = 72.6mhz"));
        for (int col = HandMuf::colHome; col <= HandMuf::colFot; ++col) {
            EXPECT_EQ(c.muf.arrMufResult[col], QString()) << col;
        }
    }
}

TEST(HandMuf, HomeAtTheToStationBeamsTowardsFrom)
{
    Calculator c;
    c.muf.txtHomeLoc = QStringLiteral("JN58TD");
    c.path("IO91WM", "JN58TD");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.lblMUFqth, QStringLiteral("From JN58TD try towards IO91WM"));
    EXPECT_EQ(c.muf.arrMufResult[HandMuf::colTryTowards], QStringLiteral("IO91WM"));
}

// --- Double hop.

TEST(HandMuf, DoubleHopStepsThroughBothHops)
{
    Calculator c;
    c.muf.mnuCalc2xHop = true;
    c.path("IO91WM", "KM72");
    c.muf.cmdCalculate();
    EXPECT_EQ(c.muf.intHopState, 1);
    EXPECT_TRUE(c.muf.hopVisible);
    EXPECT_FALSE(c.muf.calculateVisible);
    EXPECT_EQ(c.muf.hopCaption, QStringLiteral("show 1st hop"));
    EXPECT_EQ(c.muf.lblAZResult, QStringLiteral("es from IO91WM to KM72MM on 50.2mhz - double hop"));
    EXPECT_EQ(c.muf.focus, Focus::Hop);
    EXPECT_EQ(c.muf.strHopFrom, QStringLiteral("IO91WM"));
    EXPECT_EQ(c.muf.strHopMid, QStringLiteral("KN03CI"));
    EXPECT_EQ(c.muf.strHopTo, QStringLiteral("KM72MM"));
    // Below the horizon at home: the FOT is the MUF.
    EXPECT_EQ(c.muf.lblFOT, QStringLiteral("Frequency of traffic = 54.4mhz (Below horizon..)"));

    // Clear keeps the stored hops.
    c.muf.cmdClear();
    EXPECT_EQ(c.muf.intHopState, 1);
    EXPECT_EQ(c.muf.title, QStringLiteral("base title"));
    c.muf.txtFreq = QStringLiteral("50.2");

    c.muf.cmdHop();
    EXPECT_EQ(c.muf.intHopState, 2);
    EXPECT_EQ(c.muf.txtFromLoc, QStringLiteral("IO91WM"));
    EXPECT_EQ(c.muf.txtToLoc, QStringLiteral("KN03CI"));
    EXPECT_EQ(c.muf.hopCaption, QStringLiteral("show 2nd hop"));
    EXPECT_TRUE(c.muf.title.endsWith(QStringLiteral(" - 1st hop")));
    EXPECT_TRUE(c.muf.title.startsWith(QStringLiteral("MUF = ")));
    EXPECT_FALSE(c.muf.lblAZResult.endsWith(QStringLiteral(" - double hop")));
    EXPECT_TRUE(c.muf.hopVisible);
    EXPECT_FALSE(c.muf.calculateVisible);
    EXPECT_EQ(c.muf.focus, Focus::Hop);

    c.muf.cmdHop();
    EXPECT_EQ(c.muf.intHopState, 0);
    EXPECT_EQ(c.muf.txtFromLoc, QStringLiteral("KN03CI"));
    EXPECT_EQ(c.muf.txtToLoc, QStringLiteral("KM72MM"));
    EXPECT_TRUE(c.muf.title.endsWith(QStringLiteral(" - 2nd hop")));
    EXPECT_FALSE(c.muf.hopVisible);
    EXPECT_TRUE(c.muf.calculateVisible);

    // Back in state 0 the hop button does nothing.
    const QString title = c.muf.title;
    c.muf.cmdHop();
    EXPECT_EQ(c.muf.title, title);
}

TEST(HandMuf, DoubleHopNeedsTheTickAndTheDistance)
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
    c.muf.setDefaults();
    EXPECT_EQ(c.muf.intHopState, 0);
}

// --- The window.

struct CalculatorWindow : DialogProgram
{
    HandMufWindow* open()
    {
        app->options().setHomeLocator(QStringLiteral("IO91WM"));
        click(QStringLiteral("mnufrmMUF"));
        return dialogMenus().frmMUF();
    }
    template <typename T> T* child(HandMufWindow* w, const char* name) const
    {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
};

TEST(HandMufWindow, TypedLocatorsAreUpperCasedAndCalculateFillsTheLabels)
{
    CalculatorWindow p;
    HandMufWindow* w = p.open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), HandMuf::helpTitle());
    EXPECT_EQ(p.child<QLineEdit>(w, "txtHomeLoc")->text(), QStringLiteral("IO91WM"));
    EXPECT_EQ(p.child<QLabel>(w, "lblEsLayerHeight")->text(), QStringLiteral("e layer height = 110km"));
    EXPECT_EQ(p.child<QLabel>(w, "lblFromLoc")->text(), QStringLiteral("From locator"));
    EXPECT_FALSE(p.child<QPushButton>(w, "cmdCalcMUF(1)")->isVisible());

    QTest::keyClicks(p.child<QLineEdit>(w, "txtFromLoc"), QStringLiteral("io 91wm"));
    QTest::keyClicks(p.child<QLineEdit>(w, "txtToLoc"), QStringLiteral("jn58td"));
    QTest::keyClicks(p.child<QLineEdit>(w, "txtFreq"), QStringLiteral("50.2"));
    EXPECT_EQ(p.child<QLineEdit>(w, "txtFromLoc")->text(), QStringLiteral("IO91WM"));
    EXPECT_EQ(p.child<QLineEdit>(w, "txtToLoc")->text(), QStringLiteral("JN58TD"));
    p.child<QPushButton>(w, "cmdCalcMUF(0)")->click();
    EXPECT_EQ(p.child<QLabel>(w, "lblAZResult")->text(),
              QStringLiteral("es from IO91WM to JN58TD on 50.2mhz"));
    EXPECT_EQ(p.child<QLabel>(w, "lblMUFqth")->text(), QStringLiteral("From IO91WM try towards JN58TD"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("MUF = 72.6mhz,  try towards JN58TD"));
    // A key press in a box brings the base title back.
    QTest::keyClick(p.child<QLineEdit>(w, "txtFreq"), Qt::Key_Space);
    EXPECT_EQ(w->windowTitle(), HandMuf::helpTitle());
    EXPECT_EQ(p.child<QLineEdit>(w, "txtFreq")->text(), QStringLiteral("50.2"));

    p.child<QPushButton>(w, "cmdCalcMUF(2)")->click();
    EXPECT_EQ(p.child<QLineEdit>(w, "txtFromLoc")->text(), QString());
    EXPECT_EQ(p.child<QLabel>(w, "lblAZResult")->text(), QString());
    EXPECT_EQ(p.child<QLineEdit>(w, "txtHomeLoc")->text(), QStringLiteral("IO91WM"));
}

TEST(HandMufWindow, ALetterInTheFrequencyIsRefused)
{
    CalculatorWindow p;
    HandMufWindow* w = p.open();
    QTest::keyClicks(p.child<QLineEdit>(w, "txtFreq"), QStringLiteral("5x"));
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Critical);
    EXPECT_EQ(p.told[0].title, QStringLiteral("Number......"));
    EXPECT_EQ(p.told[0].text, QStringLiteral("ONLY FREQUENCY NUMBER!!!!"));
    EXPECT_EQ(p.child<QLineEdit>(w, "txtFreq")->text(), QString());
}

TEST(HandMufWindow, MenuInputBoxesAndTheSettingsFile)
{
    CalculatorWindow p;
    HandMufWindow* w = p.open();
    p.answer("120");
    p.child<QAction>(w, "mnuEsLayer")->trigger();
    p.answer("5001");
    p.child<QAction>(w, "mnuMASL")->trigger();
    p.answer("3000");
    p.child<QAction>(w, "mnu2xHopQrb")->trigger();
    p.child<QAction>(w, "mnuCalc2xHop")->trigger();
    ASSERT_EQ(p.asked.size(), 3u);
    EXPECT_EQ(p.asked[0].title, QStringLiteral("es Layer Height?"));
    EXPECT_EQ(p.asked[0].prompt, QStringLiteral("Please enter a number between 90 and 130"));
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("110"));
    EXPECT_EQ(p.asked[1].title, QStringLiteral("Height above sea level?"));
    EXPECT_EQ(p.asked[1].prompt,
              QStringLiteral("Please enter a number between 1 and 5000.\rNOTE: this only sets "
                             "your masl, the dx masl is set at 150m."));
    EXPECT_EQ(p.asked[2].title, QStringLiteral("es 2x hop min qrb"));
    EXPECT_EQ(p.asked[2].prompt,
              QStringLiteral("Please type the number in km (Min 1000, max 5400) for  what you "
                             "want the  minimum double hop distance to be."));
    EXPECT_EQ(p.asked[2].defaultAnswer, QStringLiteral("2700"));
    EXPECT_EQ(p.child<QLabel>(w, "lblEsLayerHeight")->text(), QStringLiteral("e layer height = 120km"));
    EXPECT_EQ(p.child<QLabel>(w, "lblMASL")->text(), QStringLiteral("MASL = 150m"));

    p.child<QAction>(w, "mnuHelp")->trigger();
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Information);
    EXPECT_TRUE(
        p.told[0].text.contains(QStringLiteral("\rUSING KORVELMUF CALC\rIt's easy, just put in dx spots and "
                                               "the frequency from the cluster and hit calculate.\r")));

    p.child<QAction>(w, "mnuExit")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(p.dialogMenus().frmMUF(), nullptr);
    EXPECT_EQ(p.dir.read(QLatin1String(HandMuf::fileName)), QByteArray("120\r\n150\r\nTrue\r\n3000\r\n"));

    // The next opening reads them back.
    HandMufWindow* again = p.open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->calculator().intHandLayerHeight, 120);
    EXPECT_TRUE(p.child<QAction>(again, "mnuCalc2xHop")->isChecked());
}

TEST(HandMufWindow, TheHopButtonTakesThePlaceOfCalculate)
{
    CalculatorWindow p;
    HandMufWindow* w = p.open();
    p.child<QAction>(w, "mnuCalc2xHop")->trigger();
    p.child<QLineEdit>(w, "txtFromLoc")->setText(QStringLiteral("IO91WM"));
    p.child<QLineEdit>(w, "txtToLoc")->setText(QStringLiteral("KM72"));
    p.child<QLineEdit>(w, "txtFreq")->setText(QStringLiteral("50.2"));
    auto* calculate = p.child<QPushButton>(w, "cmdCalcMUF(0)");
    auto* hop = p.child<QPushButton>(w, "cmdCalcMUF(1)");
    calculate->click();
    EXPECT_FALSE(calculate->isVisible());
    EXPECT_TRUE(hop->isVisible());
    EXPECT_EQ(hop->text(), QStringLiteral("show 1st hop"));
    hop->click();
    EXPECT_EQ(hop->text(), QStringLiteral("show 2nd hop"));
    EXPECT_EQ(p.child<QLineEdit>(w, "txtToLoc")->text(), QStringLiteral("KN03CI"));
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral(" - 1st hop")));
    hop->click();
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral(" - 2nd hop")));
    EXPECT_TRUE(calculate->isVisible());
    EXPECT_FALSE(hop->isVisible());
}

} // namespace
