#include "webstation.h"

#include "server/stationframing.h"
#include "server/stationserver.h"
#include "websocketframes.h"

#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace {

constexpr quint16 NormalClosure = 1000;

// Ends the connection at once: what waits for the client, in this process and
// in the system's buffers, is dropped and the client told by a reset, not
// left to take the rest first (it may never read it).
void cutOff(QTcpSocket& socket) {
#ifdef Q_OS_UNIX
    const linger drop{1, 0};
    if (socket.socketDescriptor() >= 0)
        ::setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &drop, sizeof drop);
#endif
    socket.abort();
}

} // namespace

WebStation::WebStation(std::unique_ptr<QTcpSocket> socket, QByteArrayView key,
                       StationServer& server, QObject* parent)
    : QObject(parent)
    , mSocket(std::move(socket))
    , mServer(server) {
    mSocket->setParent(nullptr);
    mSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Reading stops at the limit until the frames are taken: a client cannot
    // make the server hold more than that and one message.
    mSocket->setReadBufferSize(ReadBufferBytes);
    mCloseGrace.setSingleShot(true);
    mCloseGrace.setInterval(CloseGraceMs);
    connect(&mCloseGrace, &QTimer::timeout, mSocket.get(), &QTcpSocket::abort);
    connect(mSocket.get(), &QTcpSocket::disconnected, this, &WebStation::ended);
    write(WebSocketFrames::opening(key));
    mConnection = mServer.attach(this, StationServer::addressText(mSocket->peerAddress()));
    if (mConnection == 0) {
        mSocket->abort();
        return;
    }
    connect(mSocket.get(), &QTcpSocket::readyRead, this, &WebStation::read);
    connect(mSocket.get(), &QTcpSocket::bytesWritten, this, [this] {
        if (mConnection != 0)
            mServer.channelWritten(mConnection);
    });
    if (mSocket->bytesAvailable() > 0)
        read();
}

WebStation::~WebStation() {
    mSocket->disconnect(this);
    if (mConnection != 0)
        mServer.channelClosed(std::exchange(mConnection, 0));
}

bool WebStation::isBrowserReport(const QString& message) {
    return message.startsWith(u"PADSTATE|"_s) || message.startsWith(u"REHEARSALOK|"_s) ||
           message.startsWith(u"BOARDLAYOUT|"_s);
}

void WebStation::read() {
    if (mCut)
        return;
    const WebSocketFrameReader::Result result = mReader.feed(mSocket->readAll());
    for (const WebSocketFrameReader::Event& event : result.events) {
        take(event);
        // A handler may have ended this connection.
        if (mCut)
            return;
    }
    if (!result.breach.isEmpty())
        breach(result.breach);
}

void WebStation::take(const WebSocketFrameReader::Event& event) {
    switch (event.kind) {
    case WebSocketFrameReader::Event::Text:
        if (mConnection != 0 && !mCloseSent)
            message(event.text);
        return;
    case WebSocketFrameReader::Event::Binary:
        return;
    case WebSocketFrameReader::Event::Ping:
        if (!mPings.take())
            breach(PingWindow::breach());
        else if (!mCloseSent)
            write(WebSocketFrames::control(WebSocketFrames::Pong, event.bytes));
        if (!mCut && mSocket->bytesToWrite() > mServer.maxPendingOutput())
            breach(u"it did not read its answers (%1 bytes were waiting for it)"_s.arg(
                mSocket->bytesToWrite()));
        return;
    case WebSocketFrameReader::Event::Close:
        // The client ends the connection: its close is answered (unless ours
        // went first) and the connection ends once the answer is written.
        if (!mCloseSent)
            write(WebSocketFrames::control(WebSocketFrames::Close,
                                           event.bytes.first(qMin(event.bytes.size(), 2))));
        mCloseSent = true;
        mSocket->disconnectFromHost();
        return;
    }
}

void WebStation::message(const QString& text) {
    if (StationFraming::holdsLineBreak(text))
        mServer.channelRefused(mConnection, u"it holds a line break"_s);
    else if (isBrowserReport(text))
        Q_EMIT browserReport(mConnection, text.split(u'|'));
    else
        mServer.channelMessage(mConnection, text);
}

void WebStation::write(const QByteArray& frame) {
    mSocket->write(frame);
    mSocket->flush();
}

bool WebStation::sendMessage(const QString& text, qint64 maxPending) {
    return sendFrame(WebSocketFrames::text(text), maxPending);
}

bool WebStation::sendBytes(const QByteArray& message, qint64 maxPending) {
    return sendFrame(WebSocketFrames::binary(message), maxPending);
}

// Held to the same limit as TCP: what waits plus the whole frame.
bool WebStation::sendFrame(const QByteArray& frame, qint64 maxPending) {
    if (mSocket->state() != QAbstractSocket::ConnectedState || mCloseSent)
        return true;
    if (mSocket->bytesToWrite() + frame.size() > maxPending)
        return false;
    write(frame);
    return true;
}

void WebStation::close() {
    // The server has forgotten this connection already.
    mConnection = 0;
    if (mCloseSent || mCut)
        return;
    if (mSocket->state() != QAbstractSocket::ConnectedState ||
        mSocket->bytesToWrite() > GracefulCloseBytes) {
        // A graceful close would wait for a reader that may never come.
        mCut = true;
        cutOff(*mSocket);
        return;
    }
    QByteArray code(2, Qt::Uninitialized);
    qToBigEndian<quint16>(NormalClosure, code.data());
    write(WebSocketFrames::control(WebSocketFrames::Close, code));
    mCloseSent = true;
    mCloseGrace.start();
}

void WebStation::breach(const QString& why) {
    if (mCut)
        return;
    mCut = true;
    if (mConnection != 0)
        mServer.channelBreach(mConnection, why);
    cutOff(*mSocket);
}

void WebStation::ended() {
    mCloseGrace.stop();
    const ConnectionId connection = std::exchange(mConnection, 0);
    if (connection != 0)
        mServer.channelClosed(connection);
    Q_EMIT finished();
}
