// Windows that restore a stored place and size, given files a user or a broken disk could leave:
// each comes up on the test screen (800 x 800 pixels at 0, 0), as large as it at most, and a
// place off every screen gives way to the window's default place.

#include "core/options_model.h"
#include "links/wwc_popup.h"
#include "shell/separate_link_window.h"
#include "shell/text_windows.h"
#include "shell/wwc_popup_window.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

#include <functional>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

struct Hostile
{
    const char* name;
    const char* file;
    QRect expected; // the outer geometry in pixels once shown
};

// The separate windows start at the main window's place, here (30, 40), at 640 x 420 pixels.
const Hostile separateCases[] = {
    {"huge_size", "0\r\n0\r\n999999999\r\n999999999\r\n", QRect(0, 0, 800, 800)},
    {"top_off_every_screen", "99999999\r\n1500\r\n6000\r\n4500\r\n", QRect(30, 40, 400, 300)},
};

TEST(RestoredGeometry, SeparateLinkWindowFromHostileFiles)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    for (const Hostile& c : separateCases) {
        TempFolder dir;
        dir.write(QStringLiteral("dxc_view.dat"), c.file);
        TextWindow model;
        SeparateLinkWindow w(SeparateLinkWindow::Kind::Dxc, model, dir.path(), QPoint(-30, 40), 10);
        w.showMirror();
        QCoreApplication::processEvents();
        EXPECT_EQ(w.frameGeometry(), c.expected) << c.name;
    }
}

// The pop-up's design size is 6000 x 3000 twips (400 x 200 pixels); before its file places it, it
// stands where the platform put it, (0, 0) on the test screen.
const Hostile popupCases[] = {
    {"huge_size", "15\r\n15\r\n999999999\r\n999999999\r\n", QRect(0, 0, 800, 800)},
    {"top_off_every_screen", "99999999\r\n1500\r\n4500\r\n6000\r\n", QRect(0, 0, 400, 300)},
};

TEST(RestoredGeometry, WwcPopupFromHostileFiles)
{
    for (const Hostile& c : popupCases) {
        TempFolder dir;
        dir.write(WwcPopup::geometryFile, c.file);
        OptionsModel options;
        WwcPopup popup(options, [] { return QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC); });
        WwcPopupWindow window(popup, options, dir.file(WwcPopup::geometryFile));
        QString message = QStringLiteral("<*G0XYZ*>: hi");
        popup.WWC_POPUP(message);
        QCoreApplication::processEvents();
        ASSERT_TRUE(window.isVisible()) << c.name;
        EXPECT_EQ(window.frameGeometry(), c.expected) << c.name;
    }
}

} // namespace
