#pragma once

#include "db/replicafile.h"
#include "replicafollower.h"
#include "standbygate.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

class AppState;
class QLockFile;

// What a standby is asked to do.
struct FollowRequest {
    QString meetFile;
    QUrl primary;
    QString operatorPin;
    bool force = false;
    int takeOverAfterSeconds = 0;       // 0: only when told
    std::optional<quint16> stationPort; // given by the operator; else the primary's
    std::optional<quint16> webPort;
    // How the operator replaces a file that holds something else.
    QString replaceAdvice = QStringLiteral("give --force to replace it");
};

// A standby Tallvane from its start to its take-over: locks and opens the
// copy of the primary's meet (refusing a file that holds another meet unless
// forced), keeps it in step, opens its ports to turn stations away, and takes
// over when told or after the primary has been silent too long. Once it has
// taken over (or failed) the copy is closed and unlocked again, ready to be
// opened and served as an ordinary meet file.
class StandbyFollow : public QObject {
    Q_OBJECT

public:
    explicit StandbyFollow(const FollowRequest& request, QObject* parent = nullptr);
    ~StandbyFollow() override;
    Q_DISABLE_COPY_MOVE(StandbyFollow)

    // Opens the copy and begins to follow; what is wrong, or empty.
    QString start();
    // Stops following and closes the copy.
    void stop();
    // Stops following to serve the copy; what prevents it (no copy yet), or empty.
    QString takeOver();

    const FollowRequest& request() const { return mRequest; }
    // "http://HOST:PORT/" of the primary.
    QString primaryText() const { return mPrimaryText; }
    // What the primary said of its meet: name, station PIN, ports.
    QJsonObject meet() const { return mFollower ? mFollower->meet() : mMeet; }
    bool isInStep() const { return mFollower && mFollower->isInStep(); }
    bool everInStep() const { return mEverInStep; }
    bool isRunning() const { return mFollower != nullptr; }
    // Milliseconds since the primary was last heard from.
    qint64 sinceHeard() const { return mFollower ? mFollower->sinceHeard() : 0; }

    // After a take-over, the primary's station PIN and ports where the
    // operator gave none (`keep*`): the pads log in as they did.
    static void adoptSettings(const QJsonObject& meet, AppState& state, bool keepPin, bool keepPort,
                              bool keepWebPort);
    // Raises the meet's epoch in the open meet file, so that the primary it
    // replaces knows it is out of date, and forgets the old standby. What
    // failed, or empty.
    static QString raiseEpoch(AppState& state);

Q_SIGNALS:
    // The copy begins: "Following http://HOST:PORT/ (MEETNAME)".
    void following(const QString& text);
    // The copy holds every commit of the primary: "In step with http://HOST:PORT/".
    void inStep(const QString& text);
    // Something the operator should know; following goes on.
    void problem(const QString& text);
    // Following ended for good (`text` says why); the copy is closed.
    void failed(const QString& text);
    // Following ended for a take-over; the copy is closed and unlocked.
    void tookOver();

private:
    void received(const QJsonObject& meet);
    void end();

    FollowRequest mRequest;
    QString mPrimaryText;
    QString mPath;
    QString mHeldIdentity;
    QJsonObject mMeet; // once the follower has gone
    std::unique_ptr<QLockFile> mLock;
    ReplicaFile mFile;
    std::unique_ptr<ReplicaFollower> mFollower;
    StandbyGate mGate;
    QTimer mWatch;
    bool mAnnounced = false;
    bool mCreated = false; // the copy's file did not exist before start()
    bool mEverInStep = false;
};
