// The node lists and their imports on SQLite and on the test PostgreSQL server.

#include "core/current_node.h"
#include "links/node_import.h"
#include "links/node_list.h"
#include "platform/text_file.h"
#include "spots/database_fixture.h"
#include "support/fifo_guard.h"
#include "support/print_qstring.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStringEncoder>

#include <fcntl.h>
#include <unistd.h>

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

namespace {

NodeBoxes boxes(const char* name, const char* host, const char* port)
{
    return {QString::fromLatin1(name), QString::fromLatin1(host), QString::fromLatin1(port), {}, {}, {}};
}

// Every later read through a descriptor of `path` that is open now fails as a read of a broken
// disk does: a folder's descriptor takes the file's place, and reading a folder fails (EISDIR),
// for root too. False when no descriptor of the file was open.
bool failReadsOf(const QString& path)
{
    const QString file = QFileInfo(path).canonicalFilePath();
    const int folder = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool swapped = false;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == file && folder >= 0) {
            swapped = ::dup2(folder, fd.toInt()) >= 0 || swapped;
        }
    }
    if (folder >= 0) {
        ::close(folder);
    }
    return swapped;
}

class NodeTables : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (!IsSkipped()) {
            open();
            ASSERT_TRUE(db->isOpen());
        }
    }
    QList<NodeRecord> rows(NodeTable table)
    {
        QList<NodeRecord> out;
        EXPECT_TRUE(NodeList(table, *db).load(out));
        return out;
    }
    // Each stored row as "NAME|host|port".
    QStringList nodes(NodeTable table)
    {
        QStringList out;
        for (const NodeRecord& r : rows(table)) {
            out << r.name + u'|' + r.host + u'|' + QString::number(r.port);
        }
        return out;
    }
    ImportOutcome import(NodeTable table, const QByteArray& file, const ImportLogin& login = {})
    {
        dir.write(NodeImport::fileName(table), file);
        return NodeImport::run(table, *db, NodeImport::findFile(dir.path(), NodeImport::fileName(table)),
                               login);
    }
};

TEST_P(NodeTables, SavesReadsOverwritesAndDeletesNodesAsTyped)
{
    NodeList list(NodeTable::Wwc, *db);
    const NodeBoxes typed{QStringLiteral(" Chat one "),  QStringLiteral(" chat.example.net"),
                          QStringLiteral("7300 telnet"), QStringLiteral("XX1XX "),
                          QStringLiteral("se'cr%et"),    QStringLiteral("/n XX1XX 14345")};
    ASSERT_TRUE(list.save(NodeList::recordOf(0, typed)));
    ASSERT_TRUE(list.save(NodeList::recordOf(0, boxes("b", "h", "23"))));
    const QList<NodeRecord> stored = rows(NodeTable::Wwc);
    ASSERT_EQ(stored.size(), 2);
    const std::optional<NodeRecord> first = list.read(stored[0].id);
    ASSERT_TRUE(first);
    const NodeBoxes back = NodeList::boxesOf(*first);
    EXPECT_EQ(QStringList({back.name, back.host, back.port, back.username, back.password, back.connectStr}),
              QStringList({typed.name, typed.host, QStringLiteral("7300"), typed.username, typed.password,
                           typed.connectStr}));
    // The list row never shows the password; the key leads it.
    EXPECT_EQ(NodeList::listRow(*first),
              QString::number(first->id) +
                  QStringLiteral("  Chat one   chat.example.net 7300 XX1XX  ******** "));
    EXPECT_EQ(NodeList::keyOfRow(NodeList::listRow(*first)), first->id);

    // Overwriting a node adds no row; the empty boxes are stored as "" rather than NULL.
    NodeRecord changed = NodeList::recordOf(first->id, boxes("new", "h2", "8000"));
    ASSERT_TRUE(list.save(changed));
    EXPECT_EQ(rows(NodeTable::Wwc).size(), 2);
    EXPECT_EQ(
        column(Store::Spots, QStringLiteral("SELECT count(*) FROM tblTelnetWWC WHERE Username IS NULL OR "
                                            "Password IS NULL OR ConnectStr IS NULL")),
        QVariantList{0});

    ASSERT_TRUE(list.remove(first->id));
    EXPECT_EQ(rows(NodeTable::Wwc).size(), 1);
    // A node that has gone can be neither read nor saved.
    SqlFailure why;
    EXPECT_FALSE(list.read(first->id, &why));
    EXPECT_EQ(why.number, NodeList::errNoCurrentRecord);
    why = {};
    EXPECT_FALSE(list.save(changed, &why));
    EXPECT_EQ(why.number, NodeList::errNoCurrentRecord);
    EXPECT_EQ(rows(NodeTable::Wwc).size(), 1);
}

