// The node editors, the imports' windows and the separate link windows, headless.

#include "core/current_node.h"
#include "core/database_settings.h"
#include "core/error_log.h"
#include "links/command_lines.h"
#include "links/node_editor_window.h"
#include "links/node_import_window.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "shell/separate_link_window.h"
#include "shell/text_windows.h"
#include "support/eventually.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

struct Told
{
    QMessageBox::Icon icon;
    QString title;
    QString text;
};

// A data folder with the spots database on SQLite and recorded message boxes.
struct Bench
{
    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    Database db{settings, folder, log, [](Database&) {}};
    CurrentNode node;
    QStringList dxcWindow;
    std::vector<Told> told;
    bool confirmAnswer = true;

    LinkDialogs dialogs()
    {
        return {[this](QMessageBox::Icon icon, const QString& title, const QString& text) {
                    told.push_back({icon, title, text});
                },
                [this](const QString&, const QString&) { return confirmAnswer; }};
    }
    std::unique_ptr<NodeEditorWindow> editor(NodeTable table)
    {
        auto w = std::make_unique<NodeEditorWindow>(table, db, node, log,
                                                    [this](const QString& t) { dxcWindow.append(t); });
        w->setDialogs(dialogs());
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        return w;
    }
};

void type(NodeEditorWindow& w, std::initializer_list<const char*> boxes)
{
    int i = 0;
    for (const char* text : boxes) {
        w.txtDXC(i++)->setText(QString::fromLatin1(text));
    }
}

