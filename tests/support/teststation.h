#pragma once

#include "stationprobe.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>

// A station for tests on TCP to the server on 127.0.0.1, from `from` (any
// address of 127.0.0.0/8). In line mode messages are LF-terminated both ways;
// in legacy mode every read is taken as one message.
class TestStation : public StationProbe {
public:
    explicit TestStation(quint16 port, bool lineMode = true,
                         const QHostAddress& from = QHostAddress::LocalHost);

    QAbstractSocket::SocketState state() const override { return mSocket.state(); }
    void send(const QString& text) override;
    void sendRaw(const QByteArray& bytes);

    QTcpSocket& socket() { return mSocket; }

private:
    void readAvailable();

    QTcpSocket mSocket;
    bool mLineMode;
    QByteArray mPartial;
};
