// The program as a user runs it, fed by a DX-cluster node on loopback: the main window shown
// (offscreen unless QT_QPA_PLATFORM names another platform), default tick budget, the program's
// own event loop, and a node that streams spot lines as fast as the program takes them for
// ZENTHRA_BENCH_SECONDS (5 unless set; 60 for the sustained figure), then waits until the program
// has stored what it sent. Timed from start-up to the last row stored in tblAllSpots, with the
// latest the event loop ran a 10 ms timer, the resident memory and the CPU used.
//
// Two cases. Light: no call/locator rows, so no path is calculated, and sporadic-E not logged;
// each spot costs its parsing, classification and one tblAllSpots row. Realistic, the path users
// run: the call/locator table knows the spotters and nine DX calls in ten, "Calc es?" and "Log es
// to DB?" are ticked, and most lines are heard over a sporadic-E path, as in the openings that
// bring floods, so most spots are calculated, reported in the MUF window and stored in tblSPOT as
// well.

#include "bench_database.h"
#include "loopback_listener.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "widgets_bench_main.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSqlQuery>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

using namespace zenthra;

namespace {

enum class Case
{
    Light,
    Realistic,
};

std::chrono::seconds streamTime()
{
    const int n = qEnvironmentVariableIntValue("ZENTHRA_BENCH_SECONDS");
    return std::chrono::seconds(n > 0 ? n : 5);
}

// The DX calls the node cycles through; the realistic call/locator table knows nine in ten.
constexpr int dxCallCount = 100000;
constexpr int spotterCount = 10;

bool dxCallKnown(int n)
{
    return (n / 10) % 10 != 9;
}

// Spot line `i` of a case: spotters G0ABC-G9ABC, 6 m. The light case marks one line in five
// sporadic-E; the realistic one streams as nodes do in an opening, when floods come: four lines
// in five are heard over a sporadic-E path (marked so, or plain CW and SSB over 1,300-2,200 km).
QByteArray spotLine(int i, Case what)
{
    static const char* light[] = {"FT8 Es", "tropo", "MS", "AU", "CW"};
    static const char* opening[] = {"FT8 Es", "CW 559", "es 579", "SSB 59", "tropo"};
    const char* comment = (what == Case::Realistic ? opening : light)[i % 5];
    char line[128];
    const int n = std::snprintf(
        line, sizeof line, "DX de G%dABC:     50%d.0  CT%06d       %s IN50 JN59              2110Z\a\a\r\n",
        i % spotterCount, 100 + i % 800, i % dxCallCount, comment);
    return QByteArray(line, n);
}

// Spotters across western Europe, DX stations across Iberia: 1,300 to 2,200 km, a one-hop
// sporadic-E path.
QString spotterLocator(int i)
{
    static const char* locators[] = {"IO91WM", "JO01AA", "IO83QK", "JO31MF", "IO70JJ",
                                     "JN18EU", "IO92PL", "JO62QM", "IO81VL", "JN47SM"};
    return QLatin1String(locators[i % spotterCount]);
}

QString dxLocator(int n)
{
    static const char* squares[] = {"IM58", "IM59", "IM68", "IM69", "IN50",
                                    "IN51", "IN60", "IN61", "IM57", "IM67"};
    return QLatin1String(squares[(n / 100) % 10]) + QChar(u'A' + n % 24) + QChar(u'A' + (n / 24) % 24);
}

// The call/locator table of the realistic case, written through the program's database layer
// into the data folder before the program starts.
bool fillCallTable(bench::BenchDatabase& base)
{
    base.db.OPEN_DATABASES(QStringLiteral("a"));
    if (!base.db.isOpen()) {
        return false;
    }
    QSqlDatabase c = base.db.connection(Store::CallLoc);
    c.transaction();
    QSqlQuery q = base.db.prepare(
        Store::CallLoc,
        QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)"));
    const QVariant when = Database::dateValue(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
    const auto add = [&](const QString& call, const QString& locator) {
        q.addBindValue(call);
        q.addBindValue(locator);
        q.addBindValue(when);
        return q.exec();
    };
    for (int i = 0; i < spotterCount; ++i) {
        if (!add(QStringLiteral("G%1ABC").arg(i), spotterLocator(i))) {
            return false;
        }
    }
    for (int n = 0; n < dxCallCount; ++n) {
        if (dxCallKnown(n) && !add(QStringLiteral("CT%1").arg(n, 6, 10, QLatin1Char('0')), dxLocator(n))) {
            return false;
        }
    }
    q.finish();
    const bool ok = c.commit();
    base.db.CLOSE_DATABASES();
    return ok;
}

// A node in a thread of its own, so it writes as fast as the program lets TCP take it: whole
// chunks of lines until its time is up, then it keeps the link open.
class StreamingNode
{
public:
    StreamingNode(std::chrono::seconds duration, Case what) : m_duration(duration), m_case(what)
    {
        m_listener = listenOnLoopback(m_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~StreamingNode()
    {
        m_done = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }
    // Lines wholly sent so far, and whether the node has stopped sending.
    int sent() const { return m_sent; }
    bool finished() const { return m_finished; }

private:
    void serve()
    {
        const int peer = ::accept(m_listener, nullptr, nullptr);
        if (peer < 0) {
            m_finished = true;
            return;
        }
        constexpr int chunkLines = 64;
        const auto end = std::chrono::steady_clock::now() + m_duration;
        QByteArray chunk;
        bool open = true;
        for (int line = 0; open && !m_done && std::chrono::steady_clock::now() < end;) {
            chunk.clear();
            for (int k = 0; k < chunkLines; ++k) {
                chunk += spotLine(line++, m_case);
            }
            for (qsizetype at = 0; open && at < chunk.size();) {
                const ssize_t n = ::send(peer, chunk.constData() + at, static_cast<size_t>(chunk.size() - at),
                                         MSG_NOSIGNAL);
                open = n > 0;
                at += open ? n : 0;
            }
            if (open) {
                m_sent += chunkLines;
            }
        }
        m_finished = true;
        while (!m_done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(peer);
    }

    std::chrono::seconds m_duration;
    Case m_case;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_finished{false};
    std::atomic<int> m_sent{0};
};

// How late the event loop runs a 10 ms timer, as a user feels it, from `fromMs` on.
class LatenessProbe
{
public:
    explicit LatenessProbe(qint64 fromMs = 0) : m_fromMs(fromMs)
    {
        m_since.start();
        m_running.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_running.elapsed() >= m_fromMs) {
                m_worstNs = std::max(m_worstNs, m_since.nsecsElapsed() - intervalMs * 1000000);
            }
            m_since.restart();
        });
        m_timer.start(intervalMs);
    }
    double worstMs() const { return static_cast<double>(m_worstNs) / 1e6; }

private:
    static constexpr qint64 intervalMs = 10;
    qint64 m_fromMs;
    qint64 m_worstNs = 0;
    QElapsedTimer m_since;
    QElapsedTimer m_running;
    QTimer m_timer;
};

// The resident memory of the process now, in MB.
double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0
                             : -1;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 scalar(Application& app, const QString& sql)
{
    QSqlQuery q;
    if (!app.database().exec(Store::Spots, sql, {}, &q) || !q.next()) {
        return -1;
    }
    return q.value(0).toLongLong();
}

// The settings file: home locator, the node, "Auto CLX?", "Log VHF spots to db?" and
// "Calc es?" ticked; the realistic case ticks "Log es to DB?" too.
void writeSettings(const QString& folder, quint16 port, Case what)
{
    QStringList settings(123);
    settings[9] = QStringLiteral("IO91WM");
    settings[10] = QStringLiteral("127.0.0.1");
    settings[11] = QString::number(port);
    settings[12] = QStringLiteral("G0ABC");
    settings[14] = QStringLiteral("True");
    settings[30] = QStringLiteral("True");
    settings[39] = QStringLiteral("True");
    if (what == Case::Realistic) {
        settings[40] = QStringLiteral("True");
    }
    QFile file(folder + QStringLiteral("/zenthra.dat"));
    file.open(QIODevice::WriteOnly);
    file.write(settings.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
}

void NodeToSpotTable(benchmark::State& state, Case what)
{
    const bool realistic = what == Case::Realistic;
    for (auto _ : state) {
        bench::BenchDatabase base;
        if (realistic && !fillCallTable(base)) {
            state.SkipWithError("could not fill the call/locator table");
            return;
        }
        StreamingNode node(streamTime(), what);
        writeSettings(base.dir.path(), node.port(), what);

        const double cpuBefore = cpuSeconds();
        Application app{DataFolder(base.dir.path())};
        MainWindow window(app);
        app.setView(&window);
        QElapsedTimer clock;
        clock.start();
        app.OPEN_ZENTHRA();
        if (!window.isVisible()) {
            state.SkipWithError("the main window is not shown");
            return;
        }
        const double startMb = residentMb();

        LatenessProbe probe;

        // Until every line sent is stored, or nothing more arrives for 10 s after the node stopped.
        // Rows are only added, so the highest rowid counts them without a scan.
        qint64 done = 0;
        double runMb = startMb;
        double seconds = 0;
        QElapsedTimer sinceProgress;
        sinceProgress.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            runMb = std::max(runMb, residentMb());
            const qint64 now = scalar(app, QStringLiteral("SELECT coalesce(max(rowid), 0) FROM tblAllSpots"));
            if (now > done) {
                done = now;
                sinceProgress.restart();
                seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            }
            if (node.finished() && (done >= node.sent() || sinceProgress.elapsed() > 10000)) {
                loop.quit();
            }
        });
        poll.start(100);
        loop.exec();
        if (seconds <= 0) {
            seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        }
        const double cpu = cpuSeconds() - cpuBefore;
        const qint64 stored = scalar(app, QStringLiteral("SELECT count(*) FROM tblAllSpots"));
        const qint64 mufRows = scalar(app, QStringLiteral("SELECT count(*) FROM tblSPOT"));
        const qint64 sent = node.sent();
        const double lateMs = probe.worstMs();
        state.SetIterationTime(seconds);
        state.counters["spots_per_s"] = static_cast<double>(stored) / seconds;
        state.counters["lost"] = static_cast<double>(sent - stored);
        state.counters["muf_rows"] = static_cast<double>(mufRows);
        state.counters["late_ms"] = lateMs;
        state.counters["run_MB"] = runMb;
        state.counters["cpu_share"] = cpu / seconds;
        app.CLOSE_ZENTHRA(Application::restartCode);
        std::printf(
            "\n%s, window shown (%s): %lld of %lld lines stored in %.1f s: %.0f spots/s (goal >= 5000 "
            "for 60 s), lost %lld, tblSPOT rows %lld, event loop late at most %.1f ms (goal <= 100), "
            "resident memory %.1f MB at start and at most %.1f MB (goal < 100 MB), CPU %.0f %% of one "
            "core (the node's thread included)\n",
            realistic ? "realistic (calls known, sporadic-E calculated and stored)"
                      : "light (no call/locator rows, sporadic-E not stored)",
            qPrintable(QGuiApplication::platformName()), stored, sent, seconds,
            static_cast<double>(stored) / seconds, sent - stored, mufRows, lateMs, startMb, runMb,
            100 * cpu / seconds);
    }
}
// While the database does not answer: a server that accepts connections and never answers, or a
// spots file on which another program holds a write transaction. The node streams as before; the
// spots wait. What counts is how late the event loop runs the 10 ms timer once the first 3 s of
// start-up have passed, as the window answers the user.
enum class Silence
{
    Server,
    HeldFile,
};

void NodeWithSilentDatabase(benchmark::State& state, Silence what)
{
    for (auto _ : state) {
        bench::BenchDatabase base;
        quint16 silentPort = 0;
        const int silent = listenOnLoopback(silentPort); // never accepts, so never answers
        const QString holderName = QStringLiteral("holder");
        std::optional<QSqlDatabase> holder;
        if (what == Silence::HeldFile) {
            base.db.OPEN_DATABASES(QStringLiteral("a"));
            base.db.CLOSE_DATABASES();
            holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), holderName);
            holder->setDatabaseName(base.dir.filePath(QStringLiteral("spots.sqlite")));
            if (!holder->open() || !QSqlQuery(*holder).exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                state.SkipWithError("could not hold the spots file");
                return;
            }
        }
        StreamingNode node(streamTime(), Case::Light);
        writeSettings(base.dir.path(), node.port(), Case::Light);
        if (what == Silence::Server) {
            QFile file(base.dir.filePath(QStringLiteral("zenthra.dat")));
            file.open(QIODevice::ReadOnly);
            QList<QByteArray> lines = file.readAll().split('\n');
            file.close();
            const QByteArray server[] = {"s\r", "127.0.0.1:" + QByteArray::number(silentPort) + '\r',
                                         "zenthra\r", "nobody\r", "\r"};
            for (int i = 0; i < 5; ++i) {
                lines[i] = server[i];
            }
            file.open(QIODevice::WriteOnly);
            file.write(lines.join('\n'));
        }

