// The option input boxes, "Current Settings", "Make copy of Db", the window buffer, the server
// settings window and "Log announce to Db" through the real main window.

#include "shell/database_backup.h"
#include "shell/option_dialogs.h"
#include "shell/settings_display.h"
#include "spots/database.h"
#include "spots/sql_server_window.h"
#include "support/fifo_guard.h"
#include "support/file_mode.h"
#include "support/temp_folder.h"

#include "shell/dialog_program.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <atomic>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace zenthra;
using zenthra::test::DialogProgram;
using zenthra::test::TempFolder;

namespace {

QString mapItem(int index)
{
    return QStringLiteral("mnuMapMufFreq(%1)").arg(index);
}

// --- The map and font boxes: their rules, then each item once through the window.

TEST(Dialogs, SpotCountAndBandAnswers)
{
    // The spot count (25 before): the leading number rounded, taken from 1 to 2000 ("0.4" rounds to
    // 0: refused like 0). "" is Cancel.
    const std::pair<const char*, int> counts[] = {
        {"1", 1},      {"2000", 2000}, {"0", 25},   {"-3", 25}, {"2001", 25},     {"abc", 25}, {"", 25},
        {"12abc", 12}, {"0.4", 25},    {"0.5", 25}, {"1.5", 2}, {"1999.6", 2000}, {"  7", 7}};
    // The band (70 before): anything but a known band means all bands.
    const std::pair<const char*, int> bands[] = {{"144", 144}, {"145", 0}, {"abc", 0},
                                                 {"", 0},      {"50", 50}, {"220", 220},
                                                 {"70.4", 70}, {"0", 0},   {"144mhz", 144}};
    using Cases = std::span<const std::pair<const char*, int>>;
    for (const int index : {0, 1}) {
        for (const auto& [answer, expected] : index == 0 ? Cases(counts) : Cases(bands)) {
            OptionsModel o;
            o.intMapSpotCount = 25;
            o.sngMapBand = 70;
            optiondialogs::applyMappingAnswer(index, QString::fromLatin1(answer), o);
            EXPECT_EQ(index == 0 ? int(o.intMapSpotCount) : int(o.sngMapBand), expected)
                << '"' << answer << '"';
        }
    }
}

TEST(Dialogs, MufBoundsMinimumBelowTheMaximumAndTheResetByZero)
{
    using optiondialogs::mappingPrompt;
    OptionsModel o;
    const auto answer = [&o](int index, const char* text) {
        optiondialogs::applyMappingAnswer(index, QString::fromLatin1(text), o);
    };
    EXPECT_EQ(
        mappingPrompt(2, o),
        QStringLiteral("Please type the minimum muf to map. Values allowed are 50 to 250 (set Max qrb before "
                       "this!). The max is set at 0"));
    EXPECT_EQ(mappingPrompt(3, o),
              QStringLiteral("Please type the maximum muf to map. Values allowed are 51 to 250. "
                             " Type 0 to reset min/max to default. The min is set at 0"));
    answer(2, "150"); // with the maximum at 0 no minimum is taken
    EXPECT_EQ(o.sngMapMinMuf, 0.0f);
    answer(3, "200");
    answer(2, "150");
    EXPECT_EQ(o.sngMapMaxMuf, 200.0f);
    EXPECT_EQ(o.sngMapMinMuf, 150.0f);
    EXPECT_TRUE(mappingPrompt(2, o).endsWith(QStringLiteral("The max is set at 200")));
    EXPECT_TRUE(mappingPrompt(3, o).endsWith(QStringLiteral("The min is set at 150")));
    EXPECT_EQ(optiondialogs::mappingDefault(2, o), QStringLiteral("150"));
    EXPECT_EQ(optiondialogs::mappingDefault(3, o), QStringLiteral("200"));
    for (const char* refused : {"200", "49", "251", "150abc", ""}) {
        answer(2, refused);
        EXPECT_EQ(o.sngMapMinMuf, 150.0f) << refused;
    }
    answer(2, "50");
    EXPECT_EQ(o.sngMapMinMuf, 50.0f);
    for (const char* refused : {"251", "50", "abc", "", "300"}) {
        answer(3, refused);
        EXPECT_EQ(o.sngMapMaxMuf, 200.0f) << refused;
        EXPECT_EQ(o.sngMapMinMuf, 50.0f) << refused;
    }
    answer(3, "51");
    EXPECT_EQ(o.sngMapMaxMuf, 51.0f);
    o.sngMapMinMuf = 120;
    answer(3, "100");
    EXPECT_EQ(o.sngMapMaxMuf, 51.0f) << "not above the minimum";
    answer(3, "0");
    EXPECT_EQ(o.sngMapMinMuf, 0.0f);
    EXPECT_EQ(o.sngMapMaxMuf, 0.0f);
}

TEST(Dialogs, MapItemsAskWithTheProgramsTitleAndApplyTheAnswer)
{
    DialogProgram p;
    OptionsModel& o = p.app->options();
    o.intMapSpotCount = 25;
    o.sngMapBand = 70;
    p.answer("12abc");
    p.click(mapItem(0));
    p.cancel(); // Cancel: all bands
    p.click(mapItem(1));
    p.answer("200");
    p.click(mapItem(3));
    p.answer("150");
    p.click(mapItem(2));
    ASSERT_EQ(p.asked.size(), 4u);
    EXPECT_EQ(p.asked[0].title, QCoreApplication::applicationName()); // the program's title
    EXPECT_EQ(p.asked[0].prompt,
              QStringLiteral("Please type the number of spots to map, min is 1, max is 2000"));
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("25"));
    EXPECT_EQ(p.asked[1].prompt,
              QStringLiteral("Please type the frequency you are interested in  mapping spots, "
                             "allowed values are 0 (all),50,70,144 or 220"));
    EXPECT_EQ(p.asked[1].defaultAnswer, QStringLiteral("70"));
    EXPECT_TRUE(p.asked[3].prompt.endsWith(QStringLiteral("The max is set at 200")));
    EXPECT_EQ(o.intMapSpotCount, 12);
    EXPECT_EQ(o.sngMapBand, 0.0f);
    EXPECT_EQ(o.sngMapMaxMuf, 200.0f);
    EXPECT_EQ(o.sngMapMinMuf, 150.0f);
    // Other indices ask nothing.
    p.dialogMenus().MAPPING_SETTINGS(4);
    p.dialogMenus().MAPPING_SETTINGS(-1);
    EXPECT_EQ(p.asked.size(), 4u);
    EXPECT_TRUE(p.told.empty());
}

