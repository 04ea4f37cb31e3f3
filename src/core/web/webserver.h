#pragma once

#include <QAbstractHttpServer>
#include <QHash>
#include <QHttpServerResponder>
#include <QJsonObject>
#include <QSet>

#include <functional>
#include <memory>

class QHttpServerRequest;
class QWebSocket;
class StationServer;
class WebStation;

// The meet's own web pages and browser stations, on the same event loop as the
// station server. Plain GET requests get the pages, scripts and styles compiled
// into the program, "/api/meet", or a route added by another part; anything
// else is 404. A WebSocket at "/station" becomes a station of the StationServer
// (same ids, limit, log-in, heartbeats); one whose Origin names another site is
// refused, so no other page can drive a station from a visitor's browser.
class WebServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    static constexpr quint16 DefaultPort = 10121;
    static inline const QString StationPath = QStringLiteral("/station");
    // Spectators' pages listen here for news of the results.
    static inline const QString UpdatesPath = QStringLiteral("/updates");

    // Answers one GET request: body and its content type.
    struct Reply {
        Reply(QByteArray replyBody = {}, QByteArray type = "application/json",
              QHttpServerResponder::StatusCode replyStatus = QHttpServerResponder::StatusCode::Ok)
            : body(std::move(replyBody))
            , contentType(std::move(type))
            , status(replyStatus) {}
        QByteArray body;
        QByteArray contentType;
        QHttpServerResponder::StatusCode status;
        QByteArray etag; // sent as the ETag header when not empty
    };
    using Route = std::function<Reply(const QHttpServerRequest&)>;

    explicit WebServer(StationServer& stations, QObject* parent = nullptr);
    ~WebServer() override;

    // Listens on every IPv4 interface; 0 picks a free port. False, with
    // errorString(), when the port cannot be opened.
    bool listenOn(quint16 port);
    bool isListening() const { return mPort != 0; }
    quint16 port() const { return mPort; }
    QString errorString() const { return mError; }
    // Stops listening and closes every browser station.
    void close();

    // A read-only page or API answered for exactly this path.
    void addRoute(const QString& path, Route route);
    // What "/api/meet" says: the meet's name, judge count and events.
    void setMeetInfo(std::function<QJsonObject()> info) { mMeetInfo = std::move(info); }
    // Who takes the WebSockets of UpdatesPath (the socket, to own); none: refused.
    void setUpdatesViewers(std::function<void(std::unique_ptr<QWebSocket>)> take) {
        mUpdatesViewers = std::move(take);
    }

    int stationCount() const { return int(mBrowserStations.size()); }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void acceptStations();
    void send(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply);
    Reply staticFile(const QString& path) const;

    StationServer& mStationServer;
    quint16 mPort = 0;
    QString mError;
    QHash<QString, Route> mRoutes;
    std::function<QJsonObject()> mMeetInfo;
    std::function<void(std::unique_ptr<QWebSocket>)> mUpdatesViewers;
    QSet<WebStation*> mBrowserStations; // children of this object
};
