#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>

// A client that writes bytes as the test says, right or wrong, over a plain
// TCP socket to a port of 127.0.0.1, and keeps what comes back. Given a path,
// it first asks the web port for a WebSocket there; its frames are then built
// by the test too (unmasked, oversized, fragmented, pings without end). It may
// stop reading what the server sends.
class RawClient : public QObject {
public:
    static constexpr quint8 Continuation = 0x0;
    static constexpr quint8 Text = 0x1;
    static constexpr quint8 Binary = 0x2;
    static constexpr quint8 Ping = 0x9;

    // Connects from `from` (any address of 127.0.0.0/8).
    explicit RawClient(quint16 port, const QString& webSocketPath = {},
                       const QHostAddress& from = QHostAddress::LocalHost);

    // Waits for the server's "101 Switching Protocols".
    bool waitUpgraded(int timeoutMs = 5000);
    bool waitClosed(int timeoutMs = 5000);
    // Waits until what was received holds `bytes`.
    bool waitReceived(const QByteArray& bytes, int timeoutMs = 5000);
    bool connected() const { return mSocket.state() == QAbstractSocket::ConnectedState; }
    // The status code of the `index`th HTTP answer (0 when it did not come).
    int status(int index = 0);

    // One frame: its header announces `announced` payload bytes (the payload's
    // own length when negative); masked as a client must, unless told not to.
    static QByteArray frame(quint8 opcode, const QByteArray& payload, bool masked = true,
                            bool final = true, qint64 announced = -1);
    void send(const QByteArray& bytes) { mSocket.write(bytes); }
    // Not reading, what the server sends waits in the kernel's buffers and
    // then in the server; reading again takes it all.
    void setReading(bool reading);
    // What was received; after an upgrade, the server's frames alone.
    const QByteArray& received() const { return mReceived; }

    QTcpSocket& socket() { return mSocket; }

private:
    QTcpSocket mSocket;
    QByteArray mReceived;
    bool mUpgrading;
    bool mUpgraded = false;
    bool mReading = true;
};
