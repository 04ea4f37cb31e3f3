#pragma once

#include "db/connectionid.h"
#include "httpconnection.h"
#include "httpreply.h"
#include "httprequest.h"
#include "server/guardedtcpserver.h"
#include "webhostcheck.h"

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTcpServer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <functional>
#include <memory>

class StationServer;
class WebStation;

// The meet's own web pages and browser stations, on the same event loop as the
// station server. Plain GET (and HEAD) requests get the pages, scripts and
// styles compiled into the program, "/api/meet", or a route added by another
// part; a POST without a body only what was added for it; anything else is
// 404. A WebSocket at "/station" becomes a station of
// the StationServer (same ids, limit, log-in, heartbeats). Requests must name
// this server (its addresses, its port, or a name the operator added) and a
// WebSocket's Origin must be a page of it, so no other site can drive a
// station from a visitor's browser, not even through a name of its own that
// leads here. Each client of the port is held to the limits of an
// HttpConnection, and one address may hold at most maxConnectionsPerAddress
// of them.
class WebServer : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 DefaultPort = 10121;
    static constexpr int DefaultMaxConnectionsPerAddress = 64;
    static inline const QString StationPath = QStringLiteral("/station");
    // Spectators' pages listen here for news of the results.
    static inline const QString UpdatesPath = QStringLiteral("/updates");

    using Reply = HttpReply;
    using Route = std::function<Reply(const HttpRequest&)>;

    explicit WebServer(StationServer& stations, QObject* parent = nullptr);
    ~WebServer() override;

    // Listens on every IPv4 interface; 0 picks a free port. False, with
    // errorString(), when the port cannot be opened.
    bool listenOn(quint16 port);
    bool isListening() const { return mPort != 0; }
    // New connections wait (see GuardedTcpServer::setHeld).
    void holdNewConnections(bool held) { mListener.setHeld(held); }
    quint16 port() const { return mPort; }
    QString errorString() const { return mError; }
    // Stops listening and closes every connection and browser station.
    void close();

    // A read-only page or API answered for exactly this path.
    void addRoute(const QString& path, Route route);
    // A POST without a body answered for exactly this path; it must come from
    // a page of this server when it names its origin.
    void addPostRoute(const QString& path, Route route);
    // What "/api/meet" says: the meet's name, judge count and events.
    void setMeetInfo(std::function<QJsonObject()> info) { mMeetInfo = std::move(info); }
    // The addresses ("http://HOST:PORT/") of the meet's other servers, whose
    // "/api/meet" this server's pages may read to find where the meet goes on.
    void setOtherServers(std::function<QStringList()> servers) {
        mOtherServers = std::move(servers);
    }
    // Who takes the connections that open a WebSocket at UpdatesPath (the TCP
    // socket, parentless, to own, its opening still unread in it, so that it
    // may be served on another thread); none: refused.
    void setUpdatesViewers(std::function<void(std::unique_ptr<QTcpSocket>)> take) {
        mUpdatesViewers = std::move(take);
    }
    // Who takes the WebSockets of `path` (the socket, to own), for a program
    // of its own (one that sends no Origin, or a page of this server).
    void addWebSocketRoute(const QString& path,
                           std::function<void(std::unique_ptr<QWebSocket>)> take) {
        mSocketRoutes.insert(path, std::move(take));
    }
    // Names besides the server's own addresses that pages may reach it by.
    void setExtraHostNames(const QStringList& names) { mHosts.setExtraNames(names); }
    void setLimits(const HttpConnection::Limits& limits) { mLimits = limits; }
    void setMaxConnectionsPerAddress(int count) { mMaxPerAddress = count; }

    int stationCount() const { return int(mBrowserStations.size()); }
    // HTTP clients connected now (WebSockets not counted).
    int connectionCount() const { return int(mConnections.size()); }
    // Answers waiting to be written to them, in bytes.
    qint64 pendingOutput() const;

Q_SIGNALS:
    // Something the operator should know (connections refused).
    void problem(const QString& text);
    // A browser station's own message (fields of "PADSTATE|...", "REHEARSALOK|...").
    void browserReport(ConnectionId connection, const QStringList& fields);

private:
    void acceptConnections();
    void connectionEnded(HttpConnection* connection);
    void upgrade(QTcpSocket* socket, const QString& path);
    Reply answer(const HttpRequest& request);
    Reply webSocketOpening(const HttpRequest& request, const QString& path) const;
    Reply staticFile(const QString& path) const;
    void addHeaders(Reply& reply, const HttpRequest& request) const;
    void acceptStations();

    StationServer& mStationServer;
    GuardedTcpServer mListener;
    QWebSocketServer mWebSockets;
    quint16 mPort = 0;
    QString mError;
    WebHostCheck mHosts;
    HttpConnection::Limits mLimits;
    int mMaxPerAddress = DefaultMaxConnectionsPerAddress;
    QSet<HttpConnection*> mConnections; // children of this object
    QHash<QString, int> mPerAddress;
    QSet<QString> mRefusedAddresses; // told to the operator while at the limit
    QHash<QString, Route> mRoutes;
    QHash<QString, Route> mPostRoutes;
    std::function<QJsonObject()> mMeetInfo;
    std::function<QStringList()> mOtherServers;
    std::function<void(std::unique_ptr<QTcpSocket>)> mUpdatesViewers;
    QHash<QString, std::function<void(std::unique_ptr<QWebSocket>)>> mSocketRoutes;
    QSet<WebStation*> mBrowserStations; // children of this object
};