TEST(Dialogs, FontSizeAnswers)
{
    // Whole sizes from 6 to 20, rounded half to even.
    for (const auto& [answer, size] : {std::pair{"6", 6}, {"20", 20}, {"12.5", 12}, {" 13.5 ", 14}}) {
        EXPECT_EQ(optiondialogs::fontSizeAnswer(QString::fromLatin1(answer)), std::optional<qint16>(size));
    }
    for (const char* refused : {"5", "21", "", "abc", "12abc", "20.4"}) {
        EXPECT_EQ(optiondialogs::fontSizeAnswer(QString::fromLatin1(refused)), std::nullopt) << refused;
    }
}

TEST(Dialogs, FontSizeReachesEveryWindowOrKeepsTheirSize)
{
    DialogProgram p;
    p.window->applyFontSize(11);
    p.app->options().intFontSize = 14; // differs from the windows, as after an unapplied setting
    std::vector<QPlainTextEdit*> boxes{p.window->findChild<QPlainTextEdit*>(QStringLiteral("TBCluster"))};
    for (int i = 0; i < 6; ++i) {
        boxes.push_back(p.window->findChild<QPlainTextEdit*>(QStringLiteral("txtDataRetrieval(%1)").arg(i)));
    }
    for (const auto& [answer, expected] : {std::pair{"21", 11}, std::pair{"6", 6}}) {
        p.answer(answer);
        p.click(QStringLiteral("mnuFontSize"));
        EXPECT_EQ(p.app->options().intFontSize, expected);
        for (QPlainTextEdit* box : boxes) {
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->font().pointSize(), expected) << box->objectName().toStdString();
        }
    }
    ASSERT_EQ(p.asked.size(), 2u);
    EXPECT_EQ(p.asked[0].title, QStringLiteral("font size"));
    EXPECT_EQ(p.asked[0].prompt, QStringLiteral("Please type the font size (Min 6, max 20)."));
    EXPECT_EQ(p.asked[0].defaultAnswer, QString());
}

