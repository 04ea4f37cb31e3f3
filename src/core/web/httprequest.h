#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

// One HTTP/1.x request head as a client sent it: method, target, version and
// header fields (names in lower case, values trimmed, in their order).
class HttpRequest {
public:
    QByteArray method;
    QByteArray target;
    int minorVersion = 1; // HTTP/1.0 or HTTP/1.1
    QList<QPair<QByteArray, QByteArray>> headers;
    QString address; // the client's, as the connection has it

    // The target as a URL (path and query).
    QUrl url() const { return QUrl(QString::fromLatin1(target)); }
    // The first value of the header `name` (lower case), empty when absent.
    QByteArray value(QByteArrayView name) const;
    bool hasHeader(QByteArrayView name) const;
    bool isHead() const { return method == "HEAD"; }
    // Whether the client asks to keep the connection for further requests:
    // HTTP/1.1 unless it says "Connection: close", HTTP/1.0 only with
    // "Connection: keep-alive".
    bool keepsAlive() const;
    // A WebSocket opening: "Upgrade: websocket".
    bool isWebSocketUpgrade() const;
    // Whether a body follows the head: any Transfer-Encoding, or a
    // Content-Length other than 0.
    bool hasBody() const;
    // The Content-Length, or -1 when none is given or it is no plain number.
    qint64 contentLength() const;
};

// Splits requests out of the bytes a client sent, within limits on the
// request line and the whole head, so a client cannot make the server hold
// more than that of one request.
namespace HttpRequestParser {

inline constexpr qsizetype MaxRequestLine = 8 * 1024;
inline constexpr qsizetype MaxHead = 64 * 1024;

enum class Status {
    Incomplete, // the head has not ended yet; more bytes may come
    Complete,   // `request` holds the head, which took `size` bytes
    Bad,        // not an HTTP/1.x request head
    TooLong,    // the request line or the head is longer than allowed
};

struct Result {
    Status status = Status::Incomplete;
    HttpRequest request;
    qsizetype size = 0;
};

// Reads the head at the start of `bytes`. `scanned` is how many of them were
// looked at before without finding the head's end (they are not searched
// again).
Result parse(QByteArrayView bytes, qsizetype scanned = 0);

} // namespace HttpRequestParser
