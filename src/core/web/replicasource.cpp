#include "replicasource.h"

#include "db/meetdatabase.h"
#include "db/tables/meetstable.h"
#include "db/tallvanesettings.h"
#include "judging/meetserver.h"
#include "replicaprotocol.h"
#include "shell/appstate.h"
#include "webserver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

ReplicaSource::ReplicaSource(AppState& state, MeetServer& meet, WebServer& web, QObject* parent)
    : QObject(parent)
    , mState(state)
    , mMeet(meet)
    , mSync(state.meetDb())
    , mCheckpoints(state.meetDb()) {
    mClock.start();
    web.addWebSocketRoute(ReplicaProtocol::Path,
                          [this](std::unique_ptr<QWebSocket> socket) { take(std::move(socket)); });
    // Changes nobody waits for (the operator's) go out once the event loop
    // is free; a score's commit sends its pages at once (afterCommit).
    mPublishTimer.setSingleShot(true);
    mPublishTimer.setInterval(0);
    connect(&mPublishTimer, &QTimer::timeout, this, [this] { publish(); });
    connect(&mState.meetDb().changes(), &MeetChanges::committed, this, [this] {
        if (mStandby && !mPublishTimer.isActive())
            mPublishTimer.start();
    });
    mPingTimer.setInterval(PingMs);
    connect(&mPingTimer, &QTimer::timeout, this, [this] {
        if (!mStandby)
            return;
        // A standby that answers nothing, not even the pings, is gone even
        // when no score waits for it.
        if (mStandby->heard.hasExpired(AnswerMs)) {
            letGo(mStandby->inStep ? mStandby->address : QString());
            return;
        }
        // Whatever changed without being announced (the engine's own upkeep)
        // goes too.
        publish();
        if (mStandby)
            mStandby->socket->sendTextMessage(ReplicaProtocol::Ping);
    });
    mAnswerTimer.setSingleShot(true);
    connect(&mAnswerTimer, &QTimer::timeout, this, &ReplicaSource::checkAnswers);
    // The log grown long is checkpointed between scores, once what it holds
    // has been sent and acknowledged (the next commit starts it again).
    mCheckpointTimer.setSingleShot(true);
    mCheckpointTimer.setInterval(0);
    connect(&mCheckpointTimer, &QTimer::timeout, this, [this] {
        if (mStandby && mStandby->log->frames() >= LogCheckpoints::Frames)
            mCheckpoints.checkpoint();
    });
    mMeet.services().setConfirmationHold(this);
}

ReplicaSource::~ReplicaSource() {
    mMeet.services().setConfirmationHold(nullptr);
    // The confirmations still held are not sent: the stations ask again.
    mHeld.clear();
    syncCommitsAgain();
    // Their ends are no news any more.
    for (const auto& knocking : mKnocking)
        disconnect(knocking.get(), nullptr, this, nullptr);
    if (mStandby) {
        disconnect(mStandby->socket.get(), nullptr, this, nullptr);
        mStandby->socket->abort();
    }
}

void ReplicaSource::take(std::unique_ptr<QWebSocket> socket) {
    socket->setMaxAllowedIncomingMessageSize(ReplicaProtocol::MaxIncomingBytes);
    QWebSocket* raw = socket.get();
    connect(raw, &QWebSocket::textMessageReceived, this,
            [this, raw](const QString& message) { helloFrom(raw, message); });
    connect(raw, &QWebSocket::binaryMessageReceived, raw, [raw] { raw->abort(); });
    connect(raw, &QWebSocket::disconnected, this, [this, raw] {
        const auto found =
            std::find_if(mKnocking.begin(), mKnocking.end(),
                         [raw](const auto& knocking) { return knocking.get() == raw; });
        if (found != mKnocking.end()) {
            found->release()->deleteLater();
            mKnocking.erase(found);
        }
    });
    mKnocking.push_back(std::move(socket));
    // A connection that does not say its PIN soon is not kept waiting.
    QTimer::singleShot(HelloMs, this, [this, raw] {
        if (std::any_of(mKnocking.cbegin(), mKnocking.cend(),
                        [raw](const auto& knocking) { return knocking.get() == raw; }))
            raw->abort();
    });
}