// --- Current Settings.

// The settings box with the 21 values filled in, in order of appearance.
template <typename... Values> QString settingsText(const Values&... values)
{
    return QStringLiteral("Current System Settings:\r\n"
                          "\r\n"
                          "CLX-----------------------\t\r\n"
                          "IP Address:\t%1\r\n"
                          "Port:             \t%2\r\n"
                          "Callsign:         \t%3\r\n"
                          "Password:         \t%4\r\n"
                          "Reconnect:        \t%5 mins\r\n"
                          "\r\n"
                          "ES------------------------\t\r\n"
                          "Locator:          \t%6\r\n"
                          "e layer height:   \t%7 km\r\n"
                          "144275-325 ES:   \t%8 km\r\n"
                          "MUF Alarm freq:    \t%9mhz\r\n"
                          "\r\n"
                          "WWC----------------------\t\r\n"
                          "IP Address:\t%10\r\n"
                          "Port:             \t%11\r\n"
                          "Callsign:         \t%12\r\n"
                          "Password:         \t%13\r\n"
                          "\r\n"
                          "BBS----------------------\t\r\n"
                          "IP Address:\t%14\r\n"
                          "Port:             \t%15\r\n"
                          "Callsign:         \t%16\r\n"
                          "Password:         \t%17\r\n"
                          "\r\n"
                          "DDE----------------------\t\r\n"
                          "EXE Name:\t%18\r\n"
                          "Topic:             \t%19\r\n"
                          "Item:         \t%20\r\n"
                          "\r\n"
                          "-----------------------------------\r\n"
                          "Version:         \t%21\r\n"
                          "-----------------------------------")
        .arg(QString::fromUtf8(values)...);
}

TEST(Dialogs, SettingsOfAFreshInstallation)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    p.click(QStringLiteral("mnuFile(1)"));
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Information);
    EXPECT_EQ(p.told[0].title, QStringLiteral("System Settings"));
    EXPECT_TRUE(p.told[0].fixedWidth);
    EXPECT_EQ(p.told[0].text, settingsText("", "0", "", "", "0", "", "110", "1400", "0", "", "0", "", "", "",
                                           "0", "", "", "", "", "", "0.1.0"));
    EXPECT_EQ(p.told[0].text.split(QStringLiteral("\r\n")).size(), 35);
    EXPECT_EQ(programVersion(), QStringLiteral("0.1.0"));
}

TEST(Dialogs, SettingsOfAFilledInstallation)
{
    OptionsModel o;
    CurrentNode& n = o.nodes;
    n.strDxcHost = QStringLiteral("dx.example.net");
    n.sngDxcPort = 8000;
    n.strDxcCallsign = QStringLiteral("QX1ABC");
    n.strDxcPassword = QStringLiteral("s3cret");
    n.strWwcHost = QStringLiteral("chat.example.org");
    n.sngWwcPort = 23;
    n.strWwcCallsign = QStringLiteral("QX1ABC-2");
    n.strWwcPassword = QStringLiteral("pw");
    n.strBbsHost = QStringLiteral("10.0.0.7");
    n.sngBbsPort = 6300;
    n.strBbsCallsign = QStringLiteral("QX1ABC-7");
    o.intReconnectMinutes = 15;
    o.setHomeLocator(QStringLiteral("IO91WM"));
    o.dblELayerHeight = 105.5;
    o.classifier.sngMinEsQrb2m = 1200;
    o.sngBellMufLevel = 70;
    o.strDdeExeName = QStringLiteral("127.0.0.1:52001");
    o.strDdeTopic = QStringLiteral("Log");
    o.strDdeItem = QStringLiteral("Spot");
    const QString expected =
        settingsText("dx.example.net", "8000", "QX1ABC", "s3cret", "15", "IO91WM", "105.5", "1200", "70",
                     "chat.example.org", "23", "QX1ABC-2", "pw", "10.0.0.7", "6300", "QX1ABC-7", "",
                     "127.0.0.1:52001", "Log", "Spot", "2.3.4");
    EXPECT_EQ(systemSettingsText(o, QStringLiteral("2.3.4")), expected);
}

