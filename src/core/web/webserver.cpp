#include "webserver.h"

#include "server/stationserver.h"
#include "webstation.h"

#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QWebSocket>

using namespace Qt::Literals::StringLiterals;

namespace {

// The Host header when it is a plain host[:port] (nothing to smuggle into a
// header we build from it).
QByteArray plainHost(const HttpRequest& request) {
    static const QRegularExpression plain(u"^[A-Za-z0-9.\\-]+(:[0-9]{1,5})?$"_s);
    const QByteArray host = request.value("host");
    return plain.match(QString::fromLatin1(host)).hasMatch() ? host.toLower() : QByteArray();
}

// The origins of `servers` ("http://HOST:PORT/") as sources of a policy,
// each after a blank; addresses that are no plain origin are left out.
QByteArray otherServerSources(const QStringList& servers) {
    static const QRegularExpression origin(u"^(https?://[A-Za-z0-9.\\-]+(:[0-9]{1,5})?)/?$"_s);
    QByteArray sources;
    for (const QString& server : servers) {
        if (const QRegularExpressionMatch match = origin.match(server); match.hasMatch())
            sources += ' ' + match.captured(1).toLatin1();
    }
    return sources;
}

QByteArray contentTypeOf(const QString& path) {
    struct Type {
        QStringView suffix;
        const char* contentType;
    };
    static constexpr Type Types[] = {
        {u".html", "text/html; charset=utf-8"},
        {u".css", "text/css; charset=utf-8"},
        {u".js", "text/javascript; charset=utf-8"},
        {u".json", "application/json; charset=utf-8"},
        {u".png", "image/png"},
        {u".svg", "image/svg+xml"},
    };
    for (const Type& type : Types) {
        if (path.endsWith(type.suffix))
            return type.contentType;
    }
    return "application/octet-stream";
}

} // namespace

WebServer::WebServer(StationServer& stations, QObject* parent)
    : QObject(parent)
    , mStationServer(stations)
    , mWebSockets(u"Tallvane"_s, QWebSocketServer::NonSecureMode) {
    connect(&mListener, &QTcpServer::newConnection, this, &WebServer::acceptConnections);
    connect(&mListener, &GuardedTcpServer::descriptorsRanOut, this, [this] {
        Q_EMIT problem(u"The web port turned connections away: the server has no file "
                       "descriptors left."_s);
    });
    connect(&mWebSockets, &QWebSocketServer::newConnection, this, &WebServer::acceptStations);
}

WebServer::~WebServer() {
    close();
}

bool WebServer::listenOn(quint16 port) {
    close();
    if (!mListener.start(QHostAddress::AnyIPv4, port)) {
        mError = mListener.errorString();
        return false;
    }
    mPort = mListener.serverPort();
    mHosts.setPort(mPort);
    mError.clear();
    return true;
}

void WebServer::close() {
    mListener.stop();
    mPort = 0;
    for (HttpConnection* connection : std::exchange(mConnections, {}))
        delete connection;
    mPerAddress.clear();
    mRefusedAddresses.clear();
    // Children of this object, gone now: each detaches from the station server.
    qDeleteAll(std::exchange(mBrowserStations, {}));
}

qint64 WebServer::pendingOutput() const {
    qint64 bytes = 0;
    for (const HttpConnection* connection : mConnections)
        bytes += connection->pendingOutput();
    return bytes;
}

void WebServer::addRoute(const QString& path, Route route) {
    mRoutes.insert(path, std::move(route));
}

void WebServer::addPostRoute(const QString& path, Route route) {
    mPostRoutes.insert(path, std::move(route));
}

void WebServer::acceptConnections() {
    while (QTcpSocket* socket = mListener.nextPendingConnection()) {
        const QString address = StationServer::addressText(socket->peerAddress());
        int& held = mPerAddress[address];
        if (held >= mMaxPerAddress) {
            socket->abort();
            socket->deleteLater();
            if (!mRefusedAddresses.contains(address)) {
                mRefusedAddresses.insert(address);
                Q_EMIT problem(u"Web connections from %1 were refused: it holds %2, the most "
                               "one address may."_s.arg(address)
                                   .arg(held));
            }
            continue;
        }
        ++held;
        auto* connection = new HttpConnection(
            socket, [this](const HttpRequest& request) { return answer(request); }, mLimits, this);
        mConnections.insert(connection);
        connect(connection, &HttpConnection::upgraded, this, &WebServer::upgrade);
        connect(connection, &HttpConnection::finished, this,
                [this, connection] { connectionEnded(connection); });
    }
}

void WebServer::connectionEnded(HttpConnection* connection) {
    if (!mConnections.remove(connection))
        return;
    const auto held = mPerAddress.find(connection->address());
    if (held != mPerAddress.end() && --*held <= 0) {
        mPerAddress.erase(held);
        mRefusedAddresses.remove(connection->address());
    }
    connection->deleteLater();
}

