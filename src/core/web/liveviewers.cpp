#include "liveviewers.h"

#include "resultsprefetch.h"
#include "websocketguard.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QWebSocket>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 MaxUnsentBytes = 64 * 1024;
constexpr qint64 MaxControlBytes = 125; // the most a ping or close frame carries

QString message(const QString& type, const QString& session) {
    bool number = false;
    const qint64 id = session.toLongLong(&number);
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{u"type"_s, type},
                                  {u"session"_s, number ? QJsonValue(id) : QJsonValue(session)}})
            .toJson(QJsonDocument::Compact));
}

} // namespace

LiveViewers::LiveViewers()
    : mOpenings(u"Tallvane"_s, QWebSocketServer::NonSecureMode, this)
    , mTellMore(this)
    , mGather(this)
    , mAlive(this) {
    mGather.setSingleShot(true);
    mGather.setInterval(GatherMs);
    mAlive.setInterval(AliveMs);
    mTellMore.setSingleShot(true);
    mTellMore.setInterval(0);
    connect(&mOpenings, &QWebSocketServer::newConnection, this, &LiveViewers::addViewers);
    connect(&mTellMore, &QTimer::timeout, this, &LiveViewers::tellSome);
    connect(&mGather, &QTimer::timeout, this, &LiveViewers::tellScores);
    connect(&mAlive, &QTimer::timeout, this, [this] { tellAll(u"{\"type\":\"alive\"}"_s); });
    mAlive.start();
}

LiveViewers::~LiveViewers() {
    // The WebSockets go before the connections they read from (children too).
    for (QWebSocket* viewer : std::exchange(mViewers, {})) {
        viewer->disconnect(this);
        delete viewer;
    }
}

void LiveViewers::open(QTcpSocket* connection) {
    // The WebSocket server reads the opening and answers it; the connection
    // is then the WebSocket's, or, refused or closed before, deleted by the
    // WebSocket server. It stays a child of this object while it is a
    // WebSocket's, so that the guards can find the connection a WebSocket
    // reads from, and goes when it ends: the WebSocket forgets a connection
    // that is deleted.
    connection->setParent(this);
    connect(connection, &QTcpSocket::disconnected, connection, &QObject::deleteLater);
    mOpenings.handleConnection(connection);
}

void LiveViewers::closeAll() {
    const QList<QWebSocket*> viewers = mViewers; // each leaves the list as it disconnects
    for (QWebSocket* viewer : viewers)
        viewer->abort();
}

void LiveViewers::addViewers() {
    while (QWebSocket* socket = mOpenings.nextPendingConnection())
        addViewer(socket);
}

void LiveViewers::addViewer(QWebSocket* socket) {
    socket->setParent(this);
    if (mViewers.size() >= MaxViewers) {
        socket->close(QWebSocketProtocol::CloseCodePolicyViolated, u"Too many viewers"_s);
        socket->deleteLater();
        return;
    }
    mViewers.append(socket);
    mCount.store(int(mViewers.size()), std::memory_order_relaxed);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { viewerGone(socket); });
    // Viewers only listen: a message from one ends it, and so do pings
    // without end or a phone that stops reading.
    auto* guard = new WebSocketGuard(
        *socket, {{MaxControlBytes, MaxControlBytes, true}, MaxUnsentBytes}, this);
    guard->start();
}

void LiveViewers::viewerGone(QWebSocket* socket) {
    mViewers.removeOne(socket);
    mCount.store(int(mViewers.size()), std::memory_order_relaxed);
    socket->deleteLater();
}

void LiveViewers::currentSessionChanged(const QString& session) {
    tellAll(message(u"session"_s, session));
}

void LiveViewers::underwayChanged() {
    tellAll(u"{\"type\":\"underway\"}"_s);
}

void LiveViewers::setResultsPrefetch(std::unique_ptr<ResultsPrefetch> prefetch) {
    mPrefetch = std::move(prefetch);
}

void LiveViewers::resultsChanged(const QString& session, const QString& meetFile,
                                 quint64 changeCount, const QString& current) {
    mScoredSessions.insert(session);
    if (meetFile != mMeetFile || changeCount > mChangeCount) {
        mMeetFile = meetFile;
        mChangeCount = changeCount;
        mCurrentSession = current;
    }
    if (!mGather.isActive())
        mGather.start();
}

void LiveViewers::tellScores() {
    const QSet<QString> sessions = std::exchange(mScoredSessions, {});
    // The replies are ready before anyone hears to ask for them.
    if (mPrefetch)
        mPrefetch->prepare(mMeetFile, mChangeCount, mCurrentSession, sessions);
    for (const QString& session : sessions)
        tellAll(message(u"scores"_s, session));
}

void LiveViewers::tellAll(const QString& text) {
    Telling telling{text, {}, 0};
    telling.viewers.reserve(mViewers.size());
    for (QWebSocket* viewer : std::as_const(mViewers))
        telling.viewers.append(viewer);
    mTellings.push_back(std::move(telling));
    if (!mTellMore.isActive())
        mTellMore.start();
}

void LiveViewers::tellSome() {
    int budget = ViewersPerTurn;
    while (budget > 0 && !mTellings.empty()) {
        Telling& telling = mTellings.front();
        while (budget > 0 && telling.next < telling.viewers.size()) {
            QWebSocket* viewer = telling.viewers[telling.next++];
            if (!viewer) // let go since the notice was given
                continue;
            --budget;
            // A phone that stopped reading long ago is let go rather than
            // buffered for without end; its page connects again when it wakes.
            if (viewer->bytesToWrite() > MaxUnsentBytes)
                viewer->abort();
            else
                viewer->sendTextMessage(telling.text);
        }
        if (telling.next == telling.viewers.size())
            mTellings.pop_front();
    }
    if (!mTellings.empty())
        mTellMore.start();
}
