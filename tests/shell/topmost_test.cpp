#include "shell/topmost.h"

#include <QWidget>
#include <gtest/gtest.h>

TEST(Topmost, SetsAndReleasesWithoutMovingOrResizing)
{
    QWidget window;
    window.setGeometry(120, 80, 300, 200);
    window.show();
    const QRect before = window.geometry();

    zenthra::SET_TOPMOST(&window, true);
    zenthra::SET_TOPMOST(&window, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry().size(), before.size());

    zenthra::SET_TOPMOST(&window, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);

    zenthra::SET_TOPMOST(nullptr, true); // no window: nothing happens
}