void ReplicaSource::helloFrom(QWebSocket* socket, const QString& message) {
    const auto found =
        std::find_if(mKnocking.begin(), mKnocking.end(),
                     [socket](const auto& knocking) { return knocking.get() == socket; });
    if (found == mKnocking.end())
        return;
    const QString address = StationServer::addressText(socket->peerAddress());
    const QStringList fields = message.split(u'|');
    if (fields.size() != 2 || fields[0] != ReplicaProtocol::Hello) {
        socket->abort();
        return;
    }
    switch (mMeet.server().checkOperatorPin(address, fields[1])) {
    case StationRegistry::PinCheck::Right:
        break;
    case StationRegistry::PinCheck::Wrong:
        socket->sendTextMessage(ReplicaProtocol::Refused + u"|Wrong operator PIN"_s);
        socket->close();
        return;
    case StationRegistry::PinCheck::Refused:
        socket->sendTextMessage(ReplicaProtocol::Refused +
                                u"|Too many wrong PINs from this address; try again later"_s);
        socket->close();
        return;
    }
    std::unique_ptr<QWebSocket> taken = std::move(*found);
    mKnocking.erase(found);
    disconnect(socket, nullptr, this, nullptr);
    disconnect(socket, &QWebSocket::binaryMessageReceived, nullptr, nullptr);
    // One standby at a time: the newer one is the one that is there.
    if (mStandby)
        letGo({});
    mStandby = std::make_unique<Standby>();
    mStandby->socket = std::move(taken);
    mStandby->address = address;
    mStandby->heard.start();
    mStandby->log = std::make_unique<WalTail>(mState.meetDb().filePath());
    mCheckpoints.hold();
    connect(socket, &QWebSocket::textMessageReceived, this, &ReplicaSource::textFrom);
    connect(socket, &QWebSocket::binaryMessageReceived, this, &ReplicaSource::binaryFrom);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        if (mStandby && mStandby->socket.get() == socket)
            letGo(mStandby->inStep ? mStandby->address : QString());
    });
    socket->sendTextMessage(meetMessage());
    mPingTimer.start();
}

QString ReplicaSource::ensureIdentity() {
    TallvaneSettings settings(mState.meetDb());
    if (const std::optional<QString> identity = settings.value(IdentitySetting);
        identity && !identity->isEmpty())
        return *identity;
    const QString identity = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!settings.setValue(IdentitySetting, identity))
        mMeet.alerts().raise(u"The meet's identity could not be stored for the standby: "_s +
                             settings.lastError());
    return identity;
}

QString ReplicaSource::meetMessage() {
    QJsonObject meet;
    meet.insert(u"name"_s, MeetsTable(mState.meetDb()).meetName().value_or(QString()));
    meet.insert(u"identity"_s, ensureIdentity());
    meet.insert(u"pin"_s, mState.pin());
    meet.insert(u"port"_s, mState.portNumber());
    meet.insert(u"webPort"_s, mState.webPortNumber());
    return ReplicaProtocol::Meet + u'|' +
           QString::fromUtf8(QJsonDocument(meet).toJson(QJsonDocument::Compact));
}

void ReplicaSource::textFrom(const QString& message) {
    if (mStandby)
        mStandby->heard.restart();
    const QStringList fields = message.split(u'|');
    bool ok = false;
    const quint64 generation = fields.value(1).toULongLong(&ok);
    if (fields.size() == 2 && fields[0] == ReplicaProtocol::Ack && ok) {
        acknowledged(generation);
    } else if (fields.size() == 2 && fields[0] == ReplicaProtocol::Ports && mStandby) {
        const QString address = u"http://%1:%2/"_s.arg(mStandby->address).arg(generation);
        TallvaneSettings settings(mState.meetDb());
        if (ok && generation > 0 && generation <= 65535 &&
            settings.value(StandbySetting).value_or(QString()) != address &&
            !settings.setValue(StandbySetting, address))
            mMeet.alerts().raise(u"The standby's address could not be stored: "_s +
                                 settings.lastError());
    }
}

void ReplicaSource::binaryFrom(const QByteArray& message) {
    if (!mStandby || mStandby->catchingUp)
        return;
    mStandby->heard.restart();
    const std::optional<QList<QByteArray>> digests = ReplicaProtocol::decodeHave(message);
    if (!digests) {
        letGo({});
        return;
    }
    QString error;
    std::optional<PageImage> image = mStandby->log->readWhole(mState.meetDb(), &error);
    if (!image) {
        mMeet.alerts().raise(u"The meet could not be read for the standby: "_s + error);
        letGo({});
        return;
    }
    mStandby->catchingUp = true;
    const QList<int> pages = image->pagesDifferentFrom(*digests);
    mStandby->sent = std::move(*image);
    // Even with nothing to copy the standby hears which generation it holds.
    send(pages);
}

