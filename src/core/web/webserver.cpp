#include "webserver.h"

#include "webstation.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

using namespace Qt::Literals::StringLiterals;

namespace {

using Status = QHttpServerResponder::StatusCode;

bool isUpgrade(const QHttpServerRequest& request) {
    return request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
}

// The Host header when it is a plain host[:port] (nothing to smuggle into a
// header we build from it).
QString plainHost(const QHttpServerRequest& request) {
    static const QRegularExpression plain(
        u"^[A-Za-z0-9.\\-]+(:[0-9]{1,5})?$|^\\[[0-9A-Fa-f:.]+\\](:[0-9]{1,5})?$"_s);
    const QString host = QString::fromLatin1(request.value("host"));
    return plain.match(host).hasMatch() ? host.toLower() : QString();
}

// A page of this server may open a station; a page of any other site may not.
// Programs that are no browser send no Origin.
bool originAllowed(const QHttpServerRequest& request) {
    const QByteArray origin = request.value("origin");
    if (origin.isEmpty())
        return true;
    const QUrl url(QString::fromLatin1(origin));
    const QString host = plainHost(request);
    if (!url.isValid() || host.isEmpty() ||
        (url.scheme() != u"http"_s && url.scheme() != u"https"_s))
        return false;
    const QUrl hostUrl(u"http://"_s + host);
    const int defaultPort = url.scheme() == u"https"_s ? 443 : 80;
    return url.host().compare(hostUrl.host(), Qt::CaseInsensitive) == 0 &&
           url.port(defaultPort) == hostUrl.port(defaultPort);
}

QByteArray contentTypeOf(const QString& path) {
    if (path.endsWith(u".html"_s))
        return "text/html; charset=utf-8";
    if (path.endsWith(u".css"_s))
        return "text/css; charset=utf-8";
    if (path.endsWith(u".js"_s))
        return "text/javascript; charset=utf-8";
    if (path.endsWith(u".png"_s))
        return "image/png";
    if (path.endsWith(u".svg"_s))
        return "image/svg+xml";
    return "application/octet-stream";
}

} // namespace

WebServer::WebServer(StationServer& stations, QObject* parent)
    : QAbstractHttpServer(parent)
    , mStationServer(stations) {
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::acceptStations);
}

WebServer::~WebServer() {
    close();
}

bool WebServer::listenOn(quint16 port) {
    close();
    mPort = listen(QHostAddress::AnyIPv4, port);
    if (mPort == 0) {
        const QList<QTcpServer*> bound = servers();
        mError = bound.isEmpty() ? u"The web port %1 cannot be opened."_s.arg(port)
                                 : bound.last()->errorString();
        return false;
    }
    mError.clear();
    return true;
}

void WebServer::close() {
    for (QTcpServer* server : servers())
        server->close();
    mPort = 0;
    // Children of this object, gone now: each detaches from the station server.
    qDeleteAll(std::exchange(mBrowserStations, {}));
}

void WebServer::addRoute(const QString& path, Route route) {
    mRoutes.insert(path, std::move(route));
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const QString path = request.url().path();
    if (isUpgrade(request))
        return (path == StationPath || (path == UpdatesPath && mUpdatesViewers)) &&
               originAllowed(request);
    if (request.method() != QHttpServerRequest::Method::Get &&
        request.method() != QHttpServerRequest::Method::Head) {
        send(request, socket,
             {"Only GET is served here.\n", "text/plain; charset=utf-8", Status::MethodNotAllowed});
        return true;
    }
    if (const auto route = mRoutes.constFind(path); route != mRoutes.cend()) {
        send(request, socket, (*route)(request));
        return true;
    }
    if (path == u"/api/meet"_s) {
        const QJsonObject info = mMeetInfo ? mMeetInfo() : QJsonObject();
        send(request, socket, {QJsonDocument(info).toJson(QJsonDocument::Compact)});
        return true;
    }
    const Reply page = staticFile(path);
    if (page.status != Status::Ok)
        return false;
    send(request, socket, page);
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (isUpgrade(request) && request.url().path() == StationPath) {
        send(request, socket,
             {"A station page must come from this server.\n", "text/plain; charset=utf-8",
              Status::Forbidden});
        return;
    }
    send(request, socket, {"Not found.\n", "text/plain; charset=utf-8", Status::NotFound});
}

WebServer::Reply WebServer::staticFile(const QString& path) const {
    static const QHash<QString, QString> pages{{u"/"_s, u"index.html"_s},
                                               {u"/judge"_s, u"judge.html"_s},
                                               {u"/display"_s, u"display.html"_s},
                                               {u"/results"_s, u"results.html"_s}};
    static const QRegularExpression asset(u"^/(css|js|images)/[a-z0-9][a-z0-9-]*\\.[a-z]+$"_s);
    QString resource;
    if (const auto page = pages.constFind(path); page != pages.cend())
        resource = u":/web/"_s + *page;
    else if (asset.match(path).hasMatch())
        resource = u":/web"_s + path;
    QFile file(resource);
    if (resource.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {{}, {}, Status::NotFound};
    return {file.readAll(), contentTypeOf(resource)};
}

void WebServer::send(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply) {
    QByteArray policy = "default-src 'self'; img-src 'self' blob:; frame-ancestors 'none'";
    if (const QString host = plainHost(request); !host.isEmpty())
        policy += "; connect-src 'self' ws://" + host.toLatin1() + " wss://" + host.toLatin1();
    // Without it, a reply larger than one segment waits for the client's
    // delayed acknowledgement (some 40 ms) on a kept-alive connection.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(reply.status);
    responder.writeHeader("Content-Type", reply.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Content-Security-Policy", policy);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Cache-Control", "no-cache");
    if (!reply.etag.isEmpty())
        responder.writeHeader("ETag", reply.etag);
    if (request.method() != QHttpServerRequest::Method::Head)
        responder.writeBody(reply.body);
}

void WebServer::acceptStations() {
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
        if (!socket)
            continue;
        if (socket->requestUrl().path() == UpdatesPath) {
            if (mUpdatesViewers)
                mUpdatesViewers(std::move(socket));
            continue;
        }
        auto* station = new WebStation(std::move(socket), mStationServer, this);
        if (station->connection() == 0) {
            station->deleteLater();
            continue;
        }
        mBrowserStations.insert(station);
        connect(station, &WebStation::finished, this, [this, station] {
            if (mBrowserStations.remove(station))
                station->deleteLater();
        });
    }
}