// --- Make copy of Db.

struct SpotsFile
{
    TempFolder dir;
    DataFolder folder{dir.path()};
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DatabaseSettings settings;

    QString path() const { return dir.file(QLatin1String(Database::spotsFileName)); }
    QString backup() const { return dir.file(QLatin1String(backupFileName)); }
};

// A connection of the test's own; removed with the object.
struct Connection
{
    QString name = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128);
    QSqlDatabase db;
    explicit Connection(const QString& file)
    {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        EXPECT_TRUE(db.open());
    }
    ~Connection()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    bool run(const QString& sql) const
    {
        QSqlQuery q(db);
        const bool ok = q.exec(sql);
        EXPECT_TRUE(ok) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return ok;
    }
    int count(const QString& table) const
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT count(*), coalesce(max(id), 0) FROM ") + table) || !q.next()) {
            return -1;
        }
        // Rows are numbered from 1 without gaps: a copy holds a whole prefix of them.
        EXPECT_EQ(q.value(0).toInt(), q.value(1).toInt());
        return q.value(0).toInt();
    }
};

// A copy holds every row committed before it and none of an open transaction, while spots are
// being written; a second copy replaces the first.
TEST(Backup, CopyTakenWhileSpotsAreWrittenHoldsEveryRowCommittedBeforeIt)
{
    SpotsFile f;
    const QString made = QStringLiteral("Copy called spots_backup.sqlite made in ") + f.dir.path();
    {
        Connection writer(f.path());
        writer.run(QStringLiteral("PRAGMA journal_mode=WAL"));
        writer.run(QStringLiteral("CREATE TABLE probe (id INTEGER PRIMARY KEY, spot text)"));
        for (int i = 0; i < 100; ++i) {
            writer.run(QStringLiteral("INSERT INTO probe (spot) VALUES ('committed')"));
        }
        ASSERT_TRUE(writer.db.transaction());
        writer.run(QStringLiteral("INSERT INTO probe (spot) VALUES ('pending')"));
        EXPECT_EQ(BACKUP_DATABASE(f.settings, f.folder, f.log), made);
        EXPECT_EQ(Connection(f.backup()).count(QStringLiteral("probe")), 100);
        ASSERT_TRUE(writer.db.commit());
    }
    std::atomic<int> committed{101};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        Connection c(f.path());
        QSqlQuery q(c.db);
        while (!stop) {
            if (q.exec(QStringLiteral("INSERT INTO probe (spot) VALUES ('DX DE QX1ABC: 50110.0 QX5ABC')"))) {
                ++committed;
            }
        }
    });
    while (committed < 300) {
        std::this_thread::yield();
    }
    const int before = committed;
    const QString result = BACKUP_DATABASE(f.settings, f.folder, f.log);
    const int after = committed;
    stop = true;
    writer.join();

    EXPECT_EQ(result, made);
    Connection copy(f.backup());
    const int copied = copy.count(QStringLiteral("probe"));
    EXPECT_GE(copied, before);
    EXPECT_LE(copied, after);
    QSqlQuery check(copy.db);
    ASSERT_TRUE(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
    EXPECT_EQ(check.value(0).toString(), QStringLiteral("ok"));
    EXPECT_FALSE(QFile::exists(f.backup() + QStringLiteral(".partial")));
    EXPECT_TRUE(f.dir.lines(QStringLiteral("muf_errors.log")).isEmpty());
}

