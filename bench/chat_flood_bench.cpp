// The chat link as a user runs it (main window shown offscreen, the program's own event loop),
// fed by a chat node on loopback in a thread of its own:
// - a flood of 10,000 lines/s for a few seconds: the lines per second that reach the chat window
//   while it lasts, and how long after the node's last line the window has them all;
// - a burst of 300 one-line pieces in 0.6 s and then a channel-join prompt: how long the prompt
//   waits for its answer, which the login gives once the node has settled.

#include "links/telnet_link.h"
#include "loopback_listener.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "widgets_bench_main.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace zenthra;
using Steady = std::chrono::steady_clock;

namespace {

// A node that runs its script on the accepted connection in a thread of its own.
class ScriptedNode
{
public:
    explicit ScriptedNode(std::function<void(int peer)> script) : m_script(std::move(script))
    {
        m_listener = listenOnLoopback(m_port);
        m_thread = std::thread([this] {
            const int peer = ::accept(m_listener, nullptr, nullptr);
            const int one = 1;
            // Every send is a network piece of its own.
            ::setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            m_script(peer);
            while (!m_done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            ::close(peer);
        });
    }
    ~ScriptedNode()
    {
        m_done = true;
        m_thread.join();
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }

private:
    std::function<void(int)> m_script;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
};

void sendAll(int peer, const QByteArray& bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const ssize_t n = ::send(peer, bytes.constData() + at, static_cast<size_t>(bytes.size() - at), 0);
        if (n <= 0) {
            return;
        }
        at += n;
    }
}

// The program with its main window, its chat link pointed at the node and connected.
struct Program
{
    QTemporaryDir dir;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;

    explicit Program(quint16 port)
    {
        app = std::make_unique<Application>(DataFolder(dir.path()));
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
        app->OPEN_ZENTHRA();
        CurrentNode& node = app->options().nodes;
        node.strWwcHost = QStringLiteral("127.0.0.1");
        node.sngWwcPort = port;
        node.strWwcCallsign = QStringLiteral("G4ABC");
        node.strWwcConnectStr = QStringLiteral("/n G4ABC 144");
        app->links().wwc.WWC_CONNECT();
    }
    ~Program() { app->CLOSE_ZENTHRA(Application::restartCode); }

    // Runs the event loop until `done` holds or `ms` pass.
    static void runUntil(const std::function<bool()>& done, int ms)
    {
        QEventLoop loop;
        QTimer poll;
        QElapsedTimer spent;
        spent.start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done() || spent.elapsed() > ms) {
                loop.quit();
            }
        });
        poll.start(5);
        loop.exec();
    }
};

double msSince(Steady::time_point from, Steady::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void ChatFlood(benchmark::State& state)
{
    constexpr int linesPerSecond = 10000;
    constexpr int seconds = 3;
    constexpr int total = linesPerSecond * seconds;
    for (auto _ : state) {
        std::atomic<Steady::time_point::rep> lastSent{0};
        ScriptedNode node([&](int peer) {
            // A greeting first, so the login is over before the flood.
            sendAll(peer, "Welcome to the TEST convers node\r\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            const auto start = Steady::now();
            int sent = 0;
            // 10 lines a millisecond, each millisecond's lines one piece.
            for (int ms = 0; sent < total; ++ms) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(ms));
                QByteArray piece;
                for (int i = 0; i < linesPerSecond / 1000; ++i, ++sent) {
                    piece += "<G0XYZ>: line " + QByteArray::number(sent) +
                             " of the flood, about as long as chat is\r\n";
                }
                sendAll(peer, piece);
            }
            lastSent = Steady::now().time_since_epoch().count();
        });
        Program p(node.port());
        int shown = 0;
        Steady::time_point first{};
        Steady::time_point last{};
        QObject::connect(&p.app->links().wwc, &WwcLink::lineReceived, [&](const QString& line) {
            if (!line.startsWith(QLatin1String("<G0XYZ>: line "))) {
                return;
            }
            last = Steady::now();
            if (shown++ == 0) {
                first = last;
            }
        });
        Program::runUntil([&] { return shown >= total; }, 200000);
        const double spanMs = msSince(first, last);
        const double perSecond = spanMs > 0 ? shown * 1000.0 / spanMs : 0;
        const Steady::time_point nodeDone{Steady::duration(lastSent.load())};
        const double catchUpMs = lastSent.load() != 0 ? msSince(nodeDone, last) : -1;
        state.SetIterationTime(spanMs / 1000.0);
        state.counters["lines_shown_per_s"] = perSecond;
        state.counters["catch_up_ms"] = catchUpMs;
        state.counters["lost"] = total - shown;
        std::printf("\nchat flood of %d lines/s for %d s: %d of %d lines shown, %.0f lines/s shown, the last "
                    "%.0f ms after the node sent it\n",
                    linesPerSecond, seconds, shown, total, perSecond, catchUpMs);
    }
}
BENCHMARK(ChatFlood)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void JoinPromptAfterABurst(benchmark::State& state)
{
    constexpr int pieces = 300;
    for (auto _ : state) {
        std::atomic<Steady::time_point::rep> promptSent{0};
        std::atomic<Steady::time_point::rep> answered{0};
        ScriptedNode node([&](int peer) {
            sendAll(peer, "Welcome to the TEST convers node\r\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            const auto start = Steady::now();
            // 300 one-line pieces in 0.6 s.
            for (int i = 0; i < pieces; ++i) {
                std::this_thread::sleep_until(start + std::chrono::microseconds(i * 2000));
                sendAll(peer, "<G0XYZ>: burst line " + QByteArray::number(i) + "\r\n");
            }
            sendAll(peer, "Type /n <your call> <channel> to log on\r\n");
            promptSent = Steady::now().time_since_epoch().count();
            QByteArray got;
            timeval wait{0, 100000};
            ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            const auto giveUp = Steady::now() + std::chrono::seconds(120);
            while (!got.contains("/n G4ABC 144\r\n") && Steady::now() < giveUp) {
                char buf[512];
                const ssize_t n = ::recv(peer, buf, sizeof buf, 0);
                if (n > 0) {
                    got.append(buf, n);
                }
            }
            if (got.contains("/n G4ABC 144\r\n")) {
                answered = Steady::now().time_since_epoch().count();
            }
        });
        Program p(node.port());
        Program::runUntil([&] { return answered.load() != 0; }, 130000);
        const double delayMs = answered.load() != 0
                                   ? msSince(Steady::time_point(Steady::duration(promptSent.load())),
                                             Steady::time_point(Steady::duration(answered.load())))
                                   : -1;
        state.SetIterationTime(delayMs / 1000.0);
        state.counters["answer_ms"] = delayMs;
        // The join prompt asks nothing of the login, and the link cannot tell it from a pause in
        // the greeting before the login prompt (a pause is not a prompt): the answer waits until
        // the node has been quiet for TelnetLink::settleQuiet after its last text, the prompt, and
        // then goes at once. The second above it is what the burst may cost: its lines are
        // handled while the link waits, not after.
        constexpr int settled = TelnetLink::settleQuiet;
        std::printf(
            "\njoin prompt after a burst of %d one-line pieces in 0.6 s: answered %.0f ms after it was "
            "sent (goal: not before %d, the node settled, and under %d)\n",
            pieces, delayMs, settled, settled + 1000);
    }
}
BENCHMARK(JoinPromptAfterABurst)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
