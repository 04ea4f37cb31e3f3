#include "standbyfollow.h"

#include "db/meetdatabase.h"
#include "db/meetfiles.h"
#include "db/tallvanesettings.h"
#include "replicasource.h"
#include "shell/appstate.h"
#include "shell/portnumber.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// The identity of the meet an existing file holds: empty for a file that
// holds none (an older Tallvane's, never followed), std::nullopt for a file
// that is no meet file at all.
std::optional<QString> identityOf(const QString& path) {
    MeetDatabase db;
    if (!db.open(path))
        return std::nullopt;
    return TallvaneSettings(db).value(ReplicaSource::IdentitySetting).value_or(QString());
}

quint16 portOf(const std::optional<quint16>& given, const QJsonObject& meet, const QString& key) {
    if (given)
        return *given;
    return portNumber(meet.value(key).toString()).value_or(0);
}

} // namespace

StandbyFollow::StandbyFollow(const FollowRequest& request, QObject* parent)
    : QObject(parent)
    , mRequest(request)
    , mPrimaryText(ReplicaFollower::primaryText(request.primary))
    , mPath(QFileInfo(request.meetFile).absoluteFilePath()) {
    mWatch.setInterval(100);
    connect(&mWatch, &QTimer::timeout, this, [this] {
        if (mEverInStep && mFollower &&
            mFollower->sinceHeard() >= qint64(mRequest.takeOverAfterSeconds) * 1000)
            takeOver();
    });
}

StandbyFollow::~StandbyFollow() {
    end();
}

QString StandbyFollow::start() {
    if (mFollower)
        return {};
    QString error;
    mLock = MeetFiles::lockMeetFile(mPath, &error);
    if (!mLock)
        return error;
    mHeldIdentity.clear();
    mCreated = !QFileInfo::exists(mPath);
    if (QFileInfo::exists(mPath) && mRequest.force) {
        for (const QString& file : QStringList{mPath, mPath + u"-wal"_s, mPath + u"-shm"_s,
                                               ReplicaJournal::pathFor(mPath)})
            QFile::remove(file);
    } else if (QFileInfo::exists(mPath)) {
        // What an earlier run acknowledged is in the file before it is read.
        if (!ReplicaFile::applyLeftJournal(mPath, &error)) {
            mLock.reset();
            return u"%1 cannot be written: %2"_s.arg(mRequest.meetFile, error);
        }
        const std::optional<QString> identity = identityOf(mPath);
        if (!identity || identity->isEmpty()) {
            mLock.reset();
            return u"%1 exists and is no standby's copy of a meet; %2."_s.arg(
                mRequest.meetFile, mRequest.replaceAdvice);
        }
        mHeldIdentity = *identity;
    }
    if (!mFile.open(mPath, &error)) {
        mLock.reset();
        return u"%1 cannot be written: %2"_s.arg(mRequest.meetFile, error);
    }
    mFollower = std::make_unique<ReplicaFollower>(mRequest.primary, mRequest.operatorPin, mFile);
    connect(mFollower.get(), &ReplicaFollower::meetReceived, this, &StandbyFollow::received);
    connect(mFollower.get(), &ReplicaFollower::inStep, this, [this] {
        mEverInStep = true;
        Q_EMIT inStep(u"In step with "_s + mPrimaryText);
    });
    connect(mFollower.get(), &ReplicaFollower::refused, this, [this](const QString& why) {
        end();
        Q_EMIT failed(u"%1 refused to be followed: %2"_s.arg(mPrimaryText, why));
    });
    connect(mFollower.get(), &ReplicaFollower::failed, this, [this](const QString& why) {
        Q_EMIT problem(u"The copy in %1 could not be written (trying again): %2"_s.arg(
            mRequest.meetFile, why));
    });
    mAnnounced = false;
    mEverInStep = false;
    mFollower->start();
    if (mRequest.takeOverAfterSeconds > 0)
        mWatch.start();
    return {};
}

void StandbyFollow::received(const QJsonObject& meet) {
    const QString identity = meet.value(u"identity"_s).toString();
    if (!mHeldIdentity.isEmpty() && identity != mHeldIdentity) {
        end();
        Q_EMIT failed(u"%1 holds another meet than %2; %3."_s.arg(mRequest.meetFile, mPrimaryText,
                                                                  mRequest.replaceAdvice));
        return;
    }
    mHeldIdentity = identity;
    if (mAnnounced)
        return;
    mAnnounced = true;
    Q_EMIT following(u"Following %1 (%2)"_s.arg(mPrimaryText, meet.value(u"name"_s).toString()));
    const QString trouble = mGate.open(portOf(mRequest.stationPort, meet, u"port"_s),
                                       portOf(mRequest.webPort, meet, u"webPort"_s));
    if (!trouble.isEmpty())
        Q_EMIT problem(u"The standby's ports are not all open: "_s + trouble);
    mFollower->setOwnWebPort(mGate.webPort());
}

QString StandbyFollow::takeOver() {
    if (!mFollower)
        return u"this Tallvane follows no primary."_s;
    if (!mEverInStep)
        return u"nothing to take over yet: no copy of the meet has come from "_s + mPrimaryText;
    end();
    Q_EMIT tookOver();
    return {};
}

void StandbyFollow::stop() {
    end();
}

void StandbyFollow::end() {
    mWatch.stop();
    if (mFollower) {
        mFollower->stop();
        mMeet = mFollower->meet();
        // The primary's last words are of no use to a standby that has ended.
        disconnect(mFollower.get(), nullptr, this, nullptr);
        mFollower.release()->deleteLater();
    }
    mGate.close();
    mFile.close();
    // A file made here for a primary that never let this standby in holds
    // nothing: it would only stand in the way of the next try.
    if (mCreated && !mAnnounced) {
        for (const QString& file : QStringList{mPath, mPath + u"-wal"_s, mPath + u"-shm"_s,
                                               ReplicaJournal::pathFor(mPath)})
            QFile::remove(file);
    }
    mCreated = false;
    mLock.reset();
}

void StandbyFollow::adoptSettings(const QJsonObject& meet, AppState& state, bool keepPin,
                                  bool keepPort, bool keepWebPort) {
    if (!keepPin && !meet.value(u"pin"_s).toString().isEmpty())
        state.setPin(meet.value(u"pin"_s).toString());
    if (!keepPort && portNumber(meet.value(u"port"_s).toString()))
        state.setPortNumber(meet.value(u"port"_s).toString());
    if (!keepWebPort && portNumber(meet.value(u"webPort"_s).toString()))
        state.setWebPortNumber(meet.value(u"webPort"_s).toString());
}

QString StandbyFollow::raiseEpoch(AppState& state) {
    TallvaneSettings settings(state.meetDb());
    const qint64 epoch =
        settings.value(ReplicaSource::EpochSetting).value_or(QString()).toLongLong() + 1;
    if (!settings.setValue(ReplicaSource::EpochSetting, QString::number(epoch)) ||
        !settings.setValue(ReplicaSource::StandbySetting, QString()))
        return u"the take-over could not be recorded in the meet file: "_s + settings.lastError();
    return {};
}
