// The two map windows through the program's own map menu, headless, on the embedded database.

#include "maps/avg_map_window.h"
#include "maps/single_map_window.h"
#include "shell/dialog_program.h"
#include "shell/mapper_menus.h"

#include <QImage>
#include <QListWidget>

using namespace zenthra;
using zenthra::test::DialogProgram;

namespace {

const QDateTime noon(QDate(2026, 12, 5), QTime(12, 0), Qt::UTC);

QRgb pixelOf(const MapCanvas& canvas, QPoint at)
{
    return canvas.persistentImage().pixel(at) | 0xFF000000;
}

QRgb pixelOf(const MapCanvas& canvas, const char* loc)
{
    return pixelOf(canvas, locatorCentre(QString::fromLatin1(loc))->toPoint());
}

// The middle of the line between two squares' centres.
QPoint between(const char* from, const char* to)
{
    return ((*locatorCentre(QString::fromLatin1(from)) + *locatorCentre(QString::fromLatin1(to))) / 2)
        .toPoint();
}

} // namespace

class MapWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        p.app->clock().setUtc(noon);
        p.app->OPEN_ZENTHRA();
        ASSERT_TRUE(p.app->database().isOpen());
    }

    void spot(const QDateTime& time, const QString& info, double muf, const char* loc1, const char* centre,
              const char* loc2, double freq = 50.1)
    {
        ASSERT_TRUE(p.app->database().exec(
            Store::Spots,
            QStringLiteral(
                "INSERT INTO tblSPOT (DxDateTime, SpotInfo, MUF, QRB1, CentreLoc, Freq, DxLoc1, DxLoc2,"
                " TryFrom, TryTo) VALUES (?, ?, ?, 1500, ?, ?, ?, ?, 'IO91WM', 'IM45XX')"),
            {Database::dateValue(time), info, muf, QString::fromLatin1(centre), freq,
             QString::fromLatin1(loc1), QString::fromLatin1(loc2)}));
    }

    MapperMenus& menus() { return *p.window->findChild<MapperMenus*>(); }
    static void trigger(QWidget* window, const char* name)
    {
        QAction* a = window->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }

    DialogProgram p;
};

TEST_F(MapWindows, AverageWindowDrawsTheUtcDayRefreshesAndSaves)
{
    spot(noon.addSecs(-3600), QStringLiteral("a"), 80.2, "JO01", "JN45AA", "IM58");
    spot(noon.addDays(-1), QStringLiteral("yesterday"), 120, "JO01", "KM72", "IM58");

    p.click(keys::mapLoadAverage);
    AvgMapWindow* w = menus().frmMapping();
    ASSERT_NE(w, nullptr);
    const QListWidget* list = w->findChild<QListWidget*>(QStringLiteral("lstMufAverage"));
    ASSERT_EQ(list->count(), 5);
    EXPECT_EQ(list->item(4)->text(), QStringLiteral("JN45 80  1  "));
    EXPECT_EQ(pixelOf(w->canvas(), "JN45"), qRgb(120, 0, 0));

    p.answer("30");
    trigger(w, "mnuRefreshRate");
    EXPECT_EQ(w->intRefreshRate, 30);
    spot(noon.addSecs(-30), QStringLiteral("c"), 113.75, "JO01", "KM72", "IM58");
    for (int i = 0; i < 29; ++i) {
        w->tmrAvgMuf_Timer();
    }
    EXPECT_EQ(list->count(), 5);
    w->tmrAvgMuf_Timer();
    EXPECT_EQ(list->item(4)->text(), QStringLiteral("KM72 113 1  "));

    p.answer("2026-12-04");
    trigger(w, "mnuSetDate");
    EXPECT_EQ(list->item(0)->text(), QLocale().toString(QDate(2026, 12, 4), QStringLiteral("d MMMM yy")));
    EXPECT_EQ(pixelOf(w->canvas(), "JN45"), pixelOf(MapCanvas(), "JN45"));

    w->AVERAGE_DRAW(QString());
    trigger(w, "mnuSaveFull");
    const QImage saved(p.dir.file(QStringLiteral("map_avg20261205120000.bmp")));
    ASSERT_EQ(saved.size(), QSize(2880, 1440));
    EXPECT_EQ(saved.pixel(locatorCentre(u"JN45")->toPoint()) | 0xFF000000, qRgb(120, 0, 0));
}

