#include "attacks.h"

#include "rawsocket.h"
#include "websocketframes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>
#include <utility>

namespace {

using Frames = WebSocketFrames::Opcode;
constexpr std::uint64_t MiB = 1 << 20;

std::string mib(std::uint64_t bytes) {
    char text[32];
    if (bytes >= MiB)
        std::snprintf(text, sizeof text, "%.0f MiB", double(bytes) / double(MiB));
    else
        std::snprintf(text, sizeof text, "%.0f KiB", double(bytes) / 1024.0);
    return text;
}

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Reads and drops what the server sends until the deadline; false once it
// has closed the connection.
bool heldUntil(RawSocket& socket, std::int64_t deadlineMs) {
    std::string discard;
    while (nowMs() < deadlineMs) {
        discard.clear();
        if (!socket.readSome(discard, std::min(deadlineMs, nowMs() + 200)))
            return false;
    }
    return true;
}

// True when the server has closed the connection; what it sent is dropped.
bool closedByServer(RawSocket& socket) {
    std::string discard;
    return !socket.isOpen() || !socket.readSome(discard, nowMs());
}

// What became of a connection that was to carry `total` bytes after its
// head: a send that failed before the deadline met a closed connection.
std::string outcome(RawSocket& socket, bool sentAll, std::uint64_t sent, std::uint64_t total,
                    std::int64_t deadlineMs) {
    if (!socket.isOpen())
        return "no connection";
    if (sentAll)
        return "all " + mib(total) +
               (heldUntil(socket, deadlineMs) ? " taken, connection held"
                                              : " taken, then closed by the server");
    return (nowMs() < deadlineMs ? "closed by the server after "
                                 : "server stopped reading after ") +
           mib(sent);
}

// One connection to `port` that sends `head`, then `total` bytes of `fill`,
// then `tail`, and holds the connection until the deadline.
std::string stream(std::uint16_t port, const std::string& head, char fill, std::uint64_t total,
                   const std::string& tail, std::int64_t deadlineMs) {
    RawSocket socket = RawSocket::connectTo(port, {}, 2000);
    std::uint64_t sent = 0;
    const bool all = socket.isOpen() && socket.send(head, deadlineMs) &&
                     socket.sendFill(fill, total, deadlineMs, &sent) &&
                     socket.send(tail, deadlineMs);
    return outcome(socket, all, sent, total, deadlineMs);
}

std::string host(std::uint16_t port) {
    return "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
}

std::string requestLine(const AttackTarget& t, std::int64_t deadline) {
    return stream(t.webPort, "GET /", 'a', 50 * MiB, " HTTP/1.1\r\n\r\n", deadline);
}

std::string header(const AttackTarget& t, std::int64_t deadline) {
    return stream(t.webPort, "GET /results HTTP/1.1\r\n" + host(t.webPort) + "X-Junk: ", 'h',
                  50 * MiB, "\r\n\r\n", deadline);
}

std::string body(const AttackTarget& t, std::int64_t deadline) {
    return stream(t.webPort,
                  "POST /api/results HTTP/1.1\r\n" + host(t.webPort) +
                      "Content-Length: 209715200\r\n\r\n",
                  'b', 200 * MiB, {}, deadline);
}

std::string hugeContentLength(const AttackTarget& t, std::int64_t deadline) {
    return stream(t.webPort,
                  "POST /api/results HTTP/1.1\r\n" + host(t.webPort) +
                      "Content-Length: 4611686018427387904\r\n\r\n",
                  'b', 64 * MiB, {}, deadline);
}

std::string chunked(const AttackTarget& t, std::int64_t deadline) {
    RawSocket socket = RawSocket::connectTo(t.webPort, {}, 2000);
    bool ok = socket.isOpen() && socket.send("POST /api/results HTTP/1.1\r\n" + host(t.webPort) +
                                                 "Transfer-Encoding: chunked\r\n\r\n",
                                             deadline);
    std::uint64_t sent = 0;
    for (int chunk = 0; ok && chunk < 100; ++chunk) {
        std::uint64_t part = 0;
        ok = socket.send("100000\r\n", deadline) && socket.sendFill('c', MiB, deadline, &part) &&
             socket.send("\r\n", deadline);
        sent += part;
    }
    ok = ok && socket.send("0\r\n\r\n", deadline);
    return outcome(socket, ok, sent, 100 * MiB, deadline);
}

std::string pipelined(const AttackTarget& t, std::int64_t deadline) {
    RawSocket socket = RawSocket::connectTo(t.webPort, {}, 2000, 4096);
    const std::string request = "GET /results HTTP/1.1\r\n" + host(t.webPort) + "\r\n";
    std::string requests;
    while (requests.size() < 920 * 1024)
        requests += request;
    const bool all = socket.isOpen() && socket.send(requests, deadline);
    // The answers are never read.
    while (nowMs() < deadline)
        pause(100);
    return all ? "all " + mib(requests.size()) + " of requests sent, answers never read"
               : "server stopped reading the requests";
}

// The idle connections are all open this long before the attack ends, and
// the judge logs in meanwhile.
constexpr int IdleHeldMs = 3000;

std::string idleConnections(const AttackTarget& t, std::int64_t deadline) {
    // One after the other, each connected before the next: a burst would
    // only overflow the listening queue and connect seconds later.
    std::vector<RawSocket> idle;
    std::size_t open = 0;
    // Each asks for a page, as a browser does before it keeps the connection.
    const std::string request = "GET /api/meet HTTP/1.1\r\n" + host(t.webPort) + "\r\n";
    for (int i = 0; i < 1100 && nowMs() < deadline - IdleHeldMs; ++i) {
        // From 20 addresses, so that the limit per address is not what stops them.
        idle.push_back(
            RawSocket::connectTo(t.webPort, "127.0.2." + std::to_string(1 + i % 20), 300));
        open += idle.back().isOpen() && idle.back().send(request, nowMs() + 300) ? 1 : 0;
    }
    while (nowMs() < deadline)
        pause(100);
    std::size_t closed = 0;
    for (RawSocket& socket : idle)
        closed += socket.isOpen() && closedByServer(socket) ? 1 : 0;
    return std::to_string(open) + " opened, " + std::to_string(closed) + " closed by the server";
}

std::string hugeFrame(const AttackTarget& t, std::int64_t deadline) {
    RawSocket socket = RawSocket::connectTo(t.webPort, {}, 2000);
    if (!socket.isOpen() || !WebSocketFrames::open(socket, t.webPort, "/updates", deadline))
        return "upgrade refused";
    std::uint64_t sent = 0;
    const bool all = socket.send(WebSocketFrames::frameHead(Frames::Binary, 300 * MiB), deadline) &&
                     socket.sendFill('f', 300 * MiB, deadline, &sent);
    return outcome(socket, all, sent, 300 * MiB, deadline);
}

// Pings with the longest payload a control frame may carry, never reading
// the pongs; logged in first when `login` is not empty.
std::string pings(const AttackTarget& t, const char* path, const std::string& login,
                  std::int64_t deadline) {
    RawSocket socket = RawSocket::connectTo(t.webPort, {}, 2000, 4096);
    if (!socket.isOpen() || !WebSocketFrames::open(socket, t.webPort, path, deadline))
        return "upgrade refused";
    if (!login.empty()) {
        std::string buffer;
        std::string answer;
        if (!socket.send(WebSocketFrames::frame(Frames::Text, login), deadline) ||
            !WebSocketFrames::readText(socket, buffer, answer, deadline) ||
            answer.rfind("AUTHRESP|0", 0) != 0)
            return "log-in refused: " + answer;
    }
    std::string batch;
    for (int i = 0; i < 512; ++i)
        batch += WebSocketFrames::frame(Frames::Ping, std::string(125, 'p'));
    std::uint64_t sent = 0;
    bool failed = false;
    while (nowMs() < deadline && sent < 4'000'000 && !failed) {
        failed = !socket.send(batch, deadline);
        sent += failed ? 0 : 512;
    }
    const char* ending = !failed              ? ", connection held"
                         : nowMs() < deadline ? ", then closed by the server"
                                              : ", then the server stopped reading";
    return std::to_string(sent / 1000) + "k pings sent" + ending;
}

std::string stationSlots(const AttackTarget& t, std::int64_t deadline) {
    struct Holder {
        std::string from;
        bool web;
        RawSocket socket;
    };
    std::vector<Holder> holders;
    const auto open = [&t](Holder& h) {
        h.socket = RawSocket::connectTo(h.web ? t.webPort : t.tcpPort, h.from, 1000);
        if (h.web && h.socket.isOpen())
            h.socket.send(WebSocketFrames::upgradeRequest(t.webPort, "/station"), nowMs() + 1000);
    };
    for (int i = 0; i < 256; ++i) {
        holders.push_back({"127.0.0." + std::to_string(2 + i / 32), i % 2 == 1, {}});
        open(holders.back());
    }
    int reopened = 0;
    while (nowMs() < deadline && reopened < 4000) {
        pause(250);
        for (Holder& h : holders) {
            if (closedByServer(h.socket)) {
                open(h);
                ++reopened;
            }
        }
    }
    return "256 held from 8 addresses, " + std::to_string(reopened) +
           " dropped by the server and opened again";
}

std::string pinGuesses(const AttackTarget& t, std::int64_t deadline) {
    const std::string wrong = t.pin == "0000" ? "1111" : "0000";
    struct Guess {
        RawSocket socket;
        std::int64_t until;
        std::string answer;
    };
    std::deque<Guess> waiting;
    int sent = 0;
    int answered = 0;
    std::int64_t next = nowMs();
    // 250 addresses, 5 wrong PINs each a minute: one every 48 ms in all.
    while (nowMs() < deadline || !waiting.empty()) {
        if (nowMs() >= next && nowMs() < deadline) {
            next += 48;
            Guess guess{
                RawSocket::connectTo(t.tcpPort, "127.0.1." + std::to_string(1 + sent % 250), 500),
                nowMs() + 3000,
                {}};
            guess.socket.send("JUDGEAUTH|Vault|Guess|" + wrong + "|1|1\n", nowMs() + 500);
            waiting.push_back(std::move(guess));
            ++sent;
        }
        for (auto it = waiting.begin(); it != waiting.end();) {
            const bool open = it->socket.isOpen() && it->socket.readSome(it->answer, nowMs());
            const bool done = it->answer.find('\n') != std::string::npos;
            answered += done ? 1 : 0;
            it = (done || !open || nowMs() >= it->until) ? waiting.erase(it) : it + 1;
        }
        pause(5);
    }
    return std::to_string(sent) + " wrong PINs from 250 addresses, " + std::to_string(answered) +
           " answered";
}

// A judge station holding the PIN, logged in on the station port in line
// mode; closed when refused.
RawSocket loggedInJudge(const AttackTarget& t, const std::string& login, std::int64_t deadline) {
    RawSocket socket = RawSocket::connectTo(t.tcpPort, {}, 2000);
    std::string answer;
    if (!socket.isOpen() || !socket.send(login + "\n", deadline) ||
        !socket.readUntil(answer, "\n", deadline) || answer.rfind("AUTHRESP|0", 0) != 0)
        socket.close();
    return socket;
}

// Alerts whose text comes from the station: SENDSCORE for an unknown gymnast
// whose number is as long as a station may send. That is 8 MiB asked; the
// station port reads lines of at most 1 MiB and the browser stations' socket
// frames of 64 KiB, so each message is just under 1 MiB, on the station port.
std::string hugeAlerts(const AttackTarget& t, std::int64_t deadline) {
    const std::string login = "JUDGEAUTH|Floor|Alerts|" + t.pin + "|1|4";
    const std::string tail = "|4|1|Floor|9.1|9.2|9.3|9.0||||10|0|9.15|9.150|0\n";
    const std::uint64_t number = std::min<std::uint64_t>(8 * MiB, MiB - 1024);
    RawSocket socket;
    int sent = 0;
    int logins = 0;
    while (sent < 40 && nowMs() < deadline && logins < 40) {
        if (!socket.isOpen()) {
            socket = loggedInJudge(t, login, deadline);
            ++logins;
            if (!socket.isOpen())
                continue;
        }
        if (socket.send("SENDSCORE|", deadline) && socket.sendFill('7', number, deadline) &&
            socket.send(tail, deadline))
            ++sent;
        else
            socket.close();
    }
    heldUntil(socket, deadline);
    return std::to_string(sent) + " alerts of " + mib(number) + " sent over " +
           std::to_string(logins) + " log-in(s)";
}

std::string junkQueries(const AttackTarget& t, std::int64_t deadline) {
    int answered = 0;
    int refused = 0;
    for (int i = 0; i < 40 && nowMs() < deadline; ++i) {
        RawSocket socket = RawSocket::connectTo(t.webPort, {}, 2000);
        std::string answer;
        const bool sent =
            socket.isOpen() &&
            socket.send("GET /api/results?session=1&junk" + std::to_string(i) + "=", deadline) &&
            socket.sendFill('j', 4 * MiB, deadline) &&
            socket.send(" HTTP/1.1\r\n" + host(t.webPort) + "\r\n", deadline) &&
            socket.readUntil(answer, "\r\n\r\n", std::min(deadline, nowMs() + 2000));
        (sent && answer.compare(0, 12, "HTTP/1.1 200") == 0 ? answered : refused) += 1;
    }
    return std::to_string(answered) + " answered, " + std::to_string(refused) + " refused";
}

} // namespace

