#include "core/option_keys.h"
#include "maps/muf_map_window.h"
#include "shell/dialog_program.h"
#include "shell/map_menus.h"

#include <QDir>
#include <QFrame>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTabWidget>

namespace zenthra::test {
namespace {

class MufMapWindowTest : public ::testing::Test
{
protected:
    MufMapWindowTest()
    {
        installWorldMap(p.dir);
        p.app->database().OPEN_DATABASES(p.app->options().database.strDbType);
        p.app->mufMap().FRAME_MAP();
        OptionsModel& options = p.app->options();
        options.intMapSpotCount = 50;
        options.blnStickyMap = true;
        options.setChecked(keys::mapLines, true);
        options.setHomeLocator(QStringLiteral("JN45"));
        menus = p.window->findChild<MapMenus*>();
        menus->setPopup([this](QMenu* menu, const QPoint&) { popups.push_back(menu); });
        tab = p.window->findChild<MufMapTab*>();
    }

    void insert(double freq, const char* loc1, const char* loc2, const char* centre)
    {
        ASSERT_TRUE(p.app->database().exec(
            Store::Spots,
            QStringLiteral(
                "INSERT INTO tblSPOT (DxDateTime, DxLoc1, DxLoc2, freq, MUF, CentreLoc, TryFrom, TryTo)"
                " VALUES (?, ?, ?, ?, 80, ?, 'JN45', 'JM19')"),
            {Database::dateValue(p.app->dtmUtcNow().addSecs(-60)), QString::fromLatin1(loc1),
             QString::fromLatin1(loc2), freq, QString::fromLatin1(centre)}));
    }

    QRgb shown(const char* loc) const
    {
        return p.app->mufMap().canvas().persistentImage().pixel(
            locatorCentre(QString::fromLatin1(loc))->toPoint());
    }

    QStringList savedMaps() const { return QDir(p.dir.path()).entryList({QStringLiteral("map_muf*.bmp")}); }

    DialogProgram p;
    MapMenus* menus = nullptr;
    MufMapTab* tab = nullptr;
    std::vector<QMenu*> popups;
};

TEST_F(MufMapWindowTest, TheTabDrawsAndTheMenuSavesBothMaps)
{
    insert(144.3, "IO90", "JN78", "JN24");
    ASSERT_NE(tab, nullptr);
    p.window->tabSporadic()->setCurrentIndex(5);
    EXPECT_EQ(p.app->mufMap().pathMap().lastRows().size(), 1U);
    EXPECT_EQ(shown("JN24"), mapRed);

    p.click(keys::mapDraw(3));
    ASSERT_EQ(savedMaps().size(), 1);
    QImage full(p.dir.file(savedMaps()[0]));
    EXPECT_EQ(full.size(), QSize(2880, 1440));
    EXPECT_EQ(full.pixel(locatorCentre(u"JN24")->toPoint()), mapRed);

    QFile::remove(p.dir.file(savedMaps()[0]));
    p.click(keys::mapDraw(4));
    ASSERT_EQ(savedMaps().size(), 1);
    EXPECT_EQ(QImage(p.dir.file(savedMaps()[0])).size(), p.window->size());
}

TEST_F(MufMapWindowTest, DrawWithDateAsksForTheDay)
{
    insert(50.1, "IO90", "JN78", "JN24");
    p.answer(p.app->dtmUtcNow().date().toString(Qt::ISODate).toLatin1().constData());
    p.click(keys::mapDraw(1));
    ASSERT_EQ(p.asked.size(), 1U);
    EXPECT_EQ(p.window->tabSporadic()->currentIndex(), 5);
    EXPECT_EQ(shown("JN24"), mapWhite);
}

TEST_F(MufMapWindowTest, RightDragOpensTheOptionsMenuAndResizeCentresHome)
{
    p.window->resize(900, 600);
    p.window->show();
    p.window->tabSporadic()->setCurrentIndex(5);
    QCoreApplication::processEvents();
    const QPoint centre =
        -tab->picMufMap()->pos() + QPoint(tab->fmeMufMap()->width(), tab->fmeMufMap()->height()) / 2;
    // JN45's centre (1512, 356) lies within about ten pixels of the middle of the frame.
    EXPECT_NEAR(centre.x(), 1512, 12);
    EXPECT_NEAR(centre.y(), 356, 12);

    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), tab->picMufMap()->mapToGlobal(QPointF(10, 10)),
                     Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tab->picMufMap(), &move);
    ASSERT_EQ(popups.size(), 1U);
    EXPECT_EQ(popups[0], p.window->menu(keys::mapOptions));
}

} // namespace
} // namespace zenthra::test
