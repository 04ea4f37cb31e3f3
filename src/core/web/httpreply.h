#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// One answer to an HTTP request: status, content type, body and any further
// header fields. `upgrade` marks a WebSocket opening that is let through: the
// connection is handed on instead of answered.
struct HttpReply {
    HttpReply(QByteArray replyBody = {}, QByteArray type = "application/json",
              int replyStatus = 200)
        : body(std::move(replyBody))
        , contentType(std::move(type))
        , status(replyStatus) {}

    QByteArray body;
    QByteArray contentType;
    int status = 200;
    QByteArray etag; // sent as the ETag header when not empty
    QList<QPair<QByteArray, QByteArray>> headers;
    bool upgrade = false;

    static HttpReply text(int status, const QByteArray& text) {
        return {text, "text/plain; charset=utf-8", status};
    }

    // The bytes on the wire: status line, header fields (Content-Length
    // always, "Connection: close" when `closing`) and, unless `head`, the body.
    QByteArray serialized(bool head, bool closing) const;
};
