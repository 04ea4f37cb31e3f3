#include "tcpstation.h"

#include "shell/codepage1252.h"
#include "stationserver.h"

#include <cerrno>

#include <sys/socket.h>

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
    // Nothing waits in the socket's own buffer, so what the kernel takes now
    // goes out in order: the bytes are handed to it at once. Writing through
    // the socket would switch its write notifier on and off again for every
    // message, and under a GLib event loop each switch wakes the loop.
    qsizetype sent = 0;
    if (mSocket->bytesToWrite() == 0) {
        const ssize_t written = ::send(int(mSocket->socketDescriptor()), bytes.constData(),
                                       size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written >= 0)
            sent = qsizetype(written);
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return true; // the connection is gone: reading it sees the end
    }
    // The rest waits in the socket's buffer for the kernel to take it.
    if (sent < bytes.size())
        mSocket->write(bytes.constData() + sent, bytes.size() - sent);
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
