#include "webstation.h"

#include "server/stationframing.h"
#include "server/stationserver.h"
#include "websocketguard.h"

using namespace Qt::Literals::StringLiterals;

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
        if (mConnection == 0)
            return;
        if (StationFraming::holdsLineBreak(message))
            mServer.channelRefused(mConnection, u"it holds a line break"_s);
        else if (isBrowserReport(message))
            Q_EMIT browserReport(mConnection, message.split(u'|'));
        else
            mServer.channelMessage(mConnection, message);
    });
}

bool WebStation::isBrowserReport(const QString& message) {
    return message.startsWith(u"PADSTATE|"_s) || message.startsWith(u"REHEARSALOK|"_s) ||
           message.startsWith(u"BOARDLAYOUT|"_s);
}

WebStation::~WebStation() {
    if (mSocket)
        mSocket->disconnect(this);
    if (mConnection != 0)
        mServer.channelClosed(std::exchange(mConnection, 0));
}

// Held to the same limit as TCP; a text's length stands for its bytes.
bool WebStation::sendMessage(const QString& text, qint64 maxPending) {
    if (pendingOutput() + text.size() > maxPending)
        return false;
    if (mSocket && mSocket->state() == QAbstractSocket::ConnectedState)
        mSocket->sendTextMessage(text);
    return true;
}

bool WebStation::sendBytes(const QByteArray& message, qint64 maxPending) {
    if (pendingOutput() + message.size() > maxPending)
        return false;
    if (mSocket && mSocket->state() == QAbstractSocket::ConnectedState)
        mSocket->sendBinaryMessage(message);
    return true;
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
