// Windows that restore a stored place and size, given a file whose width is past every screen and
// whose Top lies off every screen: each comes up on the test screen (800 x 800 pixels at 0, 0),
// at most as wide as it, at its own default place.

#include "core/options_model.h"
#include "links/wwc_popup.h"
#include "shell/separate_link_window.h"
#include "shell/text_windows.h"
#include "shell/wwc_popup_window.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

TEST(RestoredGeometry, SeparateLinkWindowFromAHostileFile)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    TempFolder dir;
    // Top, left, width, height; the default place is the main window's, here (30, 40).
    dir.write(QStringLiteral("dxc_view.dat"), "99999999\r\n1500\r\n999999999\r\n4500\r\n");
    TextWindow model;
    SeparateLinkWindow w(SeparateLinkWindow::Kind::Dxc, model, dir.path(), QPoint(-30, 40), 10);
    w.showMirror();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.frameGeometry(), QRect(0, 40, 800, 300));
}

TEST(RestoredGeometry, WwcPopupFromAHostileFile)
{
    TempFolder dir;
    // Top, left, height, width; the default place is where the platform put it, (0, 0).
    dir.write(WwcPopup::geometryFile, "99999999\r\n1500\r\n4500\r\n999999999\r\n");
    OptionsModel options;
    WwcPopup popup(options, [] { return QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC); });
    WwcPopupWindow window(popup, options, dir.file(WwcPopup::geometryFile));
    QString message = QStringLiteral("<*G0XYZ*>: hi");
    popup.WWC_POPUP(message);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.frameGeometry(), QRect(0, 0, 800, 300));
}

} // namespace