void WebServer::upgrade(QTcpSocket* socket, const QString& path) {
    if (path == UpdatesPath && mUpdatesViewers) {
        mUpdatesViewers(std::unique_ptr<QTcpSocket>(socket));
        return;
    }
    // A station's opening is answered by the station itself, which then
    // speaks WebSocket over the connection as a TCP station speaks lines.
    const HttpRequestParser::Result opening =
        HttpRequestParser::parse(socket->peek(HttpRequestParser::MaxHead));
    if (path == StationPath && opening.status == HttpRequestParser::Status::Complete) {
        socket->skip(opening.size);
        auto* station =
            new WebStation(std::unique_ptr<QTcpSocket>(socket),
                           opening.request.value("sec-websocket-key"), mStationServer, this);
        if (station->connection() == 0) {
            station->deleteLater();
            return;
        }
        mBrowserStations.insert(station);
        connect(station, &WebStation::browserReport, this, &WebServer::browserReport);
        connect(station, &WebStation::finished, this, [this, station] {
            if (mBrowserStations.remove(station))
                station->deleteLater();
        });
        return;
    }
    // The WebSocket server reads the opening (still waiting in the socket)
    // and answers it; the socket is then the WebSocket's, or, refused or
    // closed before, deleted by the WebSocket server.
    // It stays a child of this server while it is a WebSocket's, so that
    // the guards can find the connection a WebSocket reads from, and goes
    // when it ends: the WebSocket forgets a connection that is deleted.
    socket->setParent(this);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    mWebSockets.handleConnection(socket);
}

WebServer::Reply WebServer::answer(const HttpRequest& request) {
    const QString path = request.url().path();
    Reply reply;
    if (request.hasHeader("host") && !mHosts.allowsHost(request.value("host")))
        reply = Reply::text(421, "This server is not known by that name.\n");
    else if (request.isWebSocketUpgrade())
        reply = webSocketOpening(request, path);
    else if (const auto post = mPostRoutes.constFind(path);
             request.method == "POST" && post != mPostRoutes.cend()) {
        const QByteArray origin = request.value("origin");
        reply = !origin.isEmpty() && !mHosts.allowsOrigin(origin)
                    ? Reply::text(403, "Only this server's pages may send this.\n")
                    : (*post)(request);
    } else if (request.method != "GET" && request.method != "HEAD") {
        reply = Reply::text(405, "Only GET is served here.\n");
        reply.headers.emplaceBack("Allow", "GET, HEAD");
    } else if (const auto route = mRoutes.constFind(path); route != mRoutes.cend())
        reply = (*route)(request);
    else if (path == u"/api/meet"_s) {
        const QJsonObject info = mMeetInfo ? mMeetInfo() : QJsonObject();
        reply = Reply(QJsonDocument(info).toJson(QJsonDocument::Compact));
        // The meet's summary is public; the pages of the meet's other server
        // read it to learn whether this one has taken the meet over.
        reply.headers.emplaceBack("Access-Control-Allow-Origin", "*");
    } else
        reply = staticFile(path);
    if (!reply.upgrade)
        addHeaders(reply, request);
    return reply;
}

WebServer::Reply WebServer::webSocketOpening(const HttpRequest& request,
                                             const QString& path) const {
    if (path != StationPath && !(path == UpdatesPath && mUpdatesViewers) &&
        !mSocketRoutes.contains(path))
        return Reply::text(404, "Not found.\n");
    // Programs that are no browser send no Origin.
    const QByteArray origin = request.value("origin");
    if (!origin.isEmpty() && !mHosts.allowsOrigin(origin))
        return Reply::text(403, "A station page must come from this server.\n");
    // What the WebSocket server would refuse is refused here, so every
    // socket handed to it becomes a WebSocket.
    if (request.method != "GET" || request.minorVersion != 1 ||
        request.value("sec-websocket-version") != "13" ||
        request.value("sec-websocket-key").isEmpty())
        return Reply::text(400, "Not a WebSocket opening.\n");
    Reply reply;
    reply.upgrade = true;
    return reply;
}

WebServer::Reply WebServer::staticFile(const QString& path) const {
    static const QHash<QString, QString> pages{
        {u"/"_s, u"index.html"_s},          {u"/judge"_s, u"judge.html"_s},
        {u"/display"_s, u"display.html"_s}, {u"/results"_s, u"results.html"_s},
        {u"/health"_s, u"health.html"_s},   {u"/announcer"_s, u"announcer.html"_s}};
    static const QRegularExpression asset(u"^/(css|js|images|lang)/[a-z0-9][a-z0-9-]*\\.[a-z]+$"_s);
    QString resource;
    if (const auto page = pages.constFind(path); page != pages.cend())
        resource = u":/web/"_s + *page;
    else if (asset.match(path).hasMatch())
        resource = u":/web"_s + path;
    QFile file(resource);
    if (resource.isEmpty() || !file.open(QIODevice::ReadOnly))
        return Reply::text(404, "Not found.\n");
    return {file.readAll(), contentTypeOf(resource)};
}

void WebServer::addHeaders(Reply& reply, const HttpRequest& request) const {
    QByteArray policy = "default-src 'self'; img-src 'self' blob:; frame-ancestors 'none'";
    if (const QByteArray host = plainHost(request); !host.isEmpty()) {
        policy += "; connect-src 'self' ws://" + host + " wss://" + host;
        if (mOtherServers && reply.contentType.startsWith("text/html"))
            policy += otherServerSources(mOtherServers());
    }
    reply.headers.emplaceBack("Content-Security-Policy", policy);
    reply.headers.emplaceBack("X-Content-Type-Options", "nosniff");
    reply.headers.emplaceBack("Cache-Control", "no-cache");
}

void WebServer::acceptStations() {
    while (QWebSocket* pending = mWebSockets.nextPendingConnection()) {
        // Owned by whoever takes it from here, not by the WebSocket server.
        pending->setParent(nullptr);
        std::unique_ptr<QWebSocket> socket(pending);
        if (const auto route = mSocketRoutes.constFind(socket->requestUrl().path());
            route != mSocketRoutes.cend()) {
            (*route)(std::move(socket));
            continue;
        }
        socket->abort(); // no other path is let through the opening
    }
}
