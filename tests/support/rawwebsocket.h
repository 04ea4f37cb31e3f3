#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>

// A WebSocket client that writes frames byte by byte as the test says, right
// or wrong (unmasked, oversized, fragmented, pings without end), over a plain
// TCP socket to 127.0.0.1. It may stop reading what the server sends.
class RawWebSocket : public QObject {
    Q_OBJECT

public:
    static constexpr quint8 Continuation = 0x0;
    static constexpr quint8 Text = 0x1;
    static constexpr quint8 Binary = 0x2;
    static constexpr quint8 Ping = 0x9;

    // Connects from `from` (any address of 127.0.0.0/8) and asks for `path`.
    RawWebSocket(quint16 port, const QString& path,
                 const QHostAddress& from = QHostAddress::LocalHost, QObject* parent = nullptr);

    // Waits for the server's "101 Switching Protocols".
    bool waitUpgraded(int timeoutMs = 5000);
    bool waitDisconnected(int timeoutMs = 5000);
    // Waits until what was received holds `bytes`.
    bool waitReceived(const QByteArray& bytes, int timeoutMs = 5000);
    bool isConnected() const { return mSocket.state() == QAbstractSocket::ConnectedState; }

    // One frame: its header announces `announced` payload bytes (the payload's
    // own length when negative); masked as a client must, unless told not to.
    static QByteArray frame(quint8 opcode, const QByteArray& payload, bool masked = true,
                            bool final = true, qint64 announced = -1);
    void write(const QByteArray& bytes) { mSocket.write(bytes); }
    // Stops taking what the server sends: it waits in the kernel's buffers
    // and then in the server.
    void stopReading();
    // The text frames received (unmasked server frames, whole in one read or not).
    QByteArray received() const { return mReceived; }

    QTcpSocket& socket() { return mSocket; }

private:
    QTcpSocket mSocket;
    QByteArray mReceived;
    bool mUpgraded = false;
    bool mReading = true;
};