TEST_P(NodeTables, ARowWithNullColumnsReadsAsEmptyTexts)
{
    run(Store::Spots,
        QStringLiteral("INSERT INTO tblTelnetClx (Friendly_Name, ip_host, Port) VALUES ('n', 'h', 7300)"));
    const QList<NodeRecord> stored = rows(NodeTable::Dxc);
    ASSERT_EQ(stored.size(), 1);
    const std::optional<NodeRecord> node = NodeList(NodeTable::Dxc, *db).read(stored[0].id);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->username, QString());
    EXPECT_EQ(node->password, QString());
    EXPECT_EQ(NodeList::listRow(*node), QString::number(node->id) + QStringLiteral(" n h 7300   "));
}

TEST_P(NodeTables, ImportsAListAndSkipsItOnASecondRun)
{
    const QByteArray file = "# DX clusters: name,host,port\r\n"
                            "GB7AA , gb7aa.example.net , 7300 \r\n"
                            "NoPort,host.example,telnet\r\n"
                            "o'brien,ob.example,23\r\n"
                            "100%_node,pct.example,23\r\n"
                            "10x_node,other.example,23\r\n";
    const ImportOutcome first =
        import(NodeTable::Dxc, file, {QStringLiteral("XX1XX"), QStringLiteral("pw"), {}});
    ASSERT_TRUE(first.ok) << first.failure.text.toStdString();
    EXPECT_EQ(first.added, 5);
    EXPECT_EQ(first.skipped, 0);
    const QList<NodeRecord> stored = rows(NodeTable::Dxc);
    ASSERT_EQ(stored.size(), 5);
    EXPECT_EQ(stored[0].name + u'|' + stored[0].host + u'|' + stored[0].username + u'|' + stored[0].password,
              QStringLiteral("GB7AA|gb7aa.example.net|XX1XX|pw"));
    EXPECT_EQ(stored[0].port, 7300);
    EXPECT_EQ(stored[1].port, 0);
    EXPECT_EQ(stored[2].name, QStringLiteral("O'BRIEN"));
    // "%" and "_" are plain characters: "10x_node" is not taken for "100%_node".
    EXPECT_EQ(stored[4].name, QStringLiteral("10X_NODE"));

    const ImportOutcome second = import(NodeTable::Dxc, file);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.skipped, 5);
    EXPECT_EQ(NodeImport::resultText(NodeTable::Dxc, second.added, second.skipped),
              QStringLiteral("0 DX Clusters were successfully added to Zenthra\r\n"
                             "5 DX Clusters  were skipped as they already exist."));
    // Names are compared in any letter case.
    const ImportOutcome lower = import(NodeTable::Dxc, "gb7aa,elsewhere,1\n");
    EXPECT_EQ(lower.skipped, 1);
    EXPECT_EQ(rows(NodeTable::Dxc).size(), 5);
}

TEST_P(NodeTables, TheBbsImportWritesItsConnectionString)
{
    ImportOutcome bbs = import(NodeTable::Bbs, "Bbs,bbs.example,23\n",
                               {QStringLiteral("u"), QString(), QStringLiteral("PACKET # c xk4tam-7")});
    ASSERT_TRUE(bbs.ok);
    EXPECT_EQ(rows(NodeTable::Bbs).value(0).connectStr, QStringLiteral("PACKET # c xk4tam-7"));
    EXPECT_EQ(NodeImport::resultText(NodeTable::Bbs, 1, 0),
              QStringLiteral("1 BBS Clusters were successfully added to Zenthra\r\n"
                             "0 BBS Clusters  were skipped as they already exist."));
}

