#include "rawsocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

// Waits for `events` on fd until the deadline; the events that came, 0 when none.
short waitFor(int fd, short events, std::int64_t deadlineMs) {
    pollfd entry{fd, events, 0};
    const std::int64_t left = std::max<std::int64_t>(0, deadlineMs - nowMs());
    if (::poll(&entry, 1, int(std::min<std::int64_t>(left, 60'000))) <= 0)
        return 0;
    return entry.revents;
}

sockaddr_in loopback(const std::string& address, std::uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_pton(AF_INET, address.empty() ? "127.0.0.1" : address.c_str(), &where.sin_addr);
    return where;
}

} // namespace

RawSocket::RawSocket(RawSocket&& other) noexcept
    : mFd(std::exchange(other.mFd, -1)) {}

RawSocket& RawSocket::operator=(RawSocket&& other) noexcept {
    if (this != &other) {
        close();
        mFd = std::exchange(other.mFd, -1);
    }
    return *this;
}

RawSocket::~RawSocket() {
    close();
}

void RawSocket::close() {
    if (mFd >= 0)
        ::close(mFd);
    mFd = -1;
}

RawSocket RawSocket::connectTo(std::uint16_t port, const std::string& from, int waitMs,
                               int receiveBuffer) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return RawSocket();
    RawSocket socket(fd);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    if (!from.empty()) {
        const sockaddr_in local = loopback(from, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
            return RawSocket();
    }
    const sockaddr_in remote = loopback({}, port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0 &&
        errno != EINPROGRESS)
        return RawSocket();
    if (waitMs > 0) {
        if (!(waitFor(fd, POLLOUT, nowMs() + waitMs) & POLLOUT))
            return RawSocket();
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return RawSocket();
    }
    return socket;
}

bool RawSocket::send(std::string_view data, std::int64_t deadlineMs) {
    while (!data.empty() && mFd >= 0) {
        const ssize_t written = ::send(mFd, data.data(), data.size(), MSG_NOSIGNAL);
        if (written > 0) {
            data.remove_prefix(size_t(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        const short events = waitFor(mFd, POLLOUT, deadlineMs);
        if (!(events & POLLOUT) || (events & (POLLERR | POLLHUP)))
            return false;
    }
    return data.empty();
}

bool RawSocket::sendFill(char byte, std::uint64_t total, std::int64_t deadlineMs,
                         std::uint64_t* sent) {
    static constexpr std::size_t Block = 1 << 20;
    const std::string block(Block, byte);
    std::uint64_t done = 0;
    bool ok = true;
    while (done < total) {
        const std::size_t size = std::size_t(std::min<std::uint64_t>(Block, total - done));
        if (!send(std::string_view(block).substr(0, size), deadlineMs)) {
            ok = false;
            break;
        }
        done += size;
    }
    if (sent)
        *sent = done;
    return ok;
}

bool RawSocket::readSome(std::string& buffer, std::int64_t deadlineMs) {
    char chunk[65536];
    bool gotAny = false;
    for (;;) {
        const ssize_t got = ::recv(mFd, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer.append(chunk, size_t(got));
            gotAny = true;
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        if (gotAny || !(waitFor(mFd, POLLIN, deadlineMs) & (POLLIN | POLLHUP)))
            return true;
    }
}

bool RawSocket::readUntil(std::string& buffer, std::string_view marker, std::int64_t deadlineMs) {
    char chunk[65536];
    while (buffer.find(marker) == std::string::npos) {
        const ssize_t got = ::recv(mFd, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer.append(chunk, size_t(got));
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        if (!(waitFor(mFd, POLLIN, deadlineMs) & (POLLIN | POLLHUP)))
            return false;
    }
    return true;
}

bool RawSocket::peerClosed() {
    if (mFd < 0)
        return true;
    char byte;
    const ssize_t got = ::recv(mFd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}
