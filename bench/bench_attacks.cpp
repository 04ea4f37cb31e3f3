// Hostile guests on the gym's network: attacks run in turn against one
// `tallvane serve` over loopback (open-file limit 1024, as the shipped
// service gets). For each, the server's memory growth above its working set
// (the peak resident set during the attack) and how long a judge with the
// right PIN takes to log in meanwhile, on the station port and on the web
// `/station` WebSocket. The floors are the working set and the log-in times
// of the same server before any attack. Goals: growth at most 64 MiB, log-in
// within 2 s. Every attack is bounded in what it sends and in time; the
// whole probe takes about three minutes and stops by itself.

#include "attacks/attacks.h"
#include "attacks/rawsocket.h"
#include "attacks/servedmeet.h"
#include "attacks/websocketframes.h"
#include "residentmemory.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

constexpr int LoginWaitMs = 5000; // a log-in slower than this counts as failed
constexpr double GrowthGoalMiB = 64;
constexpr double LoginGoalMs = 2000;

// How a judge's log-in went: its time in milliseconds, or why it failed.
struct Login {
    double ms = -1;
    std::string failure;
    std::string text() const {
        char shown[64];
        std::snprintf(shown, sizeof shown, "%.0f ms", ms);
        return ms >= 0 ? shown : failure;
    }
};

// A judge of a different event or number each time, so that no log-in is
// refused for a name still logged in.
std::string nextJudge(const std::string& pin) {
    static int n = 0;
    static const char* const Events[] = {"Vault", "Bars", "Beam", "Floor"};
    const int k = n++;
    return std::string("JUDGEAUTH|") + Events[k % 4] + "|Probe judge|" + pin + "|1|" +
           std::to_string(k / 4 % 3 + 1);
}

Login judgeOverTcp(const AttackTarget& target) {
    const std::int64_t start = nowMs();
    const std::int64_t deadline = start + LoginWaitMs;
    RawSocket socket = RawSocket::connectTo(target.tcpPort, {}, LoginWaitMs);
    std::string answer;
    if (!socket.isOpen())
        return {-1, "no connection"};
    if (!socket.send(nextJudge(target.pin) + "\n", deadline) ||
        !socket.readUntil(answer, "\n", deadline))
        return {-1, "no answer"};
    if (answer.rfind("AUTHRESP|0", 0) != 0)
        return {-1, "refused"};
    return {double(nowMs() - start), {}};
}

Login judgeOverWeb(const AttackTarget& target) {
    const std::int64_t start = nowMs();
    const std::int64_t deadline = start + LoginWaitMs;
    RawSocket socket = RawSocket::connectTo(target.webPort, {}, LoginWaitMs);
    std::string buffer;
    std::string answer;
    if (!socket.isOpen())
        return {-1, "no connection"};
    if (!WebSocketFrames::open(socket, target.webPort, "/station", deadline))
        return {-1, "no upgrade"};
    if (!socket.send(WebSocketFrames::frame(WebSocketFrames::Text, nextJudge(target.pin)),
                     deadline) ||
        !WebSocketFrames::readText(socket, buffer, answer, deadline))
        return {-1, "no answer"};
    if (answer.rfind("AUTHRESP|0", 0) != 0)
        return {-1, "refused"};
    return {double(nowMs() - start), {}};
}

// The peak resident set of a process while it runs, sampled every 20 ms.
class PeakMemory {
public:
    explicit PeakMemory(qint64 pid)
        : mThread([this, pid] {
            while (!mStop) {
                const qint64 kib = residentKiB(pid);
                mPeakKiB = std::max<qint64>(mPeakKiB, kib);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }) {}
    ~PeakMemory() {
        mStop = true;
        mThread.join();
    }
    double peakMiB() const { return double(mPeakKiB) / 1024.0; }

private:
    std::atomic<bool> mStop{false};
    std::atomic<qint64> mPeakKiB{0};
    std::thread mThread;
};

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string number(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The goal table's rows: memory above the working set, and the log-in.
void printGoals(const std::string& attack, double growthMiB, double workingMiB, const Login& tcp,
                const Login& web, double idleLoginMs) {
    const bool memoryMet = growthMiB <= GrowthGoalMiB;
    std::printf(
        "goal | attack: %s, server memory | %s | %s working set | %.2f | ≤ +%.0f MiB | %s\n",
        attack.c_str(), number("%+.0f MiB", growthMiB).c_str(),
        number("%.0f MiB", workingMiB).c_str(), (workingMiB + growthMiB) / workingMiB,
        GrowthGoalMiB, memoryMet ? "met" : "NOT met");
    const bool failed = tcp.ms < 0 || web.ms < 0;
    const double slowest = failed ? LoginWaitMs : std::max(tcp.ms, web.ms);
    const bool loginMet = !failed && slowest <= LoginGoalMs;
    std::printf("goal | attack: %s, judge log-in | TCP %s, web %s | %s idle | %.2f | ≤ %.0f ms | "
                "%s\n",
                attack.c_str(), tcp.text().c_str(), web.text().c_str(),
                number("%.0f ms", idleLoginMs).c_str(), slowest / std::max(1.0, idleLoginMs),
                LoginGoalMs, loginMet ? "met" : "NOT met");
}

// The operator alerts the server printed: how many, and the longest.
void printAlerts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    qint64 lines = 0;
    qint64 longest = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(64 * 1024);
        ++lines;
        longest = std::max<qint64>(longest, line.size());
    }
    std::printf("Operator alerts printed on standard error: %lld lines, the longest %lld%s "
                "characters.\n",
                static_cast<long long>(lines), static_cast<long long>(longest),
                longest >= 64 * 1024 - 1 ? " or more" : "");
}

