// The text windows show their newest line whenever they come into view: on a tab switch, when
// the DXC copy pane is turned on beside the chat window, and in the separate windows.

#include "shell/application.h"
#include "shell/main_window.h"
#include "support/eventually.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

struct Program
{
    TempFolder dir;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;

    Program()
    {
        app = std::make_unique<Application>(DataFolder(dir.path()));
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
        app->OPEN_ZENTHRA();
    }
    ~Program()
    {
        if (!app->ended()) {
            app->CLOSE_ZENTHRA(0);
        }
    }
    QPlainTextEdit* view(const char* name) const { return window->findChild<QPlainTextEdit*>(name); }
    QAction* item(const char* name) const { return window->menuItem(QString::fromLatin1(name)); }
};

// The text of the last line wholly inside the view's viewport.
QString lastVisibleLine(QPlainTextEdit* view)
{
    struct Probe : QPlainTextEdit
    {
        using QPlainTextEdit::blockBoundingGeometry;
        using QPlainTextEdit::contentOffset;
        using QPlainTextEdit::firstVisibleBlock;
    };
    auto* probe = static_cast<Probe*>(view);
    const int bottom = view->viewport()->height();
    QString last;
    for (QTextBlock block = probe->firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = probe->blockBoundingGeometry(block).translated(probe->contentOffset());
        if (box.bottom() > bottom) {
            break;
        }
        last = block.text();
    }
    return last;
}

QString numbered(const char* what, int i)
{
    return QStringLiteral("%1 line %2").arg(QLatin1String(what)).arg(i, 3, 10, QLatin1Char('0'));
}

// Appends `count` numbered lines to a text window through its appender.
void appendLines(TextWindows& windows, int tab, int count, int from = 0)
{
    for (int i = from; i < from + count; ++i) {
        switch (tab) {
        case 0: {
            QString line = numbered("dxc", i);
            windows.POPULATE_DXC_WINDOW(line);
            break;
        }
        case 3: {
            QString line = numbered("chat", i);
            windows.POPULATE_WWC_WINDOW(line);
            break;
        }
        default: {
            QString line = numbered("bbs", i);
            windows.POPULATE_BBS_WINDOW(line);
            break;
        }
        }
    }
}

// Lets the views catch up with their models and the layouts settle.
void settle()
{
    QTest::qWait(100);
}

} // namespace

// Lines that arrive while another tab is shown are in view, newest last, once their tab is chosen.
TEST(NewestLine, EachWindowShowsItsNewestLineWhenItsTabIsChosen)
{
    const struct
    {
        int tab;
        const char* view;
        const char* newest;
    } cases[] = {
        {0, "TBCluster", "dxc line 099 "},
        {3, "txtDataRetrieval(2)", "chat line 099 "},
        {6, "txtDataRetrieval(4)", "bbs line 099 "},
    };
    for (const auto& c : cases) {
        Program p;
        p.window->tabSporadic()->setCurrentIndex(c.tab == 0 ? 6 : 0);
        settle();
        appendLines(p.app->textWindows(), c.tab, 100);
        settle();
        p.window->tabSporadic()->setCurrentIndex(c.tab);
        settle();
        EXPECT_EVENTUALLY_EQ(lastVisibleLine(p.view(c.view)), QString::fromLatin1(c.newest), 2000);
    }
}

// Lines arriving one by one, each shown in a turn of its own, while the DXC tab is shown.
TEST(NewestLine, ChatLinesArrivingOneByOneAreInViewOnTheWwcTab)
{
    Program p;
    p.window->tabSporadic()->setCurrentIndex(0);
    settle();
    for (int i = 0; i < 40; ++i) {
        appendLines(p.app->textWindows(), 3, 1, i);
        QTest::qWait(30);
    }
    p.window->tabSporadic()->setCurrentIndex(3);
    settle();
    EXPECT_EVENTUALLY_EQ(lastVisibleLine(p.view("txtDataRetrieval(2)")), QStringLiteral("chat line 039 "),
                         2000);
}

// The DXC copy pane turned on above the chat takes part of its height: the chat still ends with
// its newest line, and the copy pane with the DXC window's.
TEST(NewestLine, TurningOnTheDxcCopyKeepsTheChatAtItsNewestLine)
{
    Program p;
    p.window->tabSporadic()->setCurrentIndex(3);
    settle();
    appendLines(p.app->textWindows(), 0, 100);
    appendLines(p.app->textWindows(), 3, 100);
    settle();
    QPlainTextEdit* chat = p.view("txtDataRetrieval(2)");
    EXPECT_EVENTUALLY_EQ(lastVisibleLine(chat), QStringLiteral("chat line 099 "), 2000);
    const int heightBefore = chat->height();
    p.item("mnuWwc(7)")->trigger();
    settle();
    ASSERT_LT(chat->height(), heightBefore);
    EXPECT_EVENTUALLY_EQ(lastVisibleLine(chat), QStringLiteral("chat line 099 "), 2000);
    EXPECT_EVENTUALLY_EQ(lastVisibleLine(p.view("txtDataRetrieval(5)")), QStringLiteral("dxc line 099 "),
                         2000);
}

// The separate windows open at the newest line, also at a stored size smaller than their own.
TEST(NewestLine, SeparateWindowsOpenAtTheirNewestLine)
{
    const struct
    {
        int tab;
        const char* item;
        const char* window;
        const char* pane;
        const char* geometryFile;
        const char* newest;
    } cases[] = {
        {0, "mnuDxcSeperateWindow", "frmNewDxc", "TBCluster", "dxc_view.dat", "dxc line 099 "},
        {3, "mnuWWcSeperateWindow", "frmNewWwc", "txtWWC", "wwc_view.dat", "chat line 099 "},
    };
    for (const auto& c : cases) {
        Program p;
        // Top, Left, Width, Height in twips: a window 300 pixels high at 96 dpi.
        p.dir.write(QString::fromLatin1(c.geometryFile), "1500\r\n1500\r\n6000\r\n4500\r\n");
        appendLines(p.app->textWindows(), c.tab, 100);
        settle();
        p.item(c.item)->trigger();
        settle();
        auto* window = p.window->findChild<QWidget*>(QString::fromLatin1(c.window));
        ASSERT_NE(window, nullptr) << c.window;
        auto* pane = window->findChild<QPlainTextEdit*>(QString::fromLatin1(c.pane));
        ASSERT_TRUE(pane->isVisible()) << c.window;
        EXPECT_EVENTUALLY_EQ(lastVisibleLine(pane), QString::fromLatin1(c.newest), 2000);
    }
}
