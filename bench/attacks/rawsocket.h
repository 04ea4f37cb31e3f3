#pragma once

// A TCP connection over loopback as an attacker holds it: plain POSIX calls,
// each bounded by a deadline, so that the probe controls exactly what is sent
// and what is never read.

#include <cstdint>
#include <string>
#include <string_view>

// Milliseconds on a steady clock.
std::int64_t nowMs();

class RawSocket {
public:
    RawSocket() = default;
    RawSocket(RawSocket&& other) noexcept;
    RawSocket& operator=(RawSocket&& other) noexcept;
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;
    ~RawSocket();

    // Connects from `from` (an address of 127.0.0.0/8; "127.0.0.1" when empty)
    // to 127.0.0.1:port. With `waitMs` 0 it returns at once, connected or
    // connecting; otherwise it waits that long for the connection. A receive
    // buffer (bytes, 0 for the system's) is set before connecting, so a small
    // one also keeps the advertised window small.
    static RawSocket connectTo(std::uint16_t port, const std::string& from, int waitMs,
                               int receiveBuffer = 0);

    bool isOpen() const { return mFd >= 0; }
    int fd() const { return mFd; }
    void close();

    // Sends all of `data` before the deadline; false when the peer closed the
    // connection or the deadline passed first.
    bool send(std::string_view data, std::int64_t deadlineMs);
    // Sends `total` bytes of `byte`, the same way.
    bool sendFill(char byte, std::uint64_t total, std::int64_t deadlineMs,
                  std::uint64_t* sent = nullptr);
    // Appends what arrives to `buffer` until it holds `marker` or the deadline;
    // false when the marker did not come (closed, or too late).
    bool readUntil(std::string& buffer, std::string_view marker, std::int64_t deadlineMs);
    // Appends what has arrived, waiting until the deadline when nothing has;
    // false once the peer has closed.
    bool readSome(std::string& buffer, std::int64_t deadlineMs);
    // True when the peer has closed the connection (checked without waiting).
    bool peerClosed();

private:
    explicit RawSocket(int fd)
        : mFd(fd) {}

    int mFd = -1;
};
