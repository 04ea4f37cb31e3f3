#pragma once

#include "db/connectionid.h"
#include "pingwindow.h"
#include "server/stationchannel.h"
#include "websocketframereader.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

class StationServer;

// One browser station: a WebSocket that speaks the station protocol, one
// message per text frame (UTF-8). A raw message (the ad answer
// "RECEIVE_AD_FILE|...") goes as one binary frame holding the same bytes as
// on TCP. A text frame holding a line break is refused: passed on, it would
// be two messages to a station that reads lines. Binary frames from the page
// carry no message and are ignored. A browser's own messages ("PADSTATE",
// its battery and outbox; "REHEARSALOK", its answer in a rehearsal;
// "BOARDLAYOUT", what a board shows) are passed on as browserReport() and
// never reach the station protocol.
//
// The WebSocket is spoken here over the TCP connection itself, the way
// TcpStation speaks lines: each read cut into frames (WebSocketFrameReader),
// each message built into one frame and written and flushed at once. The
// client is held to its limits: frames and messages up to 64 KiB, every
// frame as the protocol says, pings answered but not without end, and what
// waits to be written under the server's ceiling.
class WebStation : public QObject, public StationChannel {
    Q_OBJECT

public:
    static constexpr qint64 MaxFrameBytes = 64 * 1024;
    static constexpr qint64 MaxMessageBytes = 64 * 1024;
    // Received bytes that may wait in the socket.
    static constexpr qint64 ReadBufferBytes = 256 * 1024;
    static constexpr int CloseGraceMs = 5'000;
    // Up to this much still waiting, a close is graceful.
    static constexpr qint64 GracefulCloseBytes = 64 * 1024;

    // Answers the opening (whose head has been read from `socket`, its key
    // `key`) and attaches the socket to the server as a station; a server at
    // its limit refuses it and the socket is closed at once (connection() is
    // then 0).
    WebStation(std::unique_ptr<QTcpSocket> socket, QByteArrayView key, StationServer& server,
               QObject* parent = nullptr);
    ~WebStation() override;

    ConnectionId connection() const { return mConnection; }
    // Whether a message is one that only browsers send.
    static bool isBrowserReport(const QString& message);

    bool sendMessage(const QString& text, qint64 maxPending) override;
    bool sendBytes(const QByteArray& message, qint64 maxPending) override;
    qint64 pendingOutput() const override { return mSocket->bytesToWrite(); }
    void close() override;
    QString transport() const override { return QStringLiteral("browser"); }

Q_SIGNALS:
    // The socket has ended; the owner may delete this object.
    void finished();
    // A browser's own message ("PADSTATE|...", "REHEARSALOK|..."), split at "|".
    void browserReport(ConnectionId connection, const QStringList& fields);

private:
    void read();
    void take(const WebSocketFrameReader::Event& event);
    void message(const QString& text);
    // Sends a message's frame unless more than `maxPending` would wait.
    bool sendFrame(const QByteArray& frame, qint64 maxPending);
    // Writes one whole frame, as TCP writes a message: at once, flushed.
    void write(const QByteArray& frame);
    // The client broke a limit: reported, then cut off.
    void breach(const QString& why);
    void ended();

    std::unique_ptr<QTcpSocket> mSocket;
    StationServer& mServer;
    WebSocketFrameReader mReader{{MaxFrameBytes, MaxMessageBytes}};
    ConnectionId mConnection = 0;
    PingWindow mPings;
    QTimer mCloseGrace;
    bool mCloseSent = false;
    bool mCut = false;
};