void ReplicaSource::send(const QList<int>& pages) {
    Standby& standby = *mStandby;
    ++standby.sentGeneration;
    standby.socket->sendBinaryMessage(
        ReplicaProtocol::encodePages(standby.sentGeneration, standby.sent, pages));
}

quint64 ReplicaSource::publish() {
    mPublishTimer.stop();
    if (!mStandby || !mStandby->catchingUp)
        return 0;
    const int pageCount = mStandby->sent.pageCount();
    QString error;
    const std::optional<QList<int>> changed =
        mStandby->log->bringUpToDate(mStandby->sent, mState.meetDb(), &error);
    if (!changed) {
        mMeet.alerts().raise(u"The meet could not be read for the standby: "_s + error);
        return mStandby->sentGeneration;
    }
    if (changed->isEmpty() && mStandby->sent.pageCount() == pageCount)
        return mStandby->sentGeneration;
    send(*changed);
    const quint64 generation = mStandby->sentGeneration;
    if (mSync.isDeferred()) {
        // The pages on their way first: the standby writes while this disk
        // does. A standby found gone here is let go at once.
        mStandby->socket->flush();
        if (!mSync.syncNow(&error)) {
            mMeet.alerts().raise(error);
            syncCommitsAgain();
        }
    }
    return generation;
}

void ReplicaSource::afterCommit(std::function<void()> release) {
    const quint64 generation = publish();
    if (!isInStep() || generation <= mStandby->acknowledged) {
        release();
        return;
    }
    mHeld.append({generation, mClock.elapsed(), std::move(release)});
    if (!mAnswerTimer.isActive())
        mAnswerTimer.start(AnswerMs);
}

void ReplicaSource::acknowledged(quint64 generation) {
    if (!mStandby || !mStandby->catchingUp || generation == 0 ||
        generation > mStandby->sentGeneration)
        return;
    mStandby->acknowledged = std::max(mStandby->acknowledged, generation);
    if (!mStandby->inStep && mStandby->acknowledged == mStandby->sentGeneration) {
        mStandby->inStep = true;
        // From now on no confirmation goes before the standby has the commit.
        if (QString error; !mSync.defer(&error))
            qInfo("Commits go on syncing one by one: %s", qPrintable(error));
        Q_EMIT standbyInStep(mStandby->address);
    }
    releaseHeld();
    if (mStandby && mStandby->acknowledged == mStandby->sentGeneration &&
        mStandby->log->frames() >= LogCheckpoints::Frames)
        mCheckpointTimer.start();
}

void ReplicaSource::releaseHeld() {
    // Released in commit order; a release may commit and hold again.
    while (!mHeld.isEmpty() &&
           (!mStandby || !mStandby->inStep || mHeld.first().generation <= mStandby->acknowledged)) {
        const Held held = mHeld.takeFirst();
        held.release();
    }
    if (mHeld.isEmpty())
        mAnswerTimer.stop();
    else
        mAnswerTimer.start(
            int(std::max<qint64>(0, mHeld.first().since + AnswerMs - mClock.elapsed())));
}

void ReplicaSource::checkAnswers() {
    if (mHeld.isEmpty())
        return;
    if (mClock.elapsed() - mHeld.first().since < AnswerMs) {
        releaseHeld();
        return;
    }
    letGo(mStandby ? mStandby->address : QString());
}

void ReplicaSource::letGo(const QString& silentAddress) {
    if (!silentAddress.isEmpty())
        mMeet.alerts().raise(
            u"Standby at %1 stopped answering; scores are confirmed without it"_s.arg(
                silentAddress));
    if (mStandby) {
        std::unique_ptr<Standby> gone = std::move(mStandby);
        disconnect(gone->socket.get(), nullptr, this, nullptr);
        gone->socket->abort();
        gone->socket.release()->deleteLater();
    }
    mPingTimer.stop();
    mCheckpointTimer.stop();
    mCheckpoints.release();
    // Alone again: what is confirmed from now on waits for this disk only.
    syncCommitsAgain();
    releaseHeld();
}

void ReplicaSource::syncCommitsAgain() {
    if (QString error; !mSync.restore(&error))
        mMeet.alerts().raise(u"The meet file could not be synced to the disk: "_s + error);
}