TEST_P(NodeTables, AnUnsplittableLineStopsTheImportKeepingTheRowsBefore)
{
    const ImportOutcome out = import(NodeTable::Dxc, "Good,host,23\nOne comma only,23\nLater,host,23\n");
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.failure.number, NodeImport::errBadLine);
    EXPECT_EQ(out.added, 1);
    EXPECT_EQ(rows(NodeTable::Dxc).size(), 1);
}

TEST_P(NodeTables, NamesMeetInEveryLetterCaseAsTheImportUpperCasesThem)
{
    // The databases' upper() leaves "züRICH" on SQLite and "STRAßE" on the server.
    const QByteArray file = "Zürich,z1,23\nzürich,z2,23\nstraße,s1,23\nSTRASSE,s2,23\n";
    const ImportOutcome first = import(NodeTable::Dxc, file);
    ASSERT_TRUE(first.ok) << first.failure.text.toStdString();
    EXPECT_EQ(first.added, 2);
    const ImportOutcome second = import(NodeTable::Dxc, file);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.skipped, 4);
}

// One rule on both databases: the server would refuse the row in its own words, SQLite store it.
TEST_P(NodeTables, AFieldLongerThanItsColumnStopsTheImportNamingTheLine)
{
    const auto importWith = [this](const QString& name, const QString& host) {
        EXPECT_TRUE(db->exec(Store::Spots, QStringLiteral("DELETE FROM ") + nodeTableName(NodeTable::Dxc)));
        return import(NodeTable::Dxc, (QStringLiteral("First,f,23\r\n# a comment\r\n") + name + u',' + host +
                                       QStringLiteral(",23\r\nLast,l,23\r\n"))
                                          .toUtf8());
    };
    const QString refusal = QStringLiteral("Line %1 of %2: the %3 is longer than 255 characters. The lines "
                                           "before it were imported.");
    // 255 characters of two UTF-16 units each fit: the server counts characters.
    const QString clefs = QStringLiteral("\U0001D11E").repeated(255);
    EXPECT_TRUE(importWith(QStringLiteral("n"), clefs).ok);
    EXPECT_EQ(rows(NodeTable::Dxc).value(1).host, clefs);
    const ImportOutcome host = importWith(QStringLiteral("n"), QString(256, u'h'));
    EXPECT_FALSE(host.ok);
    EXPECT_EQ(host.failure.number, NodeImport::errBadLine);
    EXPECT_EQ(host.failure.text, refusal.arg(3).arg(QStringLiteral("DXC.csv"), QStringLiteral("host")));
    EXPECT_EQ(rows(NodeTable::Dxc).size(), 1);
    // Stored as 256 letters: "ß" upper-cases to "SS".
    EXPECT_EQ(importWith(QString(128, u'ß'), QStringLiteral("h")).failure.text,
              refusal.arg(3).arg(QStringLiteral("DXC.csv"), QStringLiteral("name")));
    // The login goes into every row, so the first node line is refused.
    const ImportOutcome bbs = import(NodeTable::Bbs, "Node,h,23\r\n", {{}, {}, QString(256, u'c')});
    EXPECT_EQ(bbs.failure.text,
              refusal.arg(1).arg(QStringLiteral("bbs.csv"), QStringLiteral("connection string")));
    EXPECT_EQ(rows(NodeTable::Bbs).size(), 0);
}

TEST_P(NodeTables, AListThatIsThereButCannotBeReadIsAnAccessErrorNotAMissingFile)
{
    // A folder of that name cannot be read as a file, not even by root.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("DXC.csv")));
    const ImportOutcome out = NodeImport::run(NodeTable::Dxc, *db, dir.file(QStringLiteral("DXC.csv")), {});
    EXPECT_EQ(out.failure.number, 75);
    EXPECT_EQ(out.failure.text, QStringLiteral("Path/File access error: DXC.csv"));
}

