#include "websocketguard.h"

#include <QAbstractSocket>
#include <QSocketNotifier>
#include <QWebSocket>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

WebSocketGuard::WebSocketGuard(QWebSocket& socket, const Limits& limits, const QObject* transports)
    : QObject(&socket)
    , mSocket(socket)
    , mTcp(transportOf(socket, transports))
    , mLimits(limits)
    , mReader(limits.frames) {
    mSocket.setMaxAllowedIncomingFrameSize(quint64(limits.frames.maxFrame));
    mSocket.setMaxAllowedIncomingMessageSize(quint64(limits.frames.maxMessage));
    mSocket.setReadBufferSize(ReadBufferBytes);
    mCloseGrace.setSingleShot(true);
    mCloseGrace.setInterval(CloseGraceMs);
    connect(&mCloseGrace, &QTimer::timeout, &mSocket, &QWebSocket::abort);
    // A close the library starts by itself (on a protocol error) is held to
    // the same grace.
    connect(&mSocket, &QWebSocket::aboutToClose, &mCloseGrace, qOverload<>(&QTimer::start));
}

// The library does not show the TCP socket it reads from; it is the one with
// the same two ends.
QAbstractSocket* WebSocketGuard::transportOf(const QWebSocket& socket, const QObject* root) {
    QList<QAbstractSocket*> candidates = socket.findChildren<QAbstractSocket*>();
    if (root)
        candidates += root->findChildren<QAbstractSocket*>();
    for (QAbstractSocket* candidate : std::as_const(candidates)) {
        if (candidate->peerPort() == socket.peerPort() &&
            candidate->localPort() == socket.localPort() &&
            candidate->peerAddress() == socket.peerAddress() &&
            candidate->state() == QAbstractSocket::ConnectedState)
            return candidate;
    }
    return nullptr;
}

void WebSocketGuard::start() {
    QSocketNotifier* reads = nullptr;
    if (mTcp) {
        for (QSocketNotifier* notifier : mTcp->findChildren<QSocketNotifier*>()) {
            if (notifier->type() == QSocketNotifier::Read)
                reads = notifier;
        }
    }
    if (!reads) {
        breach(u"its connection could not be watched"_s);
        return;
    }
    // The library reads the socket as soon as it says data came: the scan
    // must come first. So the arrival of data is taken in hand here (see
    // eventFilter).
    reads->installEventFilter(this);
    mScanned = 0;
    scanNew(); // what came with the upgrade
}

// The socket reads from the system with its signals held back; the new bytes
// are scanned; only then is the library told of them (and of an end that
// came with them).
bool WebSocketGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::SockAct || !mTcp || mBreached)
        return QObject::eventFilter(watched, event);
    mScanned = mTcp->bytesAvailable(); // the library may have read since
    const QAbstractSocket::SocketState before = mTcp->state();
    {
        const QSignalBlocker held(mTcp.data());
        watched->event(event);
    }
    if (!mTcp)
        return true;
    const bool arrived = mTcp->bytesAvailable() > mScanned;
    if (!scanNew())
        return true;
    if (arrived) {
        Q_EMIT mTcp->readyRead();
        // The library may answer in a call of its own, queued before this one.
        QMetaObject::invokeMethod(this, &WebSocketGuard::checkOutput, Qt::QueuedConnection);
    }
    if (mTcp && mTcp->state() != before) {
        Q_EMIT mTcp->stateChanged(mTcp->state());
        if (mTcp && mTcp->state() == QAbstractSocket::UnconnectedState) {
            Q_EMIT mTcp->readChannelFinished();
            Q_EMIT mTcp->disconnected();
        }
    }
    return true;
}

bool WebSocketGuard::scanNew() {
    const qint64 available = mTcp->bytesAvailable();
    const qint64 fresh = available - mScanned;
    if (fresh <= 0)
        return true;
    const QByteArray buffered = mTcp->peek(available);
    const WebSocketFrameReader::Result result =
        mReader.feed(QByteArrayView(buffered).last(qsizetype(fresh)));
    mScanned = available;
    if (!result.breach.isEmpty()) {
        breach(result.breach);
        return false;
    }
    const auto pings =
        std::count_if(result.events.cbegin(), result.events.cend(), [](const auto& event) {
            return event.kind == WebSocketFrameReader::Event::Ping;
        });
    if (pings > 0 && !mPings.take(int(pings)))
        breach(PingWindow::breach());
    return !mBreached;
}

void WebSocketGuard::checkOutput() {
    if (!mBreached && mSocket.bytesToWrite() > mLimits.maxPendingOutput)
        breach(u"it did not read its answers (%1 bytes were waiting for it)"_s.arg(
            mSocket.bytesToWrite()));
}

void WebSocketGuard::close() {
    if (mSocket.bytesToWrite() > GracefulCloseBytes) {
        mSocket.abort();
        return;
    }
    mSocket.close();
}

void WebSocketGuard::breach(const QString& why) {
    if (mBreached)
        return;
    mBreached = true;
    Q_EMIT breached(why);
    mSocket.abort();
}