// The copy holds node passwords: owner-only even when the database it copies is open to others.
TEST(Backup, TheCopyIsTheOwnersAloneWhateverTheUmask)
{
    const zenthra::test::ScopedUmask umask(022);
    SpotsFile f;
    {
        Connection c(f.path());
        c.run(QStringLiteral("CREATE TABLE probe (id INTEGER PRIMARY KEY)"));
    }
    ASSERT_EQ(zenthra::test::modeOf(f.path()), 0644);
    EXPECT_EQ(BACKUP_DATABASE(f.settings, f.folder, f.log),
              QStringLiteral("Copy called spots_backup.sqlite made in ") + f.dir.path());
    EXPECT_EQ(zenthra::test::modeOf(f.backup()), 0600);
}

TEST(Backup, MissingDatabaseIsReportedAndLoggedAndTheOldCopyStays)
{
    SpotsFile f;
    f.dir.write(QLatin1String(backupFileName), "older copy");
    EXPECT_EQ(BACKUP_DATABASE(f.settings, f.folder, f.log),
              QStringLiteral("53\r\nFile not found: spots.sqlite\r\nCopy unsuccessful"));
    {
        // SQLite would wait on a FIFO for good.
        const zenthra::test::FifoGuard fifo(f.path());
        ASSERT_TRUE(fifo.made());
        EXPECT_EQ(BACKUP_DATABASE(f.settings, f.folder, f.log),
                  QStringLiteral("53\r\nFile not found: spots.sqlite\r\nCopy unsuccessful"));
        EXPECT_FALSE(fifo.fired()) << "the copy waited on the FIFO";
    }
    EXPECT_EQ(f.dir.read(QLatin1String(backupFileName)), QByteArray("older copy"));
    const QStringList log = f.dir.lines(QStringLiteral("muf_errors.log"));
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith(QStringLiteral("\t53 - BACKUP_DATABASE()"))) << log[0].toStdString();
}

// The names made in a folder (created there or renamed into it) while this lives.
class NamesMade
{
public:
    explicit NamesMade(const QString& folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        m_watching = m_fd >= 0 && ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                                      IN_CREATE | IN_MOVED_TO) >= 0;
    }
    ~NamesMade()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    NamesMade(const NamesMade&) = delete;
    NamesMade& operator=(const NamesMade&) = delete;

    bool watching() const { return m_watching; }
    QStringList names() const
    {
        QStringList names;
        alignas(inotify_event) char buffer[16 * 1024];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                inotify_event event;
                std::memcpy(&event, buffer + at, sizeof event);
                if (event.len > 0) {
                    names.append(QFile::decodeName(buffer + at + sizeof event));
                }
                at += static_cast<ssize_t>(sizeof event + event.len);
            }
        }
        return names;
    }

private:
    int m_fd;
    bool m_watching = false;
};

// A fresh folder in a temporary place on a file system other than that of `folder`, if there is
// one here.
std::unique_ptr<QTemporaryDir> folderOnAnotherFileSystem(const QString& folder)
{
    const auto device = [](const QString& path) {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : dev_t(-1);
    };
    for (const QString& place : {QStringLiteral("/dev/shm"), QStringLiteral("/var/tmp"),
                                 QStringLiteral("/run/user/%1").arg(::getuid())}) {
        if (device(place) == dev_t(-1) || device(place) == device(folder)) {
            continue;
        }
        auto made = std::make_unique<QTemporaryDir>(place + QStringLiteral("/zenthra-test-XXXXXX"));
        if (made->isValid()) {
            return made;
        }
    }
    return nullptr;
}

// A copy kept elsewhere through a link is brought up to date and the link stays. Its temporary is
// made beside the copy, never beside the link: from there the rename that puts it in place fails
// when the copy is on another file system ("Invalid cross-device link").
class CopyBehindALink : public testing::TestWithParam<bool> // true: on another file system
{
};

