#include "webstation.h"

#include "scoreboard/scoreboardmessages.h"
#include "server/stationserver.h"
#include "shell/codepage1252.h"

WebStation::WebStation(std::unique_ptr<QWebSocket> socket, StationServer& server, QObject* parent)
    : QObject(parent)
    , mSocket(std::move(socket))
    , mServer(server) {
    mSocket->setMaxAllowedIncomingFrameSize(MaxFrameBytes);
    mSocket->setMaxAllowedIncomingMessageSize(MaxFrameBytes);
    connect(mSocket.get(), &QWebSocket::disconnected, this, &WebStation::ended);
    mConnection = mServer.attach(this, StationServer::addressText(mSocket->peerAddress()));
    if (mConnection == 0) {
        mSocket->close(QWebSocketProtocol::CloseCodeGoingAway);
        return;
    }
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
    if (mSocket)
        mSocket->close();
}

void WebStation::ended() {
    const ConnectionId connection = std::exchange(mConnection, 0);
    if (connection != 0)
        mServer.channelClosed(connection);
    Q_EMIT finished();
}
