#include "webstation.h"

#include "scoreboard/scoreboardmessages.h"
#include "server/stationserver.h"
#include "shell/codepage1252.h"
#include "websocketguard.h"

WebStation::WebStation(std::unique_ptr<QWebSocket> socket, StationServer& server, QObject* parent)
    : QObject(parent)
    , mSocket(std::move(socket))
    , mServer(server) {
    connect(mSocket.get(), &QWebSocket::disconnected, this, &WebStation::ended);
    mConnection = mServer.attach(this, StationServer::addressText(mSocket->peerAddress()));
    if (mConnection == 0) {
        mSocket->abort();
        return;
    }
    mGuard = new WebSocketGuard(
        *mSocket, {{MaxFrameBytes, MaxMessageBytes, false}, mServer.maxPendingOutput()}, parent);
    connect(mGuard, &WebSocketGuard::breached, this, [this](const QString& why) {
        if (mConnection != 0)
            mServer.channelBreach(mConnection, why);
    });
    mGuard->start();
    connect(mSocket.get(), &QWebSocket::textMessageReceived, this, [this](const QString& message) {
        if (mConnection != 0)
            mServer.channelMessage(mConnection, message);
    });
}

WebStation::~WebStation() {
    if (mSocket)
        mSocket->disconnect(this);
    if (mConnection != 0)
        mServer.channelClosed(std::exchange(mConnection, 0));
}

void WebStation::sendMessage(const QString& text) {
    if (!mSocket || mSocket->state() != QAbstractSocket::ConnectedState)
        return;
    if (ScoreboardMessages::isAdFile(text))
        mSocket->sendBinaryMessage(Cp1252::encode(text));
    else
        mSocket->sendTextMessage(text);
}

void WebStation::close() {
    // The server has forgotten this connection already.
    mConnection = 0;
    if (mGuard)
        mGuard->close();
    else if (mSocket)
        mSocket->abort();
}

void WebStation::ended() {
    const ConnectionId connection = std::exchange(mConnection, 0);
    if (connection != 0)
        mServer.channelClosed(connection);
    Q_EMIT finished();
}
