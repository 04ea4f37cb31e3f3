#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>

class MeetDatabase;
class QNetworkReply;
class ReplicaSource;

// While no standby is in step, asks the last standby of the meet now and then
// whether it has taken over (the same meet under a newer epoch): the two
// laptops lost sight of each other and the standby went on alone. Then this
// server must stop serving, so that one primary serves the meet.
class NewerPrimaryWatch : public QObject {
    Q_OBJECT

public:
    static constexpr int IntervalMs = 2000;

    NewerPrimaryWatch(MeetDatabase& db, ReplicaSource& replicas, QObject* parent = nullptr);

    // Asks at once, then every IntervalMs. False when there is no standby to
    // ask: firstAnswer() then never comes.
    bool start();

    // Whether `meet` (what "/api/meet" says) is this meet under an epoch newer than `epoch`.
    static bool isNewer(const QJsonObject& meet, const QString& identity, qint64 epoch);

Q_SIGNALS:
    // The standby at `address` serves this meet now.
    void newerPrimaryFound(const QString& address);
    // The first question is answered (or went unanswered for IntervalMs) and
    // found no newer primary.
    void firstAnswer();

private:
    void ask();
    void answered();

    MeetDatabase& mDb;
    ReplicaSource& mReplicas;
    QNetworkAccessManager mNetwork;
    QPointer<QNetworkReply> mReply;
    QString mAsked;
    bool mAnswered = false;
    QTimer mTimer;
};