TEST_P(CopyBehindALink, IsMadeBesideTheCopyAndTheLinkStays)
{
    SpotsFile f;
    {
        Connection c(f.path());
        c.run(QStringLiteral("CREATE TABLE probe (id INTEGER PRIMARY KEY)"));
        c.run(QStringLiteral("INSERT INTO probe DEFAULT VALUES"));
    }
    const std::unique_ptr<QTemporaryDir> elsewhere =
        GetParam()
            ? folderOnAnotherFileSystem(f.dir.path())
            : std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zenthra-test-XXXXXX"));
    if (!elsewhere) {
        GTEST_SKIP() << "no temporary place (/dev/shm, /var/tmp, /run/user/UID) is on a file "
                        "system other than that of "
                     << f.dir.path().toStdString();
    }
    ASSERT_TRUE(elsewhere->isValid());
    const QString kept = elsewhere->filePath(QStringLiteral("kept.sqlite"));
    {
        QFile older(kept);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly) && older.write("older copy") == 10);
    }
    ASSERT_TRUE(QFile::link(kept, f.backup()));
    const NamesMade beside(f.dir.path());
    ASSERT_TRUE(beside.watching());
    EXPECT_EQ(BACKUP_DATABASE(f.settings, f.folder, f.log),
              QStringLiteral("Copy called spots_backup.sqlite made in ") + f.dir.path());
    EXPECT_EQ(beside.names(), QStringList()) << "made beside the link";
    EXPECT_EQ(QFileInfo(f.backup()).symLinkTarget(), kept);
    EXPECT_EQ(Connection(kept).count(QStringLiteral("probe")), 1);
    EXPECT_EQ(zenthra::test::modeOf(kept), 0600);
    EXPECT_EQ(QDir(elsewhere->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("kept.sqlite")});
}

INSTANTIATE_TEST_SUITE_P(Backup, CopyBehindALink, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "OnAnotherFileSystem" : "OnTheSameFileSystem");
                         });

TEST(Backup, AFifoUnderTheCopysNameIsLeftAlone)
{
    SpotsFile f;
    {
        Connection c(f.path());
        c.run(QStringLiteral("CREATE TABLE probe (id INTEGER PRIMARY KEY)"));
    }
    const zenthra::test::FifoGuard fifo(f.backup());
    ASSERT_TRUE(fifo.made());
    EXPECT_EQ(
        BACKUP_DATABASE(f.settings, f.folder, f.log),
        QStringLiteral("75\r\nPath/File access error: spots_backup.sqlite is not a regular file and was "
                       "left as it is\r\nCopy unsuccessful"));
    struct stat info;
    EXPECT_TRUE(::lstat(QFile::encodeName(f.backup()).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    EXPECT_FALSE(fifo.fired());
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("muf_errors.log"), QStringLiteral("spots.sqlite")}));
    const QStringList log = f.dir.lines(QStringLiteral("muf_errors.log"));
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith(QStringLiteral("\t75 - BACKUP_DATABASE()"))) << log[0].toStdString();
}

TEST(Backup, ServerDatabaseIsNotCopiedAndTheBoxSaysSo)
{
    SpotsFile f;
    {
        Connection c(f.path());
        c.run(QStringLiteral("CREATE TABLE probe (id INTEGER PRIMARY KEY)"));
    }
    f.settings.strDbType = QStringLiteral("S");
    f.settings.strSqlServer = QStringLiteral("db.example.net:5432");
    const QString text = BACKUP_DATABASE(f.settings, f.folder, f.log);
    EXPECT_EQ(text, QStringLiteral(
                        "The spots database is kept on the server db.example.net:5432 and is backed up "
                        "on the server with its own tools, not by copying a file.\r\nNo copy was made."));
    EXPECT_FALSE(QFile::exists(f.backup()));
    EXPECT_FALSE(text.contains(QStringLiteral("made in")));
}

