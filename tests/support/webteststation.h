#pragma once

#include "stationprobe.h"

#include <QByteArray>
#include <QList>
#include <QWebSocket>

// A browser station for tests: a WebSocket to ws://127.0.0.1:PORT/station,
// which keeps the binary frames that come back too. It answers heartbeats
// unless told not to.
class WebTestStation : public StationProbe {
public:
    // `origin` is sent as the Origin header when not empty (what a browser does).
    explicit WebTestStation(quint16 port, const QString& origin = {}, QObject* parent = nullptr);

    QAbstractSocket::SocketState state() const override { return mSocket.state(); }
    void send(const QString& text) override { mSocket.sendTextMessage(text); }
    // The oldest binary frame not yet taken, waiting up to `timeoutMs` for one.
    QByteArray nextBinary(int timeoutMs = 5000);

    QWebSocket& socket() { return mSocket; }

private:
    QWebSocket mSocket;
    QList<QByteArray> mBinary;
};
