// The whole program fed by a DX-cluster node on loopback: a node streams spot lines as fast as
// TCP allows; timed from the first byte sent to the last row stored in tblAllSpots, with the
// peak memory of the process. 100,000 lines unless ZENTHRA_BENCH_LINES says otherwise.

#include "shell/application.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace zenthra;

namespace {

int lineCount()
{
    const int n = qEnvironmentVariableIntValue("ZENTHRA_BENCH_LINES");
    return n > 0 ? n : 100000;
}

// A node in a thread of its own, so it writes as fast as the program lets TCP take it.
class StreamingNode
{
public:
    explicit StreamingNode(QByteArray text) : m_text(std::move(text))
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        ::listen(m_listener, 1);
        m_thread = std::thread([this] { serve(); });
    }
    ~StreamingNode()
    {
        m_done = true;
        m_thread.join();
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }

private:
    void serve()
    {
        const int peer = ::accept(m_listener, nullptr, nullptr);
        for (qsizetype at = 0; at < m_text.size();) {
            const ssize_t n =
                ::send(peer, m_text.constData() + at, static_cast<size_t>(m_text.size() - at), 0);
            if (n <= 0) {
                break;
            }
            at += n;
        }
        while (!m_done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(peer);
    }

    QByteArray m_text;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
};

int stored(Application& app)
{
    QSqlQuery q;
    if (!app.database().exec(Store::Spots, QStringLiteral("SELECT COUNT(*) FROM tblAllSpots"), {}, &q) ||
        !q.next()) {
        return -1;
    }
    return q.value(0).toInt();
}

void NodeToSpotTable(benchmark::State& state)
{
    const int count = lineCount();
    QByteArray text;
    static const char* modes[] = {"FT8 Es", "tropo", "MS", "AU", "CW"};
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("DX de G%1ABC:     50%2.0  CT%3       %4 IN50 JN59              2110Z\a\a\r\n")
                    .arg(i % 10)
                    .arg(100 + i % 800)
                    .arg(i, 6, 10, QLatin1Char('0'))
                    .arg(QLatin1String(modes[i % 5]))
                    .toLatin1();
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        StreamingNode node(text);
        QStringList settings(123);
        settings[9] = QStringLiteral("IO91WM");
        settings[10] = QStringLiteral("127.0.0.1");
        settings[11] = QString::number(node.port());
        settings[12] = QStringLiteral("G0ABC");
        settings[14] = QStringLiteral("True");
        settings[30] = QStringLiteral("True");
        settings[39] = QStringLiteral("True");
        QFile file(dir.filePath(QStringLiteral("zenthra.dat")));
        file.open(QIODevice::WriteOnly);
        file.write(settings.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
        file.close();

        Application app{DataFolder(dir.path())};
        QElapsedTimer clock;
        clock.start();
        app.OPEN_ZENTHRA();
        int done = 0;
        while (done < count && clock.elapsed() < 600000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            static int polls = 0;
            if (++polls % 64 == 0) {
                done = stored(app);
            }
        }
        done = stored(app);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["spots_per_s"] = done / seconds;
        state.counters["lost"] = count - done;
        state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        app.CLOSE_ZENTHRA(Application::restartCode);
        std::printf("\nnode to tblAllSpots: %d of %d lines stored in %.2f s: %.0f spots/s (goal >= 5000), "
                    "lost %d, peak memory %.1f MB (goal < 150 MB)\n",
                    done, count, seconds, done / seconds, count - done,
                    static_cast<double>(usage.ru_maxrss) / 1024.0);
    }
}
BENCHMARK(NodeToSpotTable)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
