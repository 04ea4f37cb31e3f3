#include "tcpstation.h"

#include "sendatonce.h"
#include "shell/codepage1252.h"
#include "stationserver.h"

using namespace Qt::Literals::StringLiterals;

TcpStation::TcpStation(std::unique_ptr<QTcpSocket> socket, qsizetype maxPending,
                       StationServer& server)
    : QObject(&server)
    , mSocket(std::move(socket))
    , mFraming(maxPending)
    , mMaxPending(maxPending)
    , mServer(server) {
    mSocket->setParent(nullptr);
    mSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Reading stops at the limit until the pending bytes are taken, so one
    // read never holds more than a connection may have pending.
    mSocket->setReadBufferSize(maxPending);
}

void TcpStation::start(ConnectionId connection) {
    mConnection = connection;
    connect(mSocket.get(), &QTcpSocket::readyRead, this, &TcpStation::read);
    connect(mSocket.get(), &QTcpSocket::disconnected, this, &TcpStation::ended);
    connect(mSocket.get(), &QTcpSocket::bytesWritten, this, [this] {
        if (mConnection != 0)
            mServer.channelWritten(mConnection);
    });
    if (mSocket->bytesAvailable() > 0)
        read();
}

void TcpStation::read() {
    if (mConnection == 0)
        return;
    const StationFraming::Result result = mFraming.feed(mSocket->readAll());
    for (const QByteArray& message : result.messages) {
        mServer.channelMessage(mConnection, Cp1252::decode(message));
        // A handler may have ended this connection (or the whole server).
        if (mConnection == 0)
            return;
    }
    if (result.overflow) {
        const ConnectionId connection = mConnection;
        mServer.channelBreach(connection,
                              u"it sent more than %1 bytes without a line end"_s.arg(mMaxPending));
        mServer.channelClosed(connection);
    }
}

bool TcpStation::sendMessage(const QString& text, qint64 maxPending) {
    return sendBytes(Cp1252::encode(text), maxPending);
}

bool TcpStation::sendEncoded(const QString& text, const QByteArray& cp1252, qint64 maxPending) {
    Q_UNUSED(text);
    return sendBytes(cp1252, maxPending);
}

bool TcpStation::sendBytes(const QByteArray& message, qint64 maxPending) {
    if (mSocket->state() != QAbstractSocket::ConnectedState)
        return true;
    const QByteArray bytes = mFraming.frame(message);
    if (mSocket->bytesToWrite() + bytes.size() > maxPending)
        return false;
    sendAtOnce(*mSocket, bytes);
    return true;
}

void TcpStation::close() {
    // The server has forgotten this connection already.
    mConnection = 0;
    mSocket->disconnect(this);
    mSocket->abort();
    deleteLater();
}

void TcpStation::ended() {
    const ConnectionId connection = std::exchange(mConnection, 0);
    if (connection != 0)
        mServer.channelClosed(connection);
}
