#include "shell/application.h"
#include "shell/main_window.h"
#include "support/file_size_limit.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::Application;
using zenthra::DataFolder;
using zenthra::MainWindow;
using zenthra::test::FileSizeLimit;
using zenthra::test::TempFolder;

namespace {

// The program as main() builds it, on a temporary data folder.
struct Program
{
    TempFolder dir;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;

    void create()
    {
        app = std::make_unique<Application>(DataFolder(dir.path()));
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
    }
    void start()
    {
        if (!app) {
            create();
        }
        app->OPEN_ZENTHRA();
    }
    void prepare(const std::map<int, QString>& values) { zenthra::test::prepareSettings(dir, values); }
    QAction* item(const char* name) const { return window->menuItem(QString::fromLatin1(name)); }
    template <typename T> T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
};

} // namespace

TEST(MainWindow, HasTheSevenTabsAndTheirWindows)
{
    Program p;
    p.start();
    QTabWidget* tabs = p.window->tabSporadic();
    ASSERT_EQ(tabs->count(), 7);
    EXPECT_NE(p.child<QPlainTextEdit>("TBCluster"), nullptr);
    for (int i = 0; i <= 5; ++i) {
        auto* view = p.window->findChild<QPlainTextEdit*>(QStringLiteral("txtDataRetrieval(%1)").arg(i));
        ASSERT_NE(view, nullptr) << i;
        EXPECT_TRUE(view->isReadOnly());
    }
    EXPECT_TRUE(p.window->isVisible());
    // The first start opens the embedded databases in the data folder.
    EXPECT_TRUE(p.app->database().isOpen());
    EXPECT_TRUE(QFileInfo::exists(p.dir.file("spots.sqlite")));
    EXPECT_TRUE(QFileInfo::exists(p.dir.file("call_loc.sqlite")));
}

TEST(MainWindow, RestoresCheckMarksLocatorAndGeometryFromTheFile)
{
    Program p;
    p.prepare({{6, "9000"},
               {7, "15000"},
               {8, "1500"},
               {9, "3000"},
               {10, "jo01ab"},
               {15, "True"},
               {17, "True"},
               {32, "13"},
               {55, "True"},
               {73, "True"},
               {120, "True"}});
    p.start();
    const zenthra::WindowGeometry g = p.window->geometryTwips();
    EXPECT_EQ(g.height, 9000);
    EXPECT_EQ(g.width, 15000);
    EXPECT_EQ(g.top, 1500);
    EXPECT_EQ(g.left, 3000);
    EXPECT_EQ(p.child<QLineEdit>("txtHomeLoc")->text(), "JO01AB");
    EXPECT_TRUE(p.item("mnuDxc(2)")->isChecked());
    EXPECT_TRUE(p.item("mnuFilterHF(3)")->isChecked());
    EXPECT_FALSE(p.item("mnuFilterHF(2)")->isChecked());
    EXPECT_TRUE(p.item("mnuSpider")->isVisible());
    EXPECT_TRUE(p.app->tmrTarnLog().isActive());
    // The no-auto-scroll flag follows the restored check mark.
    EXPECT_TRUE(p.item("mnuDxc(6)")->isChecked());
    EXPECT_TRUE(p.app->options().blnNoAutoScroll);
    // The font size reaches every text window.
    EXPECT_EQ(p.child<QPlainTextEdit>("TBCluster")->font().pointSize(), 13);
    EXPECT_EQ(p.child<QPlainTextEdit>("txtDataRetrieval(5)")->font().pointSize(), 13);
}

TEST(MainWindow, OnlyATopFarOffTheScreenRestoresTheWindow)
{
    const struct
    {
        const char* top;
        zenthra::WindowGeometry expected;
    } cases[] = {{"-48000", {8055, 10110, 0, 0}}, {"-200", {9000, 15000, -200, 150}}};
    for (const auto& c : cases) {
        Program p;
        p.prepare({{6, "9000"}, {7, "15000"}, {8, c.top}, {9, "150"}});
        p.start();
        const zenthra::WindowGeometry g = p.window->geometryTwips();
        EXPECT_EQ(g.height, c.expected.height) << c.top;
        EXPECT_EQ(g.width, c.expected.width) << c.top;
        EXPECT_EQ(g.left, c.expected.left) << c.top;
        if (c.expected.top == 0) {
            EXPECT_EQ(g.top, 0);
        }
    }
}

TEST(MainWindow, HomeLocatorIsUpperCasedAsTypedWithTheCaretAtTheEnd)
{
    Program p;
    p.start();
    auto* loc = p.child<QLineEdit>("txtHomeLoc");
    loc->setFocus();
    QTest::keyClicks(loc, QStringLiteral("io9"));
    loc->setCursorPosition(1);
    QTest::keyClicks(loc, QStringLiteral("x"));
    EXPECT_EQ(loc->text(), "IXO9");
    EXPECT_EQ(loc->cursorPosition(), 4);
    EXPECT_EQ(p.app->options().homeLocator(), "IXO9");
}