// Lets the probe hold 1,100 connections of its own.
void raiseOwnFileLimit() {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    raiseOwnFileLimit();
    const std::int64_t started = nowMs();

    ServedMeet server;
    if (!server.start()) {
        std::fprintf(stderr, "bench_attacks: %s\n", qPrintable(server.error()));
        return 1;
    }
    const AttackTarget target{server.tcpPort(), server.webPort(), server.pin().toStdString()};

    // The working set: the server after stations logged in and the pages and
    // results were served once.
    Login idleTcp = judgeOverTcp(target);
    Login idleWeb = judgeOverWeb(target);
    for (const char* path : {"/results", "/api/results?session=1", "/judge"}) {
        RawSocket socket = RawSocket::connectTo(target.webPort, {}, 2000);
        std::string answer;
        socket.send(std::string("GET ") + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
                    nowMs() + 2000);
        socket.readUntil(answer, "\r\n\r\n", nowMs() + 2000);
    }
    pause(1000);
    idleTcp = judgeOverTcp(target);
    idleWeb = judgeOverWeb(target);
    const double workingMiB = double(residentKiB(server.pid())) / 1024.0;
    const double idleLoginMs = std::max(idleTcp.ms, idleWeb.ms);
    std::printf("Attacks in turn on one `tallvane serve` over loopback (open-file limit 1024), "
                "%d s each.\n",
                AttackMs / 1000);
    std::printf("Working set %.0f MiB; a judge's log-in with no attack: TCP %s, web %s.\n\n",
                workingMiB, idleTcp.text().c_str(), idleWeb.text().c_str());
    // "before" is the resident set as the attack began: memory an earlier
    // attack left behind counts against the next one too.
    std::printf("%-52s %9s %10s %10s %10s %5s  %s\n", "attack", "growth", "before", "log-in TCP",
                "log-in web", "CPU", "what became of it");

    int unmet = 0;
    for (const Attack& attack : attacks()) {
        if (!server.isRunning()) {
            std::printf("(the server had stopped; started again)\n");
            if (!server.start())
                return 1;
        }
        const AttackTarget now{server.tcpPort(), server.webPort(), target.pin};
        const double beforeMiB = double(residentKiB(server.pid())) / 1024.0;
        const qint64 cpuBefore = server.cpuMs();
        std::string outcome;
        Login tcp;
        Login web;
        double peakMiB = 0;
        {
            PeakMemory peak(server.pid());
            const std::int64_t deadline = nowMs() + AttackMs;
            std::thread attacker([&] { outcome = attack.run(now, deadline); });
            pause(attack.loginAfterMs);
            tcp = judgeOverTcp(now);
            web = judgeOverWeb(now);
            attacker.join();
            peakMiB = peak.peakMiB();
        }
        const double cpu = double(server.cpuMs() - cpuBefore) / double(AttackMs) * 100.0;
        const double growth = peakMiB - workingMiB;
        std::printf("%-52s %+5.0f MiB %6.0f MiB %10s %10s %4.0f%%  %s\n", attack.name, growth,
                    beforeMiB, tcp.text().c_str(), web.text().c_str(), cpu, outcome.c_str());
        printGoals(attack.name, growth, workingMiB, tcp, web, idleLoginMs);
        unmet += growth > GrowthGoalMiB || tcp.ms < 0 || web.ms < 0 || tcp.ms > LoginGoalMs ||
                 web.ms > LoginGoalMs;
        std::fflush(stdout);
        pause(1000); // the server lets go of the attack's connections
    }
    std::printf("\n");
    server.stop();
    printAlerts(server.alertsFile());
    std::printf("%d of %zu attacks outside their goals; the probe took %lld s.\n", unmet,
                attacks().size(), static_cast<long long>((nowMs() - started) / 1000));
    return 0;
}
