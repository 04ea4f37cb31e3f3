// tallvane-loadgen: the stations of the network benchmarks, in a process of
// their own, written straight on the sockets (epoll, no Qt) so that the client
// costs far less than any server it measures.
//
//   tallvane-loadgen --port P --stations N --trips T [--login TEXT] [--message TEXT]
//       N connections each send the log-in line (every "%n" replaced by the
//       station's number), wait for its answer, then keep one message in flight
//       until T answers have arrived; the server's "HEARTBEAT|" messages are
//       answered as stations do. Prints one line of figures:
//       "stations=N trips=T seconds=S rate=R p50us=A p99us=B".
//   tallvane-loadgen --echo
//       The reference server: answers every received line with "BEATRESPONSE",
//       nothing else. Prints "Listening on 127.0.0.1:PORT"; runs until killed.
//       The load generator against it shows the generator's own ceiling.
//
// Exit status: 0 done, 1 a connection failed, 2 wrong arguments, 3 a log-in
// was refused.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* Answer = "BEATRESPONSE\n";

struct Options {
    bool echo = false;
    int port = 0;
    int stations = 1;
    long trips = 10000;
    std::string login = "DISPLAYAUTH|Load %n|3917|all";
    std::string message = "CLIENTBEAT";
};

[[noreturn]] void usage() {
    std::fputs("usage: tallvane-loadgen --port P --stations N --trips T [--login TEXT] "
               "[--message TEXT]\n       tallvane-loadgen --echo\n",
               stderr);
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage();
            return argv[++i];
        };
        if (arg == "--echo")
            options.echo = true;
        else if (arg == "--port")
            options.port = std::atoi(value().c_str());
        else if (arg == "--stations")
            options.stations = std::atoi(value().c_str());
        else if (arg == "--trips")
            options.trips = std::atol(value().c_str());
        else if (arg == "--login")
            options.login = value();
        else if (arg == "--message")
            options.message = value();
        else
            usage();
    }
    if (!options.echo && (options.port <= 0 || options.stations <= 0 || options.trips <= 0))
        usage();
    return options;
}

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

int runEcho() {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 512) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("tallvane-loadgen: echo");
        return 1;
    }
    std::printf("Listening on 127.0.0.1:%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    const int poller = ::epoll_create1(0);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = listener;
    ::epoll_ctl(poller, EPOLL_CTL_ADD, listener, &event);
    std::vector<epoll_event> ready(256);
    std::string answers;
    char buffer[65536];
    for (;;) {
        const int count = ::epoll_wait(poller, ready.data(), int(ready.size()), -1);
        for (int i = 0; i < count; ++i) {
            const int fd = ready[size_t(i)].data.fd;
            if (fd == listener) {
                const int connection = ::accept(listener, nullptr, nullptr);
                if (connection < 0)
                    continue;
                const int one = 1;
                ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                event.data.fd = connection;
                ::epoll_ctl(poller, EPOLL_CTL_ADD, connection, &event);
                continue;
            }
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fd);
                continue;
            }
            answers.clear();
            for (ssize_t b = 0; b < n; ++b) {
                if (buffer[b] == '\n')
                    answers += Answer;
            }
            if (!answers.empty() && !writeAll(fd, answers.data(), answers.size()))
                ::close(fd);
        }
    }
}

struct Station {
    int fd = -1;
    bool loggedIn = false;
    long long sentAt = 0;
    std::string partial;
};

// Reads what one station received and hands each complete line (without its
// line end) to `onLine`, answering the server's own heartbeats as a station
// does. False when the connection ended or `onLine` said to stop.
template <typename OnLine>
bool readLines(Station& station, char* buffer, size_t size, OnLine&& onLine) {
    const ssize_t n = ::read(station.fd, buffer, size);
    if (n <= 0) {
        std::fputs("tallvane-loadgen: the server closed a connection\n", stderr);
        return false;
    }
    station.partial.append(buffer, size_t(n));
    size_t start = 0;
    for (size_t end; (end = station.partial.find('\n', start)) != std::string::npos;
         start = end + 1) {
        if (station.partial.compare(start, 10, "HEARTBEAT|") == 0) {
            const std::string reply = station.partial.substr(start, end + 1 - start);
            if (!writeAll(station.fd, reply.data(), reply.size()))
                return false;
            continue;
        }
        if (!onLine(station.partial.substr(start, end - start)))
            return false;
    }
    station.partial.erase(0, start);
    return true;
}

