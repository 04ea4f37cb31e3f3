#pragma once

#include "db/connectionid.h"
#include "guardedtcpserver.h"
#include "stationchannel.h"
#include "stationframing.h"
#include "stationlink.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <unordered_map>

// Where the scoring server meets its stations: listens on the TCP port and
// accepts every station by itself (a TcpStation each), takes in the stations
// of other transports (a browser's WebSocket), names each connection by an id
// that is never reused while the server runs, and sends to each through its
// StationChannel, held to one limit of waiting output. Everything runs on the
// thread that owns the object; no call blocks.
class StationServer : public QObject, public StationLink {
    Q_OBJECT

public:
    // The address a station is known by: an IPv4 address mapped into IPv6 as
    // plain IPv4.
    static QString addressText(const QHostAddress& address);

    static constexpr int DefaultMaxConnections = 256;
    // What may wait to be written to one station. A station that asks for more
    // than it reads (an advertisement image again and again) is not answered
    // past it, and is disconnected when it does not read within the stall time.
    static constexpr qint64 DefaultMaxPendingOutput = 8 * 1024 * 1024;
    static constexpr int DefaultOutputStallMs = 30000;

    explicit StationServer(QObject* parent = nullptr);
    ~StationServer() override;

    // Starts accepting connections. False, with errorString(), when the port
    // cannot be bound.
    bool listen(quint16 port, const QHostAddress& address = QHostAddress::AnyIPv4);
    bool isListening() const { return mListener.isListening(); }
    // New connections wait (see GuardedTcpServer::setHeld).
    void holdNewConnections(bool held) { mListener.setHeld(held); }
    quint16 serverPort() const { return mListener.serverPort(); }
    QString errorString() const { return mListener.errorString(); }

    void sendData(ConnectionId connection, const QString& text) override;
    // The text is checked and encoded once for all of them.
    void sendToEach(const QList<ConnectionId>& connections, const QString& text) override;
    void sendBytes(ConnectionId connection, const QByteArray& message) override;

    QString describe(ConnectionId connection) const override;
    // The peer's IPv4 address as text; empty for an unknown connection.
    QString remoteAddress(ConnectionId connection) const;
    // "TCP" or "browser"; empty for an unknown connection.
    QString transport(ConnectionId connection) const;
    bool isConnected(ConnectionId connection) const { return mConnections.contains(connection); }
    int connectionCount() const { return int(mConnections.size()); }

    // Ends one connection, reported as any other end.
    void close(ConnectionId connection);
    // Bytes waiting to be written to the connection.
    qint64 pendingOutput(ConnectionId connection) const;
    // Takes a channel (not owned) as a station: it gets the next id and counts
    // against the limit. Returns 0 (and reports the refusal) when the server
    // is at its limit, or when the opening was turned away: the caller closes
    // it. The channel then reports with the calls below.
    ConnectionId attach(StationChannel* channel, const QString& address);
    // One whole message from the station.
    void channelMessage(ConnectionId connection, const QString& message);
    // Something the station sent was refused (`why`); the connection stays.
    void channelRefused(ConnectionId connection, const QString& why);
    // Some of what waited for the station has been written.
    void channelWritten(ConnectionId connection);
    // The connection has ended.
    void channelClosed(ConnectionId connection);
    // The station is cut off for breaking a limit (`why`); its end is
    // reported as usual.
    void channelBreach(ConnectionId connection, const QString& why);

    // Stops accepting new connections; the open ones stay.
    void stopServer();
    // Drops every connection without reporting their ends, and stops listening.
    void release();

    // Tests and benchmarks may lower the limits.
    void setMaxPendingOutput(qint64 bytes) { mMaxPendingOutput = bytes; }
    qint64 maxPendingOutput() const { return mMaxPendingOutput; }
    void setOutputStallTimeout(int milliseconds) { mOutputStallMs = milliseconds; }

Q_SIGNALS:
    // A station has connected from `address` (before any message).
    void connectionOpened(ConnectionId connection, const QString& address);
    // One whole message from a station.
    void messageReceived(ConnectionId connection, const QString& message);
    // The connection has ended (closed by the station, or dropped by the server
    // for sending too much without a line end).
    void connectionClosed(ConnectionId connection);
    // Something the operator should know about: a refused or dropped connection.
    void problem(const QString& text);

private:
    struct Connection {
        StationChannel* channel; // not owned
        QString address;
        bool outputStalled = false; // a send was refused; waiting for the station to read
        int stalls = 0;             // which stall a pending check belongs to
    };

    void acceptConnections();
    bool atLimit(const QString& address);
    void refuseOutput(ConnectionId id, Connection& connection);
    void closeIfStillStalled(ConnectionId id, int stall);
    void drop(ConnectionId id, bool report);
    const Connection* find(ConnectionId id) const;
    Connection* find(ConnectionId id);

    // Accepting goes on after the process ran out of file descriptors.
    GuardedTcpServer mListener;
    std::unordered_map<ConnectionId, Connection> mConnections;
    ConnectionId mLastId = 0;
    const int mMaxConnections = DefaultMaxConnections;
    const qsizetype mMaxPending = StationFraming::DefaultMaxPending;
    qint64 mMaxPendingOutput = DefaultMaxPendingOutput;
    int mOutputStallMs = DefaultOutputStallMs;
    bool mAtLimitReported = false;
};
