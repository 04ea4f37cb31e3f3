// Feeds arbitrary WebSocket frames to the browser stations' endpoint of a
// running meet server: a real WebServer on 127.0.0.1 and one raw TCP connection
// that made the opening handshake. The input is a run of frames, each a head
// byte (see frameHead), a two-byte length and the payload, taken from what follows and repeated up
// to the length, so frames over the size limit, text that is not UTF-8, binary, control and
// continuation frames all reach the server. After the frames a ping goes out; the input ends with
// its pong or with the server closing the connection, which is opened again for the next input.
//
// An input that starts with "HTTP" goes to the web port's HTTP side instead, on a connection of
// its own: after those four bytes comes a run of pieces, each a kind byte, a two-byte count and
// the bytes that follow (see appendPiece): bytes as they are, bytes repeated to a large size
// (request lines, header fields and bodies far past the limits) or whole requests repeated (a
// pipeline). A last request with "Connection: close" follows; the input ends when the server has
// closed the connection.
#include "fuzzapp.h"
#include "fuzzmeet.h"
#include "web/webserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int WaitMs = 2000;

// Appends one client frame, masked (as a browser must) with a zero mask so the
// payload goes as it is. The payload is `source` repeated up to `length`
// bytes (none when `source` is empty), copied in place in doubling runs.
void appendFrame(QByteArray& out, quint8 head, QByteArrayView source, std::size_t length) {
    if (source.isEmpty())
        length = 0;
    out.append(char(head));
    if (length < 126) {
        out.append(char(0x80 | length));
    } else if (length <= 0xffff) {
        out.append(char(0x80 | 126));
        out.append(char(length >> 8));
        out.append(char(length & 0xff));
    } else {
        out.append(char(0x80 | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            out.append(char((quint64(length) >> shift) & 0xff));
    }
    out.append(4, '\0');
    const qsizetype start = out.size();
    out.resize(start + qsizetype(length));
    char* payload = out.data() + start;
    std::size_t filled = std::min(length, std::size_t(source.size()));
    std::memcpy(payload, source.data(), filled);
    while (filled < length) {
        const std::size_t run = std::min(filled, length - filled);
        std::memcpy(payload + filled, payload, run);
        filled += run;
    }
}

// Mostly well-formed heads, so most inputs keep the connection and reach the
// station protocol: the low three bits pick text, binary, continuation, ping,
// pong or close, or (7) take the byte itself as the head, any bits set.
quint8 frameHead(quint8 byte) {
    static constexpr quint8 Opcodes[] = {0x1, 0x1, 0x2, 0x0, 0x9, 0xa, 0x8};
    const int pick = byte & 0x7;
    return pick == 7 ? byte : quint8((byte & 0x80) | Opcodes[pick]);
}

// One piece of an HTTP input: `kind` (low two bits) picks bytes as they are,
// `source` repeated to `count` KiB (at most 1 MiB), or a request for `source`
// as its target repeated `count` times (at most 256); a Host of this server
// is given when bit 2 is set.
void appendPiece(QByteArray& out, quint8 kind, QByteArrayView source, std::size_t count,
                 quint16 port) {
    const QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(port) + "\r\n";
    switch (kind & 0x3) {
    case 0:
    case 3:
        out.append(source);
        break;
    case 1: {
        if (source.isEmpty())
            return;
        const qsizetype length = qsizetype(std::min<std::size_t>(count, 1024)) * 1024;
        const qsizetype start = out.size();
        out.resize(start + length);
        for (qsizetype i = 0; i < length; ++i)
            out[start + i] = source[i % source.size()];
        break;
    }
    case 2: {
        const QByteArray request = "GET /" + source.toByteArray() + " HTTP/1.1\r\n" +
                                   ((kind & 0x4) ? host : QByteArray("Host: h\r\n")) + "\r\n";
        for (std::size_t i = 0; i < std::min<std::size_t>(count, 256); ++i)
            out.append(request);
        break;
    }
    }
}

class WebHarness {
public:
    WebHarness() {
        if (!mWeb.listenOn(0)) {
            std::fprintf(stderr, "web: %s\n", qPrintable(mWeb.errorString()));
            std::abort();
        }
        QObject::connect(&mClient, &QTcpSocket::readyRead, &mClient,
                         [this] { mReceived += mClient.readAll(); });
    }

    FuzzMeet& meet() { return mMeet; }

    // Sends `frames` and a ping after them, and waits for its pong.
    void send(QByteArray& frames) {
        if (mClient.state() != QAbstractSocket::ConnectedState)
            open();
        const QByteArray marker = "fz" + QByteArray::number(++mPings);
        appendFrame(frames, 0x89, marker, std::size_t(marker.size()));
        mClient.write(frames);
        mClient.flush();
        waitFor([&] {
            return mClient.state() != QAbstractSocket::ConnectedState || pongArrived(marker);
        });
    }

    // Sends `bytes` to the HTTP side, then a request that ends the
    // connection, and waits until the server has closed it (or let it
    // through as a WebSocket).
    void sendHttp(QByteArray& bytes) {
        QTcpSocket client;
        QByteArray received;
        QObject::connect(&client, &QTcpSocket::readyRead, &client,
                         [&] { received += client.readAll(); });
        client.connectToHost(u"127.0.0.1"_s, mWeb.port());
        bytes += "GET /api/meet HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(mWeb.port()) +
                 "\r\nConnection: close\r\n\r\n";
        client.write(bytes);
        waitFor([&] {
            return client.state() == QAbstractSocket::UnconnectedState ||
                   received.contains("HTTP/1.1 101");
        });
        client.abort();
    }

    quint16 webPort() const { return mWeb.port(); }

private:
    // Opens the connection and makes the handshake.
    void open() {
        mClient.abort();
        mReceived.clear();
        mClient.connectToHost(u"127.0.0.1"_s, mWeb.port());
        mClient.write(
            "GET /station HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(mWeb.port()) +
            "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
            "Sec-WebSocket-Version: 13\r\n\r\n");
        waitFor([this] { return mReceived.contains("\r\n\r\n"); });
        if (!mReceived.startsWith("HTTP/1.1 101")) {
            std::fprintf(stderr, "handshake refused: %s\n", mReceived.constData());
            std::abort();
        }
        mReceived.remove(0, mReceived.indexOf("\r\n\r\n") + 4);
        // Frames go out at once, not held back until the last ones are acknowledged.
        mClient.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    // True when a pong with `marker` is among the frames received; frames
    // before it are dropped.
    bool pongArrived(const QByteArray& marker) {
        while (mReceived.size() >= 2) {
            const quint8 opcode = quint8(mReceived[0]) & 0x0f;
            quint64 length = quint8(mReceived[1]) & 0x7f;
            qsizetype at = 2;
            const int extra = length == 126 ? 2 : length == 127 ? 8 : 0;
            if (mReceived.size() < at + extra)
                return false;
            if (extra > 0) {
                length = 0;
                for (int i = 0; i < extra; ++i)
                    length = (length << 8) | quint8(mReceived[at + i]);
                at += extra;
            }
            if (quint64(mReceived.size() - at) < length)
                return false;
            const QByteArray payload = mReceived.mid(at, qsizetype(length));
            mReceived.remove(0, at + qsizetype(length));
            if (opcode == 0xa && payload == marker)
                return true;
        }
        return false;
    }

    // Runs the event loop until `done`; the server side of the connection
    // lives in this thread too.
    template <typename Done>
    void waitFor(Done done) {
        const QDeadlineTimer deadline(WaitMs);
        QTimer wake;
        wake.start(10);
        while (!done()) {
            if (deadline.hasExpired()) {
                std::fprintf(stderr, "no answer from the web server\n");
                std::abort();
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }

    FuzzMeet mMeet;
    WebServer mWeb{mMeet.meet().stations()};
    QTcpSocket mClient;
    QByteArray mReceived;
    quint64 mPings = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WebHarness& h = fuzzHarness<WebHarness>();
    if (size >= 4 && std::memcmp(data, "HTTP", 4) == 0) {
        QByteArray bytes;
        std::size_t at = 4;
        while (at + 3 <= size) {
            const quint8 kind = data[at];
            const std::size_t count = std::size_t(data[at + 1]) << 8 | data[at + 2];
            at += 3;
            // Bytes as they are take their count from what follows; the others a few bytes.
            const std::size_t length =
                std::min(size - at, (kind & 0x3) == 0 ? count : std::size_t(kind >> 3));
            appendPiece(bytes, kind,
                        QByteArrayView(reinterpret_cast<const char*>(data + at), qsizetype(length)),
                        count, h.webPort());
            at += length;
        }
        h.sendHttp(bytes);
        h.meet().restore();
        return 0;
    }
    QByteArray frames;
    std::size_t at = 0;
    while (at + 3 <= size) {
        const quint8 head = frameHead(data[at]);
        const std::size_t length = std::size_t(data[at + 1]) << 8 | data[at + 2];
        at += 3;
        // Lengths above 0x8000 stand for frames past the 64 KiB limit.
        const std::size_t wanted = length > 0x8000 ? 2 * length : length;
        const std::size_t available = std::min(size - at, wanted);
        appendFrame(frames, head,
                    QByteArrayView(reinterpret_cast<const char*>(data + at), qsizetype(available)),
                    wanted);
        at += available;
    }
    h.send(frames);
    h.meet().restore();
    return 0;
}