// Waits up to 10 s for stations with something to read and hands each line
// they received to `onLine(station, line)`. False when nothing came in time
// (saying what was awaited) or a station's reading stopped.
template <typename OnLine>
bool readReady(int poller, std::vector<epoll_event>& ready, std::vector<Station>& stations,
               char* buffer, size_t size, const char* awaited, OnLine&& onLine) {
    const int count = ::epoll_wait(poller, ready.data(), int(ready.size()), 10000);
    if (count <= 0) {
        std::fprintf(stderr, "tallvane-loadgen: no %s for 10 s\n", awaited);
        return false;
    }
    for (int r = 0; r < count; ++r) {
        Station& station = stations[ready[size_t(r)].data.u64];
        if (!readLines(station, buffer, size,
                       [&](const std::string& line) { return onLine(station, line); }))
            return false;
    }
    return true;
}

// Stations log in a group at a time: the server lets one address hold only
// so many connections that have not logged in yet, and here every station
// comes from 127.0.0.1. Returns 0, or the exit status.
int logIn(const Options& options, std::vector<Station>& stations, int poller, char* buffer,
          size_t size) {
    constexpr size_t Group = 16;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(options.port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<epoll_event> ready(Group);
    for (size_t first = 0; first < stations.size(); first += Group) {
        const size_t last = std::min(stations.size(), first + Group);
        for (size_t i = first; i < last; ++i) {
            Station& station = stations[i];
            station.fd = ::socket(AF_INET, SOCK_STREAM, 0);
            if (station.fd < 0 ||
                ::connect(station.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                std::perror("tallvane-loadgen: connect");
                return 1;
            }
            const int one = 1;
            ::setsockopt(station.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.u64 = i;
            ::epoll_ctl(poller, EPOLL_CTL_ADD, station.fd, &event);
            const std::string login = replaceAll(options.login, "%n", std::to_string(i + 1)) + "\n";
            if (!writeAll(station.fd, login.data(), login.size()))
                return 1;
        }
        size_t waiting = last - first;
        bool refused = false;
        const auto answered = [&](Station& station, const std::string& line) {
            if (line.compare(0, 10, "AUTHRESP|1") == 0) {
                std::fprintf(stderr, "tallvane-loadgen: log-in refused: %s\n", line.c_str());
                refused = true;
                return false;
            }
            if (!station.loggedIn) {
                station.loggedIn = true;
                --waiting;
            }
            return true;
        };
        while (waiting > 0) {
            if (!readReady(poller, ready, stations, buffer, size, "log-in answer", answered))
                return refused ? 3 : 1;
        }
    }
    return 0;
}

int runLoad(const Options& options) {
    std::vector<Station> stations(size_t(options.stations));
    const int poller = ::epoll_create1(0);
    char buffer[65536];
    if (const int status = logIn(options, stations, poller, buffer, sizeof buffer); status != 0)
        return status;

    const std::string message = options.message + "\n";
    std::vector<long long> latencies;
    latencies.reserve(size_t(options.trips));
    long sent = 0;
    const auto send = [&](Station& station) {
        if (sent >= options.trips)
            return true;
        ++sent;
        station.sentAt = nowNs();
        return writeAll(station.fd, message.data(), message.size());
    };

    const long long started = nowNs();
    for (Station& each : stations) {
        if (!send(each))
            return 1;
    }
    std::vector<epoll_event> ready(stations.size());
    const auto answered = [&](Station& station, const std::string&) {
        latencies.push_back(nowNs() - station.sentAt);
        return send(station);
    };
    while (long(latencies.size()) < options.trips) {
        if (!readReady(poller, ready, stations, buffer, sizeof buffer, "answer", answered))
            return 1;
    }
    const double seconds = double(nowNs() - started) / 1e9;
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&latencies](double q) {
        return double(latencies[size_t(q * double(latencies.size() - 1))]) / 1000.0;
    };
    std::printf("stations=%d trips=%zu seconds=%.3f rate=%.0f p50us=%.1f p99us=%.1f\n",
                options.stations, latencies.size(), seconds, double(latencies.size()) / seconds,
                at(0.50), at(0.99));
    for (const Station& station : stations)
        ::close(station.fd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    return options.echo ? runEcho() : runLoad(options);
}