TEST_F(MapWindows, SingleWindowDrawsThePickedSpotByItsExactText)
{
    const QString underscore = QStringLiteral("DX de G4ABC: 50110.0 EA8_X it's open");
    spot(noon.addSecs(-600), underscore, 80, "JN40", "JN60", "JN80", 50.11);
    spot(noon.addSecs(-300), QStringLiteral("DX de G4ABC: 50110.0 EA8XX it's open"), 80, "JN41", "JN61",
         "JN81", 144.3);

    p.click(keys::mapSingleSpot);
    SingleMapWindow* w = menus().frmMapSingle();
    ASSERT_NE(w, nullptr);
    QListWidget* list = w->findChild<QListWidget*>(QStringLiteral("lstMufSingle"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), underscore);

    // Nothing ticked: a pick draws nothing.
    list->setCurrentRow(1);
    const QPoint onLine = between("JN40", "JN60");
    const QRgb sea = pixelOf(MapCanvas(), onLine);
    EXPECT_EQ(pixelOf(w->canvas(), onLine), sea);

    trigger(w, "mnuMap(1)");
    trigger(w, "mnuMap(3)");
    list->setCurrentRow(-1);
    list->setCurrentRow(1);
    EXPECT_EQ(pixelOf(w->canvas(), onLine), qRgb(255, 255, 255));
    EXPECT_EQ(pixelOf(w->canvas(), "JN60"), qRgb(255, 255, 0));
    // The text that "_" as a pattern would also match is not drawn.
    EXPECT_EQ(pixelOf(w->canvas(), between("JN41", "JN61")), pixelOf(MapCanvas(), between("JN41", "JN61")));

    trigger(w, "mnuClearMap");
    EXPECT_EQ(pixelOf(w->canvas(), onLine), sea);
}

TEST_F(MapWindows, SetSpotDateReadsTheUsersShortDate)
{
    p.click(keys::mapSingleSpot);
    SingleMapWindow* w = menus().frmMapSingle();
    ASSERT_NE(w, nullptr);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    p.answer("6/14/2026");
    trigger(w, "mnuSetDate");
    QLocale::setDefault(before);
    EXPECT_EQ(w->spotDay(), QDate(2026, 6, 14));
}

TEST_F(MapWindows, ShutDownWritesBothSettingsFilesAndTheWindowsComeBackAsLeft)
{
    p.click(keys::mapLoadAverage);
    p.click(keys::mapSingleSpot);
    AvgMapWindow* avg = menus().frmMapping();
    SingleMapWindow* single = menus().frmMapSingle();
    avg->move(150, 90);
    avg->intRefreshRate = 45;
    single->move(60, 210);
    single->mnuMap_Click(2);
    single->mnuMap_Click(4);
    const TwipsRect avgPlace = avg->geometryTwips();
    const TwipsRect singlePlace = single->geometryTwips();

    p.app->CLOSE_ZENTHRA(0);
    EXPECT_EQ(p.dir.lines(QStringLiteral("avg_mapper.dat")).value(4), QStringLiteral("45"));
    EXPECT_EQ(p.dir.lines(QStringLiteral("sng_mapper.dat")).mid(4),
              (QStringList{"120", "False", "True", "False", "True"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(menus().frmMapping(), nullptr);

    p.click(keys::mapLoadAverage);
    p.click(keys::mapSingleSpot);
    EXPECT_EQ(menus().frmMapping()->intRefreshRate, 45);
    EXPECT_EQ(menus().frmMapping()->geometryTwips().top, avgPlace.top);
    EXPECT_EQ(menus().frmMapSingle()->geometryTwips().left, singlePlace.left);
    EXPECT_TRUE(menus().frmMapSingle()->ticks().yourPath);
}

TEST_F(MapWindows, AStoredWidthPastTheScreenAndATopOffItAreFittedToTheScreen)
{
    // Top, left, width, height in twips, then the refresh rate; the test screen is 800 x 800
    // pixels. The average window's default place is the main window's, the single one's where the
    // platform put it.
    const QByteArray file = "99999999\r\n1500\r\n999999999\r\n4500\r\n120\r\n";
    p.dir.write(QStringLiteral("avg_mapper.dat"), file);
    p.dir.write(QStringLiteral("sng_mapper.dat"), file + "False\r\nFalse\r\nFalse\r\nFalse\r\n");
    p.window->move(0, 40);
    p.click(keys::mapLoadAverage);
    p.click(keys::mapSingleSpot);
    QCoreApplication::processEvents();
    EXPECT_EQ(menus().frmMapping()->frameGeometry(), QRect(0, 40, 800, 300));
    EXPECT_EQ(menus().frmMapSingle()->frameGeometry(), QRect(0, 0, 800, 300));
}