TEST_P(NodeTables, AListNamedByAFifoIsAnAccessErrorAtOnce)
{
    // Found in any letter case, as a file of that name would be.
    const zenthra::test::FifoGuard fifo(dir.file(QStringLiteral("dxc.csv")));
    ASSERT_TRUE(fifo.made());
    const ImportOutcome out = NodeImport::run(
        NodeTable::Dxc, *db, NodeImport::findFile(dir.path(), NodeImport::fileName(NodeTable::Dxc)), {});
    EXPECT_FALSE(fifo.fired()) << "the import blocked on the FIFO";
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.failure.number, 75);
    EXPECT_EQ(out.failure.text, QStringLiteral("Path/File access error: dxc.csv"));
}

// A list whose reading fails after its first lines (a disk or a network share that breaks) is an
// access error, never a finished import of the rows read so far.
TEST_P(NodeTables, AListWhoseReadFailsPartWayIsAnAccessError)
{
    QByteArray list;
    for (int i = 0; i < 6000; ++i) {
        list += "N" + QByteArray::number(i) + ",n.example,7300\r\n";
    }
    dir.write(QStringLiteral("DXC.csv"), list);
    NodeImportRun run(NodeTable::Dxc, *db, {});
    ASSERT_TRUE(run.begin(dir.file(QStringLiteral("DXC.csv"))));
    // No budget: one line, then the run comes back with the rest to read.
    ASSERT_TRUE(run.step(std::chrono::milliseconds(0)));
    ASSERT_TRUE(failReadsOf(dir.file(QStringLiteral("DXC.csv"))));
    while (run.step(std::chrono::milliseconds::max())) {
    }
    EXPECT_FALSE(run.outcome().ok);
    EXPECT_EQ(run.outcome().failure.number, NodeImport::errFileAccess);
    EXPECT_EQ(run.outcome().failure.text, QStringLiteral("Path/File access error: DXC.csv"));
    // The rows of the lines read before it stay.
    EXPECT_GT(run.outcome().added, 0);
    EXPECT_LT(run.outcome().added, 6000);
    EXPECT_EQ(rows(NodeTable::Dxc).size(), run.outcome().added);
}

TEST_P(NodeTables, AStrayWindows1252LineLeavesTheUtf8NodesTheirNames)
{
    ASSERT_TRUE(import(NodeTable::Dxc, "Z\xc3\xbcrich,z.example,23\r\n").ok);
    // Lone CRs end the lines; one line holds Windows-1252 bytes.
    const ImportOutcome again = import(
        NodeTable::Dxc, "Z\xc3\xbcrich,z.example,23\rB\xe4r\x92s,b.example,24\rGen\xc3\xa8ve,g.example,25\r");
    ASSERT_TRUE(again.ok) << again.failure.text.toStdString();
    EXPECT_EQ(again.added, 2);
    EXPECT_EQ(again.skipped, 1);
    EXPECT_EQ(nodes(NodeTable::Dxc), QStringList({QString::fromUtf8("Z\xc3\x9cRICH|z.example|23"),
                                                  QString::fromUtf8("B\xc3\x84R\xe2\x80\x99S|b.example|24"),
                                                  QString::fromUtf8("GEN\xc3\x88VE|g.example|25")}));
}

TEST_P(NodeTables, AUtf16ListIsReadAsTextAndANulStopsTheImportNamingTheLine)
{
    const QString list =
        QStringLiteral("# name,host,port\r\nalpha,alpha.example,7300\r\nbravo,bravo.example,7301\r\n");
    const ImportOutcome out = import(
        NodeTable::Dxc, QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom).encode(list));
    ASSERT_TRUE(out.ok) << out.failure.text.toStdString();
    const QStringList both{QStringLiteral("ALPHA|alpha.example|7300"),
                           QStringLiteral("BRAVO|bravo.example|7301")};
    EXPECT_EQ(nodes(NodeTable::Dxc), both);
    const ImportOutcome nul =
        import(NodeTable::Dxc, QByteArrayLiteral("c,c.example,1\r\nd,d\0.example,2\r\n"));
    EXPECT_EQ(nul.failure.text,
              QStringLiteral("Line 2 of DXC.csv: the host holds a control character. The lines "
                             "before it were imported."));
    EXPECT_EQ(nodes(NodeTable::Dxc), both + QStringList{QStringLiteral("C|c.example|1")});
}