std::vector<Attack> attacks() {
    return {
        {"50 MiB request line", requestLine},
        {"50 MiB header", header},
        {"200 MiB body", body},
        {"Content-Length 2^62", hugeContentLength},
        {"100 MiB chunked body", chunked},
        {"0.9 MiB of pipelined requests, never read", pipelined},
        {"1,100 idle connections from 20 addresses", idleConnections, AttackMs - IdleHeldMs + 500},
        {"one 300 MiB frame on /updates", hugeFrame},
        {"pings never read on /updates",
         [](const AttackTarget& t, std::int64_t d) {
             return pings(t, "/updates", {}, d);
         }},
        {"pings never read on /station, not logged in",
         [](const AttackTarget& t, std::int64_t d) {
             return pings(t, "/station", {}, d);
         }},
        {"pings never read on /station, logged in",
         [](const AttackTarget& t, std::int64_t d) {
             return pings(t, "/station", "DISPLAYAUTH|Probe pings|" + t.pin + "|all", d);
         }},
        {"256 station connections not logged in, 8 addresses", stationSlots},
        {"250 addresses x 5 wrong PINs a minute", pinGuesses},
        {"40 alerts of 8 MiB (1 MiB: a station line's most)", hugeAlerts},
        {"40 results queries with 4 MiB of junk", junkQueries},
    };
}
