#pragma once

#include "httpreply.h"
#include "httprequest.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QTcpSocket;

// One client of the web port, speaking HTTP/1.x: requests are read one head
// at a time, within the parser's limits, and answered in order. Every breach
// closes the connection: a head too long, malformed or not complete within
// headTimeoutMs, a request with a body (nothing here takes one), a client
// silent for idleTimeoutMs between requests or not reading its answers for as
// long. While more than maxPendingOutput waits to be written, no further
// request is read (and the socket's buffer, once full, stops the client).
// "Connection: close" and HTTP/1.0 without keep-alive end it after the answer.
class HttpConnection : public QObject {
    Q_OBJECT

public:
    struct Limits {
        int headTimeoutMs = 10000;
        int idleTimeoutMs = 30000;
        qint64 maxPendingOutput = 8 * 1024 * 1024;
    };
    using Respond = std::function<HttpReply(const HttpRequest&)>;

    // Takes `socket` (as its child) and starts reading.
    HttpConnection(QTcpSocket* socket, Respond respond, const Limits& limits,
                   QObject* parent = nullptr);

    // The client's address, as the socket had it when accepted.
    const QString& address() const { return mAddress; }
    // Answers waiting to be written, in bytes.
    qint64 pendingOutput() const;

Q_SIGNALS:
    // The connection has ended; its owner may delete it.
    void finished();
    // An answer let a WebSocket opening to `path` through: `socket` (no longer
    // a child of this object, its opening head still unread) is the
    // receiver's to own.
    void upgraded(QTcpSocket* socket, const QString& path);

private:
    void readRequests();
    bool outputFull() const;
    void refuse(int status, const QByteArray& text);
    void closeAfterWriting();
    void expired();
    void end();

    QTcpSocket* mSocket;
    Respond mRespond;
    Limits mLimits;
    QString mAddress;
    QTimer mDeadline;
    qsizetype mScanned = 0;    // bytes of an unfinished head already searched
    bool mHeadStarted = false; // an unfinished head is waiting; its deadline runs
    bool mClosing = false;
    bool mEnded = false;
};