void click(QWidget& w, const char* button)
{
    auto* b = w.findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

TEST(NodeEditorWindow, SavingAndChoosingANodeMakeItTheCurrentNode)
{
    Bench b;
    b.db.OPEN_DATABASES(QStringLiteral("a"));
    auto w = b.editor(NodeTable::Dxc);
    // A port outside 1..65535 is refused without a word.
    type(*w, {"Node", "dx.example.net", "70000", "XX1XX", "secret"});
    click(*w, "cmdControl(1)");
    EXPECT_EQ(w->lstDXC()->count(), 0);
    EXPECT_EQ(b.node.strDxcHost, QString());

    type(*w, {"Node", "dx.example.net", "7300 telnet", "XX1XX", "secret"});
    click(*w, "cmdControl(1)");
    ASSERT_EQ(w->lstDXC()->count(), 1);
    EXPECT_FALSE(w->lstDXC()->item(0)->text().contains(QLatin1String("secret")));
    EXPECT_EQ(b.node.strDxcHost, QStringLiteral("dx.example.net"));
    EXPECT_EQ(w->txtDXC(0)->text(), QString()); // the boxes empty after a save

    b.node = {};
    w->lstDXC()->setCurrentRow(0);
    w->lstDXC_Click();
    EXPECT_EQ(w->txtDXC(1)->text(), QStringLiteral("dx.example.net"));
    EXPECT_EQ(b.node.strDxcPassword, QStringLiteral("secret"));

    // Deleting asks first; the current node stays.
    b.confirmAnswer = false;
    click(*w, "cmdControl(2)");
    EXPECT_EQ(w->lstDXC()->count(), 1);
    b.confirmAnswer = true;
    click(*w, "cmdControl(2)");
    EXPECT_EQ(w->lstDXC()->count(), 0);
    EXPECT_EQ(b.node.strDxcHost, QStringLiteral("dx.example.net"));
    EXPECT_TRUE(b.told.empty());
    EXPECT_TRUE(b.dxcWindow.isEmpty());
}

TEST(NodeEditorWindow, ANodeDeletedElsewhereShowsTheReadFailureBox)
{
    Bench b;
    b.db.OPEN_DATABASES(QStringLiteral("a"));
    auto w = b.editor(NodeTable::Bbs);
    type(*w, {"Bbs", "bbs.example", "23", "", "", "PACKET # c x"});
    click(*w, "cmdControl(1)");
    EXPECT_EQ(b.node.strBbsConnectStr, QStringLiteral("PACKET # c x"));
    ASSERT_TRUE(b.db.exec(Store::Spots, QStringLiteral("DELETE FROM tblTelnetBBS")));
    w->lstDXC()->setCurrentRow(0);
    w->lstDXC_Click();
    ASSERT_EQ(b.told.size(), 1u);
    EXPECT_EQ(b.told[0].icon, QMessageBox::Critical);
    EXPECT_EQ(b.told[0].title, QStringLiteral("BBS list POPULATE_TEXTBOX Error"));
    EXPECT_EQ(b.told[0].text,
              QStringLiteral("3021 Either BOF or EOF is True, or the current record has been deleted."));
}

// A database still being opened (a slow server) has not failed: the list says nothing of an error
// and fills once it opens. One whose opening failed is reported below.
TEST(NodeEditorWindow, TheDxcListWaitsForADatabaseStillOpening)
{
    Bench b;
    b.db.OPEN_DATABASES(QStringLiteral("a"));
    NodeRecord gb7;
    gb7.name = QStringLiteral("GB7");
    gb7.host = QStringLiteral("gb7.example");
    gb7.port = 7300;
    ASSERT_TRUE(NodeList(NodeTable::Dxc, b.db).save(gb7));
    b.db.CLOSE_DATABASES();
    auto w = b.editor(NodeTable::Dxc);
    EXPECT_EQ(w->lstDXC()->count(), 0);
    b.db.OPEN_DATABASES(QStringLiteral("a"));
    ASSERT_EQ(w->lstDXC()->count(), 1);
    EXPECT_TRUE(w->lstDXC()->item(0)->text().contains(QLatin1String("GB7 gb7.example 7300")));
    EXPECT_TRUE(b.dxcWindow.isEmpty());
    EXPECT_FALSE(
        b.dir.lines(QStringLiteral("muf_errors.log")).join(u'\n').contains(QLatin1String("LOAD_LIST")));
}

TEST(NodeEditorWindow, TheDxcListSaysWhichServerDidNotOpenAndWhatToDo)
{
    Bench b;
    b.settings.strSqlServer = QStringLiteral("127.0.0.1:1");
    b.settings.strSqlDatabase = QStringLiteral("zenthra");
    b.db.OPEN_DATABASES(QStringLiteral("s"));
    auto w = b.editor(NodeTable::Dxc);
    ASSERT_EQ(b.dxcWindow.size(), 2);
    EXPECT_EQ(b.dxcWindow[1],
              QStringLiteral(
                  "The databases could not be opened: server 127.0.0.1:1, database zenthra: connection to "
                  "server at \"127.0.0.1\", port 1 failed: Connection refused; check that the server runs "
                  "and the Sql Server Settings, tried again every 10 s"));
}

TEST(NodeImportWindow, ImportsTheListAndReportsTheCounts)
{
    Bench b;
    b.db.OPEN_DATABASES(QStringLiteral("a"));
    NodeImportWindow w(NodeTable::Wwc, b.db, b.dir.path());
    w.setDialogs(b.dialogs());
    QTest::keyClick(w.txtChannel(), Qt::Key_A);
    EXPECT_EQ(w.txtChannel()->text(), QStringLiteral("14345"));

    click(w, "cmdImport");
    ASSERT_EQ(b.told.size(), 1u);
    EXPECT_EQ(b.told[0].title, QStringLiteral("Import Error"));
    EXPECT_EQ(b.told[0].text, QStringLiteral("Error: 53\r\nFile not found"));

    b.dir.write(QStringLiteral("WWC.CSV"), "# chat nodes\r\nChat,chat.example,3600\r\n");
    w.txtUsername()->setText(QStringLiteral("XX1XX"));
    click(w, "cmdImport");
    EXPECT_EVENTUALLY_EQ(b.told.size(), 2u, 5000);
    ASSERT_EQ(b.told.size(), 2u);
    EXPECT_EQ(b.told[1].icon, QMessageBox::Information);
    EXPECT_EQ(b.told[1].title, QStringLiteral("Import result"));
    EXPECT_EQ(b.told[1].text, QStringLiteral("1 WWC Clusters were successfully added to Zenthra\r\n"
                                             "0 WWC Clusters  were skipped as they already exist."));
    QList<NodeRecord> rows;
    ASSERT_TRUE(NodeList(NodeTable::Wwc, b.db).load(rows));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].connectStr, QStringLiteral("/n XX1XX 14345"));

    Q_EMIT w.findChild<QLabel*>(QStringLiteral("lblHelp"))->linkActivated(QStringLiteral("help"));
    ASSERT_EQ(b.told.size(), 3u);
    EXPECT_EQ(b.told[2].title, QStringLiteral("WWC Import"));
    EXPECT_TRUE(b.told[2].text.startsWith(QLatin1String("This is the import routine for WWC into zenthra.")));
}

