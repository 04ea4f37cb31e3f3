#include "replicafollower.h"

#include "db/replicafile.h"
#include "replicaprotocol.h"

#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

ReplicaFollower::ReplicaFollower(const QUrl& primary, const QString& operatorPin, ReplicaFile& file,
                                 QObject* parent)
    : QObject(parent)
    , mPrimary(primary)
    , mPin(operatorPin)
    , mFile(file) {
    mSocket.setMaxAllowedIncomingMessageSize(1ULL << 31);
    mRetry.setSingleShot(true);
    mRetry.setInterval(RetryMs);
    connect(&mRetry, &QTimer::timeout, this, &ReplicaFollower::connectNow);
    mApply.setSingleShot(true);
    mApply.setInterval(ApplyIdleMs);
    connect(&mApply, &QTimer::timeout, this, &ReplicaFollower::applyPending);
    mSilence.setInterval(SilenceMs / 4);
    connect(&mSilence, &QTimer::timeout, this, &ReplicaFollower::checkSilence);
    connect(&mSocket, &QWebSocket::connected, this, &ReplicaFollower::opened);
    connect(&mSocket, &QWebSocket::textMessageReceived, this, &ReplicaFollower::textReceived);
    connect(&mSocket, &QWebSocket::binaryMessageReceived, this, &ReplicaFollower::binaryReceived);
    // A connection that ends, or never opens, is tried again.
    connect(&mSocket, &QWebSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        if (state == QAbstractSocket::UnconnectedState)
            ended();
    });
    mHeard.start();
    mLastWord.start();
}

QString ReplicaFollower::primaryText(const QUrl& primary) {
    return u"http://%1:%2/"_s.arg(primary.host()).arg(primary.port(80));
}

QUrl ReplicaFollower::streamUrl(const QUrl& primary) {
    if (!primary.isValid() || primary.scheme() != u"http"_s || primary.host().isEmpty() ||
        (!primary.path().isEmpty() && primary.path() != u"/"_s))
        return {};
    QUrl stream;
    stream.setScheme(u"ws"_s);
    stream.setHost(primary.host());
    stream.setPort(primary.port(80));
    stream.setPath(ReplicaProtocol::Path);
    return stream;
}

void ReplicaFollower::start() {
    mRunning = true;
    mHeard.restart();
    mLastWord.restart();
    mSilence.start();
    connectNow();
}

void ReplicaFollower::stop() {
    mRunning = false;
    mRetry.stop();
    mSilence.stop();
    // Whoever closes the copy writes what its journal holds.
    mApply.stop();
    mSocket.abort();
}

void ReplicaFollower::setOwnWebPort(quint16 port) {
    mOwnWebPort = port;
    if (port != 0 && mSocket.state() == QAbstractSocket::ConnectedState)
        mSocket.sendTextMessage(ReplicaProtocol::Ports + u'|' + QString::number(port));
}

void ReplicaFollower::connectNow() {
    if (!mRunning)
        return;
    mInStep = false;
    mLastGeneration = 0;
    mLastWord.restart();
    mSocket.open(streamUrl(mPrimary));
}

void ReplicaFollower::opened() {
    mLastWord.restart();
    mSocket.sendTextMessage(ReplicaProtocol::Hello + u'|' + mPin);
}

void ReplicaFollower::textReceived(const QString& message) {
    mHeard.restart();
    mLastWord.restart();
    const qsizetype bar = message.indexOf(u'|');
    const QString word = message.left(bar);
    const QString rest = bar < 0 ? QString() : message.mid(bar + 1);
    if (word == ReplicaProtocol::Refused) {
        stop();
        Q_EMIT refused(rest);
    } else if (word == ReplicaProtocol::Ping) {
        // Tells the primary this standby is still there.
        if (mLastGeneration != 0)
            mSocket.sendTextMessage(ReplicaProtocol::Ack + u'|' + QString::number(mLastGeneration));
    } else if (word == ReplicaProtocol::Meet) {
        mMeet = QJsonDocument::fromJson(rest.toUtf8()).object();
        Q_EMIT meetReceived(mMeet);
        if (!mRunning)
            return;
        mSocket.sendBinaryMessage(ReplicaProtocol::encodeHave(mFile.image().pageDigests()));
        if (mOwnWebPort != 0)
            mSocket.sendTextMessage(ReplicaProtocol::Ports + u'|' + QString::number(mOwnWebPort));
    }
}

void ReplicaFollower::binaryReceived(const QByteArray& message) {
    mHeard.restart();
    mLastWord.restart();
    const std::optional<ReplicaProtocol::Pages> pages = ReplicaProtocol::decodePages(message);
    if (!pages) {
        // A damaged message: start again from what the file holds.
        mSocket.abort();
        return;
    }
    QString error;
    if (!mFile.write(pages->pageSize, pages->pageCount, pages->pages, &error)) {
        // The file may be busy for a moment (another program reading it);
        // the copy goes on from what it holds over a new connection.
        mSocket.abort();
        Q_EMIT failed(error);
        return;
    }
    mLastGeneration = pages->generation;
    mSocket.sendTextMessage(ReplicaProtocol::Ack + u'|' + QString::number(pages->generation));
    // The file takes the journal's batches once the primary is quiet for a
    // moment, or at once when they have grown large.
    if (mFile.pendingBytes() >= ApplyBytes)
        applyPending();
    else if (mFile.pendingBatches() > 0)
        mApply.start();
    if (!mInStep) {
        mInStep = true;
        Q_EMIT inStep(int(pages->pages.size()), pages->pageCount);
    }
}

void ReplicaFollower::applyPending() {
    mApply.stop();
    QString error;
    if (!mFile.applyPending(&error)) {
        // The journal keeps them; they are tried again with the next batch.
        Q_EMIT failed(error);
    }
}

void ReplicaFollower::ended() {
    mInStep = false;
    if (mRunning && !mRetry.isActive())
        mRetry.start();
}

void ReplicaFollower::checkSilence() {
    if (mLastWord.elapsed() < SilenceMs || mSocket.state() == QAbstractSocket::UnconnectedState)
        return;
    // A connection that went quiet (a cable pulled, not closed): open a new one.
    mLastWord.restart();
    mSocket.abort();
}
