#include "liveupdates.h"

#include "db/meetchanges.h"
#include "websocketguard.h"

#include <QJsonDocument>
#include <QJsonObject>
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

LiveUpdates::LiveUpdates(MeetChanges& changes, QObject* parent)
    : QObject(parent) {
    mGather.setSingleShot(true);
    mGather.setInterval(GatherMs);
    mAlive.setInterval(AliveMs);
    mTellMore.setSingleShot(true);
    mTellMore.setInterval(0);
    connect(&mTellMore, &QTimer::timeout, this, &LiveUpdates::tellSome);
    connect(&changes, &MeetChanges::resultsChangedIn, this, &LiveUpdates::resultsChanged);
    connect(&mGather, &QTimer::timeout, this, &LiveUpdates::tellScores);
    connect(&mAlive, &QTimer::timeout, this, [this] { tellAll(u"{\"type\":\"alive\"}"_s); });
    mAlive.start();
}

void LiveUpdates::addViewer(std::unique_ptr<QWebSocket> viewer, const QObject* transports) {
    if (mViewers.size() >= MaxViewers) {
        viewer->close(QWebSocketProtocol::CloseCodePolicyViolated, u"Too many viewers"_s);
        viewer.release()->deleteLater();
        return;
    }
    QWebSocket* socket = viewer.release();
    socket->setParent(this);
    mViewers.append(socket);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        mViewers.removeOne(socket);
        socket->deleteLater();
    });
    // Viewers only listen: a message from one ends it, and so do pings
    // without end or a phone that stops reading.
    auto* guard = new WebSocketGuard(
        *socket, {{MaxControlBytes, MaxControlBytes, true}, MaxUnsentBytes}, transports);
    guard->start();
}

void LiveUpdates::currentSessionChanged(const QString& session) {
    tellAll(message(u"session"_s, session));
}

void LiveUpdates::underwayChanged() {
    tellAll(u"{\"type\":\"underway\"}"_s);
}

void LiveUpdates::resultsChanged(const QString& session) {
    mScoredSessions.insert(session);
    if (!mGather.isActive())
        mGather.start();
}

void LiveUpdates::tellScores() {
    const QSet<QString> sessions = std::exchange(mScoredSessions, {});
    for (const QString& session : sessions)
        tellAll(message(u"scores"_s, session));
}

void LiveUpdates::tellAll(const QString& text) {
    Telling telling{text, {}, 0};
    telling.viewers.reserve(mViewers.size());
    for (QWebSocket* viewer : std::as_const(mViewers))
        telling.viewers.append(viewer);
    mTellings.push_back(std::move(telling));
    if (!mTellMore.isActive())
        mTellMore.start();
}

void LiveUpdates::tellSome() {
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