        QElapsedTimer clock;
        clock.start();
        Application app{DataFolder(base.dir.path())};
        MainWindow window(app);
        app.setView(&window);
        app.OPEN_ZENTHRA();

        constexpr qint64 settleMs = 3000;
        LatenessProbe probe(settleMs - clock.elapsed());
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(settleMs) + streamTime() + std::chrono::seconds(2),
                           &loop, &QEventLoop::quit);
        loop.exec();
        const double lateMs = probe.worstMs();
        const QString caption = app.status();
        state.counters["late_ms"] = lateMs;
        state.counters["waiting"] = static_cast<double>(app.spotProcessor().waitingSpots());
        std::printf("\n%s: %d lines sent, event loop late at most %.1f ms after the first 3 s (goal <= 500); "
                    "caption: %s\n",
                    what == Silence::Server ? "server that accepts and never answers"
                                            : "spots file held by another program",
                    node.sent(), lateMs, qPrintable(caption));
        if (holder) {
            QSqlQuery(*holder).exec(QStringLiteral("ROLLBACK"));
            holder->close();
            holder.reset();
            QSqlDatabase::removeDatabase(holderName);
        }
        app.CLOSE_ZENTHRA(Application::restartCode);
        ::close(silent);
    }
}
BENCHMARK_CAPTURE(NodeWithSilentDatabase, server, Silence::Server)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(NodeWithSilentDatabase, held_file, Silence::HeldFile)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

BENCHMARK_CAPTURE(NodeToSpotTable, light, Case::Light)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(NodeToSpotTable, realistic, Case::Realistic)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