TEST(NodeImportWindow, ALongListIsImportedBetweenEventsAndClosingTheWindowKeepsTheRowsDone)
{
    Bench b;
    b.db.OPEN_DATABASES(QStringLiteral("a"));
    QByteArray list;
    for (int i = 0; i < 20000; ++i) {
        list += "NODE" + QByteArray::number(i) + ",host,7300\r\n";
    }
    b.dir.write(QStringLiteral("DXC.csv"), list);
    const auto stored = [&b] {
        QList<NodeRecord> rows;
        return NodeList(NodeTable::Dxc, b.db).load(rows) ? rows.size() : -1;
    };
    auto* w = new NodeImportWindow(NodeTable::Dxc, b.db, b.dir.path());
    w->setDialogs(b.dialogs());
    QPointer<NodeImportWindow> alive(w);
    click(*w, "cmdImport");
    EXPECT_TRUE(w->importRunning());
    EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("cmdImport"))->isEnabled());
    EXPECT_EVENTUALLY(stored() > 0, 5000);
    w->close();
    EXPECT_EVENTUALLY(alive.isNull(), 5000);
    const qsizetype done = stored();
    EXPECT_GT(done, 0);
    EXPECT_LT(done, 20000);
    QTest::qWait(100); // no slice runs after the close
    EXPECT_EQ(stored(), done);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A second run adds the rest, slice after slice, and leaves no write-ahead log behind.
    NodeImportWindow again(NodeTable::Dxc, b.db, b.dir.path());
    again.setDialogs(b.dialogs());
    click(again, "cmdImport");
    EXPECT_EVENTUALLY_EQ(b.told.size(), 1u, 60000);
    EXPECT_EQ(b.told.at(0).text, QStringLiteral("%1 DX Clusters were successfully added to Zenthra\r\n"
                                                "%2 DX Clusters  were skipped as they already exist.")
                                     .arg(20000 - done)
                                     .arg(done));
    EXPECT_EQ(QFileInfo(b.dir.file(QStringLiteral("spots.sqlite-wal"))).size(), 0);
}

TEST(SeparateLinkWindow, MirrorsItsPaneAndKeepsItsGeometryAcrossRuns)
{
    TempFolder dir;
    TextWindow model;
    model.replace(QStringLiteral("first line\r\n"));
    QRect placed;
    {
        SeparateLinkWindow w(SeparateLinkWindow::Kind::Wwc, model, dir.path(), QPoint(-30, 40), 10);
        EXPECT_EQ(w.pos(), QPoint(30, 40)); // the main window's place, as absolute values
        w.showMirror();
        EXPECT_EQ(w.pane()->toPlainText(), QStringLiteral("first line\n"));
        model.appendKeepingLast(QStringLiteral("second\r\n"), 1e9, 0);
        // A change that follows another within a frame is shown at the frame's end.
        EXPECT_EVENTUALLY_EQ(w.pane()->toPlainText(), QStringLiteral("first line\nsecond\n"), 5000);
        w.setGeometry(120, 90, 500, 300);
        QCoreApplication::processEvents();
        placed = w.frameGeometry();
        w.close();
    }
    const QStringList lines = dir.lines(QStringLiteral("wwc_view.dat"));
    ASSERT_EQ(lines.size(), 4);
    SeparateLinkWindow again(SeparateLinkWindow::Kind::Wwc, model, dir.path(), QPoint(0, 0), 10);
    again.showMirror();
    QCoreApplication::processEvents();
    EXPECT_EQ(again.frameGeometry(), placed);

    // Values that are too small are not applied.
    dir.write(QStringLiteral("dxc_view.dat"), "0\r\n-5\r\n500\r\nabc\r\n");
    SeparateLinkWindow dxc(SeparateLinkWindow::Kind::Dxc, model, dir.path(), QPoint(7, 9), 10);
    EXPECT_EQ(dxc.pos(), QPoint(7, 9));
    EXPECT_GT(dxc.width(), 500 / 15);
}

TEST(CommandLines, OnlyALineThatIsExitClosesASeparateWindow)
{
    EXPECT_TRUE(CommandLines::isExitLine(QStringLiteral("EXIT")));
    EXPECT_TRUE(CommandLines::isExitLine(QStringLiteral(" exit ")));
    EXPECT_FALSE(CommandLines::isExitLine(QStringLiteral("exits")));
    EXPECT_FALSE(CommandLines::isExitLine(QStringLiteral("sh/dx EXIT")));
}

} // namespace