TEST(Backup, MenuItemShowsTheResultInItsBox)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    ASSERT_TRUE(p.app->database().isOpen());
    p.click(QStringLiteral("mnuBackupDb"));
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Information);
    EXPECT_EQ(p.told[0].title, QStringLiteral("Database copy result"));
    EXPECT_EQ(p.told[0].text, QStringLiteral("Copy called spots_backup.sqlite made in ") + p.dir.path());
    Connection copy(p.dir.file(QLatin1String(backupFileName)));
    QSqlQuery q(copy.db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM tblProp")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 148);
}

TEST(Dialogs, WindowBufferLimitAsksThroughTheInputBox)
{
    DialogProgram p;
    float& buffer = p.app->options().sngWindowBuffer;
    p.answer("999");
    p.click(QStringLiteral("mnuWindowBuffer"));
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].title, QCoreApplication::applicationName());
    EXPECT_EQ(p.asked[0].prompt, QString::fromLatin1(TextWindows::windowBufferPrompt));
    EXPECT_EQ(p.asked[0].defaultAnswer, QStringLiteral("100000"));
    EXPECT_EQ(buffer, 100000.0f);
    p.cancel();
    p.click(QStringLiteral("mnuWindowBuffer"));
    EXPECT_EQ(buffer, 100000.0f);
    p.answer("1500");
    p.click(QStringLiteral("mnuWindowBuffer"));
    EXPECT_EQ(buffer, 1500.0f);
}

TEST(Dialogs, SqlServerSettingsOpensTheServerWindowOnce)
{
    DialogProgram p;
    p.app->options().database = {QStringLiteral("s"), QStringLiteral("db.example.org:5433"),
                                 QStringLiteral("spots"), QStringLiteral("zen"), QStringLiteral("pw")};
    p.click(QStringLiteral("mnuSqlServer"));
    p.click(QStringLiteral("mnuSqlServer"));
    const auto opened = p.window->findChildren<SqlServerWindow*>();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0]->isVisible());
    EXPECT_EQ(opened[0]->txtSqlServer[0]->text(), QStringLiteral("db.example.org:5433"));
    EXPECT_TRUE(opened[0]->chkEnableSql->isChecked());
    // Exit unloads it: the next opening shows the settings as they are then.
    opened[0]->cmdSqlUpdate[1]->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(p.window->findChildren<SqlServerWindow*>().isEmpty());
    p.app->options().database.strSqlServer = QStringLiteral("other.example.org");
    p.click(QStringLiteral("mnuSqlServer"));
    ASSERT_NE(p.window->findChild<SqlServerWindow*>(), nullptr);
    EXPECT_EQ(p.window->findChild<SqlServerWindow*>()->txtSqlServer[0]->text(),
              QStringLiteral("other.example.org"));
}

TEST(Dialogs, LogAnnounceCreatesTheMissingTableOnEveryClick)
{
    DialogProgram p;
    installStartFiles(p.dir);
    p.app->OPEN_ZENTHRA();
    Database& db = p.app->database();
    ASSERT_TRUE(db.isOpen());
    const QString drop = QStringLiteral("DROP TABLE tblAnnounce");
    const QString probe = QStringLiteral("SELECT count(*) FROM tblAnnounce");
    for (const bool ticked : {true, false}) {
        ASSERT_TRUE(db.exec(Store::Spots, drop));
        p.click(QStringLiteral("mnuAnnToDb"));
        EXPECT_EQ(p.ticked(QStringLiteral("mnuAnnToDb")), ticked);
        EXPECT_TRUE(db.exec(Store::Spots, probe)) << ticked;
    }
    p.click(QStringLiteral("mnuAnnToDb")); // on an existing table: only the mark flips
    EXPECT_TRUE(p.ticked(QStringLiteral("mnuAnnToDb")));
    EXPECT_TRUE(p.told.empty());
    EXPECT_TRUE(p.dir.lines(QStringLiteral("muf_errors.log")).isEmpty());
}

} // namespace
