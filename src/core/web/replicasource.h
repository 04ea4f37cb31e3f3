#pragma once

#include "db/deferredsync.h"
#include "db/logcheckpoints.h"
#include "db/pageimage.h"
#include "db/waltail.h"
#include "judging/confirmationhold.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QWebSocket>

#include <functional>
#include <memory>
#include <vector>

class AppState;
class MeetServer;
class WebServer;

// The primary's side of a standby: takes the standby's WebSocket on the web
// port (ReplicaProtocol::Path), lets it in with the operator PIN only (a
// wrong one counts toward the PIN throttle like any log-in, and gets nothing
// of the meet), and after each commit sends it the pages of the meet file
// that changed, read from the commit's frames in the file's write-ahead log
// (WalTail) or, when the log cannot say, by comparing the whole file with
// what was sent. While the standby is in step, a confirmation waits until the
// standby has the commit on its disk, and the primary syncs its own commit
// while the standby writes it (DeferredSync); a standby that does not answer within
// AnswerMs is let go with an operator alert, and the primary confirms alone
// until it is back and in step again.
class ReplicaSource : public QObject, public ConfirmationHold {
    Q_OBJECT

public:
    static constexpr int AnswerMs = 2000;
    static constexpr int PingMs = 500;
    static constexpr int HelloMs = 10000;
    // The meet's identity in its own settings: a standby's copy is the same
    // meet when it holds the same one.
    static inline const QString IdentitySetting = QStringLiteral("MeetIdentity");
    // The web address of the last standby that followed, for a restarted
    // primary to ask whether it has taken over.
    static inline const QString StandbySetting = QStringLiteral("StandbyAddress");
    // Raised by each take-over: the newer primary of a meet has the higher one.
    static inline const QString EpochSetting = QStringLiteral("Epoch");

    ReplicaSource(AppState& state, MeetServer& meet, WebServer& web, QObject* parent = nullptr);
    ~ReplicaSource() override;
    Q_DISABLE_COPY_MOVE(ReplicaSource)

    void afterCommit(std::function<void()> release) override;

    bool hasStandby() const { return mStandby != nullptr; }
    bool isInStep() const { return mStandby && mStandby->inStep; }
    QString standbyAddress() const { return mStandby ? mStandby->address : QString(); }
    // The changes sent that the standby has not acknowledged yet.
    quint64 standbyBehind() const {
        return mStandby ? mStandby->sentGeneration - mStandby->acknowledged : 0;
    }
    // Milliseconds since the standby's last word; -1 without a standby.
    qint64 sinceStandbyHeard() const { return mStandby ? mStandby->heard.elapsed() : -1; }

Q_SIGNALS:
    // The standby holds every commit so far: confirmations wait for it now.
    void standbyInStep(const QString& address);

private:
    struct Standby {
        std::unique_ptr<QWebSocket> socket;
        QString address;
        bool catchingUp = false; // its digests came; the pages that differ went
        bool inStep = false;
        quint64 sentGeneration = 0;
        quint64 acknowledged = 0;
        PageImage sent;               // what it holds once it has acknowledged everything sent
        QElapsedTimer heard;          // its last word
        std::unique_ptr<WalTail> log; // the commits since `sent` was brought up to date
    };
    struct Held {
        quint64 generation;
        qint64 since;
        std::function<void()> release;
    };

    void take(std::unique_ptr<QWebSocket> socket);
    void helloFrom(QWebSocket* socket, const QString& message);
    void textFrom(const QString& message);
    void binaryFrom(const QByteArray& message);
    // Sends the pages changed since the last image sent; the generation the
    // standby will hold once it has them all (0: no standby to send to).
    quint64 publish();
    void send(const QList<int>& pages);
    void acknowledged(quint64 generation);
    void checkAnswers();
    // Drops the standby (it comes back by itself); with `silentAddress` the
    // operator hears that the standby there stopped answering.
    void letGo(const QString& silentAddress);
    void releaseHeld();
    // Each commit syncs by itself again, what is committed now included.
    void syncCommitsAgain();
    QString meetMessage();
    QString ensureIdentity();

    AppState& mState;
    MeetServer& mMeet;
    std::vector<std::unique_ptr<QWebSocket>> mKnocking; // waiting for their PIN
    std::unique_ptr<Standby> mStandby;
    DeferredSync mSync;
    LogCheckpoints mCheckpoints;
    QList<Held> mHeld; // oldest first
    QElapsedTimer mClock;
    QTimer mPublishTimer;
    QTimer mPingTimer;
    QTimer mAnswerTimer;
    QTimer mCheckpointTimer;
};