// The five bytes Windows-1252 leaves without a character never reach a stored node as control
// characters: the line holding one stops the import and names itself.
TEST_P(NodeTables, ACodePageHoleInAWindowsListIsNeverStored)
{
    for (const char hole : {'\x81', '\x8d', '\x8f', '\x90', '\x9d'}) {
        ASSERT_TRUE(db->exec(Store::Spots, QStringLiteral("DELETE FROM ") + nodeTableName(NodeTable::Dxc)));
        const ImportOutcome out = import(NodeTable::Dxc, QByteArray("Caf\xe9,c.example,23\r\nO\x92") + hole +
                                                             "NEIL,o.example,7300\r\n");
        EXPECT_FALSE(out.ok) << int(uchar(hole));
        EXPECT_EQ(out.failure.text,
                  QStringLiteral("Line 2 of DXC.csv: the name holds a control character. The "
                                 "lines before it were imported."));
        EXPECT_EQ(nodes(NodeTable::Dxc), QStringList{QString::fromUtf8("CAF\xc3\x89|c.example|23")});
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, NodeTables, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);

// A node list imported into spots.sqlite while another program holds it for writing.
class HeldSpotsFile : public NodeTables
{
};

TEST_P(HeldSpotsFile, AnImportItRefusesEndsAfterTheOneWaitForTheLock)
{
    QSqlDatabase holder =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), zenthra::test::uniqueName("holder"));
    holder.setDatabaseName(dir.file(QString::fromLatin1(Database::spotsFileName)));
    ASSERT_TRUE(holder.open());
    ASSERT_TRUE(QSqlQuery(holder).exec(QStringLiteral("BEGIN IMMEDIATE")));
    QElapsedTimer took;
    took.start();
    const ImportOutcome out = import(NodeTable::Dxc, "GB7AA,gb7aa.example,7300\r\n");
    // The insert waits once, as every statement on a file may; folding the log back into the
    // file after it does not wait again.
    EXPECT_LT(took.elapsed(), Database::busyWait.count() + 400);
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.failure.text.startsWith(QStringLiteral("another program holds the database")))
        << out.failure.text.toStdString();
    QSqlQuery(holder).exec(QStringLiteral("ROLLBACK"));
    const QString name = holder.connectionName();
    holder.close();
    holder = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    EXPECT_EQ(import(NodeTable::Dxc, "GB7AA,gb7aa.example,7300\r\n").added, 1);
}

INSTANTIATE_TEST_SUITE_P(Files, HeldSpotsFile, ::testing::Values(Backend::Sqlite),
                         zenthra::test::backendName);

// --- The pure rules.