TEST(MainWindow, ClockLabelShowsUtcWithZ)
{
    Program p;
    p.create();
    p.app->clock().setUtc(QDateTime(QDate(2024, 6, 3), QTime(23, 59, 59), Qt::UTC));
    p.start();
    QSignalSpy tick(p.app.get(), &Application::utcTimeChanged);
    ASSERT_TRUE(tick.wait(5000));
    EXPECT_EQ(p.child<QLabel>("lblUtcTime")->text(), "23:59:59z");
    EXPECT_EQ(p.app->dtmUtcNow(), QDateTime(QDate(2024, 6, 3), QTime(23, 59, 59), Qt::UTC));
}

TEST(MainWindow, SplitViewMirrorsTheDxcWindowAndSurvivesRestartsWithoutShrinking)
{
    Program p;
    p.start();
    p.window->tabSporadic()->setCurrentIndex(3);
    QString line = QStringLiteral("first line");
    p.app->textWindows().POPULATE_DXC_WINDOW(line);
    p.item("mnuWwc(7)")->trigger();
    ASSERT_TRUE(p.window->splitView());
    auto* pane = p.child<QPlainTextEdit>("txtDataRetrieval(5)");
    auto* chat = p.child<QPlainTextEdit>("txtDataRetrieval(2)");
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(pane->toPlainText(), "\nfirst line ");
    line = QStringLiteral("second");
    p.app->textWindows().POPULATE_DXC_WINDOW(line);
    QCoreApplication::processEvents();
    EXPECT_EQ(pane->toPlainText(), "\nfirst line \nsecond ");
    QCoreApplication::processEvents();
    const int chatHeight = chat->height();
    for (int i = 0; i < 3; ++i) {
        p.app->restart();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(p.window->splitView());
    EXPECT_EQ(chat->height(), chatHeight);
    p.item("mnuWwc(7)")->trigger();
    EXPECT_FALSE(pane->isVisible());
    EXPECT_FALSE(p.app->options().checked(QStringLiteral("mnuWwc(7)")));
}

TEST(MainWindow, RestartDoesNotEndTheProgramAndWritesTheFileBeforeReadingIt)
{
    Program p;
    p.start();
    QSignalSpy ended(p.app.get(), &Application::endProgram);
    p.app->options().nodes.strDxcHost = QStringLiteral("dxc.example.org");
    p.app->options().setChecked(QStringLiteral("mnuBellByMode(8)"), true);
    p.app->restart();
    EXPECT_EQ(ended.count(), 0);
    EXPECT_FALSE(p.app->ended());
    EXPECT_EQ(p.dir.lines("zenthra.dat").size(), 123);
    EXPECT_EQ(p.dir.lines("zenthra.dat")[10], "dxc.example.org");
    EXPECT_TRUE(p.app->options().checked(QStringLiteral("mnuBellByMode(8)")));
}

TEST(MainWindow, ClosingTheWindowSavesAndEndsTheProgram)
{
    Program p;
    p.start();
    QSignalSpy ended(p.app.get(), &Application::endProgram);
    p.window->resize(900, 700);
    p.window->move(40, 30);
    p.app->options().setChecked(QStringLiteral("mnuFilterHF(3)"), true);
    p.window->close();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(p.app->database().isOpen());
    const QStringList lines = p.dir.lines("zenthra.dat");
    ASSERT_EQ(lines.size(), 123);
    EXPECT_EQ(lines[72], "True");
    EXPECT_EQ(lines[7], QString::number(p.window->frameGeometry().y() * 15));
    // Start again on the same folder: the options and the geometry come back.
    Program again;
    again.dir.write("zenthra.dat", p.dir.read("zenthra.dat"));
    again.start();
    EXPECT_TRUE(again.item("mnuFilterHF(3)")->isChecked());
    EXPECT_EQ(again.window->geometryTwips().width, p.window->geometryTwips().width);
    EXPECT_EQ(again.window->geometryTwips().left, p.window->geometryTwips().left);
}

TEST(MainWindow, FailedSaveReportsLogsAndKeepsThePreviousFile)
{
    Program p;
    p.start();
    p.item("mnuFile(2)")->trigger();
    EXPECT_EQ(p.window->windowTitle(), "Zenthra - Settings saved to dat file.");
    EXPECT_EQ(p.dir.lines("zenthra.dat").size(), 123);
    const QByteArray previous = p.dir.read("zenthra.dat");
    ASSERT_GT(previous.size(), 400);
    p.app->options().sngWindowBuffer = 54321;
    {
        // The disk fills up part way through the new file; the short log line still fits.
        const FileSizeLimit fullDisk(200);
        ASSERT_TRUE(fullDisk.active());
        p.item("mnuFile(2)")->trigger();
    }
    EXPECT_EQ(p.dir.read("zenthra.dat"), previous);
    EXPECT_EQ(p.window->windowTitle(), "Zenthra - Error saving settings!!");
    const QStringList log = p.dir.lines("muf_errors.log");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith(" - SAVE_SETTINGS()")) << log[0].toStdString();
    EXPECT_EQ(p.app->errorLog().intErrorLogged, 1);
    // Shut-down still runs every step and ends the program.
    QSignalSpy ended(p.app.get(), &Application::endProgram);
    p.app->CLOSE_ZENTHRA(0);
    EXPECT_EQ(ended.count(), 1);
}
