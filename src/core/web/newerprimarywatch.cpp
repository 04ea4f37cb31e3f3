#include "newerprimarywatch.h"

#include "db/tallvanesettings.h"
#include "replicasource.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>

using namespace Qt::Literals::StringLiterals;

NewerPrimaryWatch::NewerPrimaryWatch(MeetDatabase& db, ReplicaSource& replicas, QObject* parent)
    : QObject(parent)
    , mDb(db)
    , mReplicas(replicas) {
    mTimer.setInterval(IntervalMs);
    connect(&mTimer, &QTimer::timeout, this, &NewerPrimaryWatch::ask);
}

bool NewerPrimaryWatch::isNewer(const QJsonObject& meet, const QString& identity, qint64 epoch) {
    return !identity.isEmpty() && meet.value(u"identity"_s).toString() == identity &&
           meet.value(u"epoch"_s).toInteger() > epoch;
}

bool NewerPrimaryWatch::start() {
    mTimer.start();
    ask();
    return mReply != nullptr;
}

void NewerPrimaryWatch::ask() {
    // A standby in step is following this server, not serving.
    if (mReply || mReplicas.isInStep())
        return;
    mAsked = TallvaneSettings(mDb).value(ReplicaSource::StandbySetting).value_or(QString());
    if (mAsked.isEmpty())
        return;
    QNetworkRequest request(QUrl(mAsked + u"api/meet"_s));
    request.setTransferTimeout(IntervalMs);
    mReply = mNetwork.get(request);
    connect(mReply, &QNetworkReply::finished, this, &NewerPrimaryWatch::answered);
}

void NewerPrimaryWatch::answered() {
    QNetworkReply* reply = mReply;
    mReply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    const bool first = !mAnswered;
    mAnswered = true;
    if (reply->error() != QNetworkReply::NoError) {
        if (first)
            Q_EMIT firstAnswer();
        return;
    }
    TallvaneSettings settings(mDb);
    const QString identity = settings.value(ReplicaSource::IdentitySetting).value_or(QString());
    const qint64 epoch =
        settings.value(ReplicaSource::EpochSetting).value_or(QString()).toLongLong();
    if (isNewer(QJsonDocument::fromJson(reply->readAll()).object(), identity, epoch)) {
        mTimer.stop();
        Q_EMIT newerPrimaryFound(mAsked);
    } else if (first) {
        Q_EMIT firstAnswer();
    }
}
