#pragma once

#include "pingwindow.h"
#include "websocketframereader.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QAbstractSocket;
class QWebSocket;

// Holds one client's WebSocket to its limits, whatever the client does:
// - frames and fragmented messages over their size, frames without a mask,
//   anything else against the protocol, and (where only control frames are
//   read) any message end it at once, seen in the raw bytes before the socket
//   library reads them;
// - the library answers every ping by itself: a client that pings more often
//   than a live page would is cut off;
// - what waits to be written (answers, pongs, the close frame) has a ceiling:
//   a client over it is cut off, not closed gracefully, since a graceful
//   close waits for a reader that may never come;
// - a graceful close that the client does not complete in a few seconds is
//   cut off too.
// Received bytes wait in the socket only up to a fixed amount.
class WebSocketGuard : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 ReadBufferBytes = 256 * 1024;
    static constexpr int CloseGraceMs = 5'000;
    // Up to this much still waiting, a close is graceful.
    static constexpr qint64 GracefulCloseBytes = 64 * 1024;

    struct Limits {
        WebSocketFrameReader::Limits frames;
        qint64 maxPendingOutput = 0;
    };

    // Guards `socket` for as long as it lives (a child of it). Its TCP
    // connection is looked for among the children of `transports` (the
    // server that accepted it) and of the socket itself.
    WebSocketGuard(QWebSocket& socket, const Limits& limits, const QObject* transports);
    // Starts watching: call once the breached signal is connected. A socket
    // whose TCP connection cannot be found is cut off.
    void start();

    // What may wait to be written; a station server may lower it.
    void setMaxPendingOutput(qint64 bytes) { mLimits.maxPendingOutput = bytes; }
    // Checks what waits to be written now (after a send).
    void checkOutput();
    // Ends the connection: gracefully with little waiting, else cut off.
    void close();

Q_SIGNALS:
    // The client broke a limit: `why` says how. The socket is cut off next.
    void breached(const QString& why);

private:
    static QAbstractSocket* transportOf(const QWebSocket& socket, const QObject* root);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Scans what came since the last scan; false when it broke a limit.
    bool scanNew();
    void breach(const QString& why);

    QWebSocket& mSocket;
    QPointer<QAbstractSocket> mTcp;
    Limits mLimits;
    // Reads the client's frames ahead of the library. It keeps a copy of what
    // it lets through: for a listener, control frames of 125 bytes at most.
    WebSocketFrameReader mReader;
    // Received bytes in the socket's buffer that the reader has seen; the
    // library takes them from the front when it reads.
    qint64 mScanned = 0;
    PingWindow mPings;
    QTimer mCloseGrace;
    bool mBreached = false;
};
