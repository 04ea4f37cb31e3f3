#pragma once

#include "db/connectionid.h"
#include "server/stationchannel.h"

#include <QObject>
#include <QWebSocket>

#include <memory>

class StationServer;
class WebSocketGuard;

// One browser station: a WebSocket that speaks the station protocol, one
// message per text frame (UTF-8). A raw message (the ad answer
// "RECEIVE_AD_FILE|...") goes as one binary frame holding the same bytes as
// on TCP. A text frame holding a line break is refused: passed on, it would
// be two messages to a station that reads lines. A WebSocketGuard holds the
// connection to its limits (frames and messages up to 64 KiB, pings, what
// waits to be written); binary frames from the page carry no message and are
// ignored. A browser's own messages ("PADSTATE", its battery and outbox;
// "REHEARSALOK", its answer in a rehearsal; "BOARDLAYOUT", what a board
// shows) are passed on as browserReport()
// and never reach the station protocol.
class WebStation : public QObject, public StationChannel {
    Q_OBJECT

public:
    static constexpr qint64 MaxFrameBytes = 64 * 1024;
    static constexpr qint64 MaxMessageBytes = 64 * 1024;

    // Attaches the socket to the server as a station; a server at its limit
    // refuses it and the socket is closed at once (connection() is then 0).
    // The socket's TCP connection is found among the children of `parent`
    // (the web server that accepted it).
    WebStation(std::unique_ptr<QWebSocket> socket, StationServer& server,
               QObject* parent = nullptr);
    ~WebStation() override;

    ConnectionId connection() const { return mConnection; }
    // Whether a message is one that only browsers send.
    static bool isBrowserReport(const QString& message);

    bool sendMessage(const QString& text, qint64 maxPending) override;
    bool sendBytes(const QByteArray& message, qint64 maxPending) override;
    qint64 pendingOutput() const override { return mSocket ? mSocket->bytesToWrite() : 0; }
    void close() override;
    QString transport() const override { return QStringLiteral("browser"); }

Q_SIGNALS:
    // The socket has ended; the owner may delete this object.
    void finished();
    // A browser's own message ("PADSTATE|...", "REHEARSALOK|..."), split at "|".
    void browserReport(ConnectionId connection, const QStringList& fields);

private:
    void ended();

    std::unique_ptr<QWebSocket> mSocket;
    WebSocketGuard* mGuard = nullptr; // a child of mSocket
    StationServer& mServer;
    ConnectionId mConnection = 0;
};
