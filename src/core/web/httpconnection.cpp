#include "httpconnection.h"

#include "server/stationserver.h"

#include <QTcpSocket>

HttpConnection::HttpConnection(QTcpSocket* socket, Respond respond, const Limits& limits,
                               QObject* parent)
    : QObject(parent)
    , mSocket(socket)
    , mRespond(std::move(respond))
    , mLimits(limits)
    , mAddress(StationServer::addressText(socket->peerAddress())) {
    mSocket->setParent(this);
    // Qt reads no more than this from the network until it is taken: a head
    // at its longest fits, and a client whose answers wait is held back.
    mSocket->setReadBufferSize(HttpRequestParser::MaxHead + 4);
    // Without it, a reply larger than one segment waits for the client's
    // delayed acknowledgement (some 40 ms) on a kept-alive connection.
    mSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    mDeadline.setSingleShot(true);
    connect(&mDeadline, &QTimer::timeout, this, &HttpConnection::expired);
    connect(mSocket, &QTcpSocket::readyRead, this, &HttpConnection::readRequests);
    connect(mSocket, &QTcpSocket::bytesWritten, this, [this] {
        if (mClosing)
            return;
        // An answer is being taken: the client is alive.
        if (!mHeadStarted)
            mDeadline.start(mLimits.idleTimeoutMs);
        if (!outputFull())
            readRequests();
    });
    connect(mSocket, &QTcpSocket::disconnected, this, &HttpConnection::end);
    // The first head is due within the head time, as every later one.
    mHeadStarted = true;
    mDeadline.start(mLimits.headTimeoutMs);
    if (mSocket->bytesAvailable() > 0)
        readRequests();
}

qint64 HttpConnection::pendingOutput() const {
    return mSocket ? mSocket->bytesToWrite() : 0;
}

bool HttpConnection::outputFull() const {
    return mSocket->bytesToWrite() >= mLimits.maxPendingOutput;
}

void HttpConnection::readRequests() {
    while (!mClosing && !mEnded && !outputFull()) {
        const qint64 available = mSocket->bytesAvailable();
        if (available == 0)
            return;
        const QByteArray bytes =
            mSocket->peek(std::min<qint64>(available, HttpRequestParser::MaxHead + 4));
        const HttpRequestParser::Result head = HttpRequestParser::parse(bytes, mScanned);
        switch (head.status) {
        case HttpRequestParser::Status::Incomplete:
            mScanned = bytes.size();
            if (!mHeadStarted) {
                mHeadStarted = true;
                mDeadline.start(mLimits.headTimeoutMs);
            }
            return;
        case HttpRequestParser::Status::TooLong:
            refuse(431, "The request is too long.\n");
            return;
        case HttpRequestParser::Status::Bad:
            refuse(400, "The request is not understood.\n");
            return;
        case HttpRequestParser::Status::Complete:
            break;
        }
        mScanned = 0;
        mHeadStarted = false;
        HttpRequest request = head.request;
        request.address = mAddress;
        if (request.hasBody()) {
            refuse(413, "No request here takes a body.\n");
            return;
        }
        const HttpReply reply = mRespond(request);
        if (reply.upgrade) {
            mDeadline.stop();
            mSocket->disconnect(this);
            // What follows the head is the WebSocket's: read it as it comes.
            mSocket->setReadBufferSize(0);
            QTcpSocket* socket = std::exchange(mSocket, nullptr);
            socket->setParent(nullptr);
            mEnded = true;
            Q_EMIT upgraded(socket, request.url().path());
            Q_EMIT finished();
            return;
        }
        mSocket->skip(head.size);
        const bool closing = !request.keepsAlive();
        mSocket->write(reply.serialized(request.isHead(), closing));
        mDeadline.start(mLimits.idleTimeoutMs);
        if (closing) {
            closeAfterWriting();
            return;
        }
    }
}

void HttpConnection::refuse(int status, const QByteArray& text) {
    mSocket->write(HttpReply::text(status, text).serialized(false, true));
    closeAfterWriting();
}

void HttpConnection::closeAfterWriting() {
    mClosing = true;
    // What the client sends from now on is not read.
    mSocket->disconnect(this);
    connect(mSocket, &QTcpSocket::disconnected, this, &HttpConnection::end);
    // A client that does not take the last answer is not waited for long.
    mDeadline.start(mLimits.idleTimeoutMs);
    mSocket->disconnectFromHost();
}

void HttpConnection::expired() {
    if (mSocket)
        mSocket->abort();
    end();
}

void HttpConnection::end() {
    if (mEnded)
        return;
    mEnded = true;
    mDeadline.stop();
    Q_EMIT finished();
}