TEST(NodeLines, SplitAsTheImportReadsThem)
{
    using V = NodeLine::Verdict;
    const struct
    {
        const char* line;
        V verdict;
        const char* name;
        const char* host;
        const char* port;
        const char* faulty = "";
    } cases[] = {
        {"a,bc,", V::Node, "a", "bc", ""}, // five characters are enough
        {"a,b,", V::Ignored, "", "", ""},  // shorter than five
        {" GB7AA,host,7300", V::Ignored, "", "", ""},
        {"GB7AA , host.example ,  7300  ", V::Node, "GB7AA", "host.example", "7300"},
        {"n,a,b,c,23", V::Node, "n", "a,b,c", "23"},
        {"one comma,23", V::Unsplittable, "", "", ""},
        // The first line of a file as the import reads it: any line end ends it, and it is
        // UTF-8 when its own bytes are, whatever the lines after it hold.
        {"GB7AA,host,7300\rGB7BB,other,7301\r", V::Node, "GB7AA", "host", "7300"},
        {"GB7AA,host,7300\r\nGB7BB,other,7301", V::Node, "GB7AA", "host", "7300"},
        {"Z\xc3\xbcrich,z.example,23\nB\xe4r,b.example,23", V::Node, "Z\xc3\xbcrich", "z.example", "23"},
        {"B\xe4r,b.example,23\nZ\xc3\xbcrich,z.example,23", V::Node, "B\xc3\xa4r", "b.example", "23"},
        // A control character never belongs in a name, host or port.
        {"GB\tAA,host,7300", V::Faulty, "GB\tAA", "host", "7300", "name"},
        {"GB7AA,host,73\x7f", V::Faulty, "GB7AA", "host", "73\x7f", "port"},
        // A list saved by a Windows editor: its quotes and dashes are Windows-1252 punctuation,
        // while a C1 control character written as UTF-8 is still no part of a name.
        {"O\x92NEIL,caf\xe9\x96north,7300", V::Node, "O\xe2\x80\x99NEIL", "caf\xc3\xa9\xe2\x80\x93north",
         "7300"},
        {"GB\xc2\x85"
         "AA,host,7300",
         V::Faulty,
         "GB\xc2\x85"
         "AA",
         "host", "7300", "name"},
        // The bytes Windows-1252 leaves without a character read as C1 controls: refused too.
        {"GB\x81"
         "AA,host,7300",
         V::Faulty,
         "GB\xc2\x81"
         "AA",
         "host", "7300", "name"},
        {"GB7AA,ho\x8dst,7300", V::Faulty, "GB7AA", "ho\xc2\x8dst", "7300", "host"},
        {"GB7AA,host,73\x8f", V::Faulty, "GB7AA", "host", "73\xc2\x8f", "port"},
        {"O\x92NEIL,h\x90,7300", V::Faulty, "O\xe2\x80\x99NEIL", "h\xc2\x90", "7300", "host"},
        {"\x9d"
         "GB7AA,host,7300",
         V::Faulty,
         "\xc2\x9d"
         "GB7AA",
         "host", "7300", "name"},
    };
    for (const auto& c : cases) {
        const NodeLine got = splitNodeLine(textfile::splitLines(c.line).value(0));
        EXPECT_EQ(got.verdict, c.verdict) << c.line;
        EXPECT_EQ(got.name, QString::fromUtf8(c.name)) << c.line;
        EXPECT_EQ(got.host, QString::fromUtf8(c.host)) << c.line;
        EXPECT_EQ(got.port, QString::fromUtf8(c.port)) << c.line;
        EXPECT_EQ(got.faulty, QString::fromUtf8(c.faulty)) << c.line;
    }
}

TEST(NodeLines, TheChannelBoxSettlesOnAWholeNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "14345"}, {"12a", "14345"}, {"2.5", "2"}, {"3.5", "4"}, {" 77 ", "77"},
    };
    for (const auto& [typed, settled] : cases) {
        EXPECT_EQ(NodeImport::channelText(QString::fromLatin1(typed)), QLatin1String(settled)) << typed;
    }
    EXPECT_EQ(NodeImport::wwcConnectString(QStringLiteral("XX1XX"), QStringLiteral("14345")),
              QStringLiteral("/n XX1XX 14345"));
}

TEST(NodeLines, UpdateNeedsANameAHostAndATcpPort)
{
    const auto allowed = [](const char* name, const char* host, const char* port) {
        return NodeList::updateAllowed(boxes(name, host, port));
    };
    EXPECT_TRUE(allowed("n", "h", "1 telnet"));
    EXPECT_TRUE(allowed("n", "h", "65535"));
    EXPECT_FALSE(allowed("   ", "h", "7300"));
    EXPECT_FALSE(allowed("n", "", "7300"));
    EXPECT_FALSE(allowed("n", "h", "telnet"));
    EXPECT_FALSE(allowed("n", "h", "0"));
    EXPECT_FALSE(allowed("n", "h", "65536"));
}

TEST(NodeLines, TheBoxesBecomeTheLinksCurrentNode)
{
    CurrentNode node;
    node.strDxcHost = QStringLiteral("kept");
    const NodeBoxes boxes{QStringLiteral("n"), QStringLiteral("h"), QStringLiteral("7300x"),
                          QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("#c x")};
    NodeList::setCurrentNode(NodeTable::Bbs, boxes, node);
    EXPECT_EQ(node.strBbsHost + node.strBbsCallsign + node.strBbsPassword + node.strBbsConnectStr,
              QStringLiteral("hcp#c x"));
    EXPECT_EQ(node.sngBbsPort, 7300);
    EXPECT_EQ(node.strDxcHost, QStringLiteral("kept"));
}

} // namespace
