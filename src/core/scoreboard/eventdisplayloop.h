#pragma once

#include "displaytimings.h"
#include "queueentry.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

class DisplayConnections;
class DisplaySeconds;
class MeetDatabase;
class OperatorAlerts;
class ScoreQueue;
class StationLink;

// One event's loop feeding the score displays: offer the oldest waiting score
// ("SETSCORE|") to every display, wait for a display to confirm it, let it
// stand for the display time plus 5 s, then take the next. A watchdog offers
// it again when no display confirms. A paused loop stays paused through a
// confirmation.
class EventDisplayLoop : public QObject {
    Q_OBJECT

public:
    // What the loop reads and writes: the meet, its queue, the display time,
    // the stations, the logged-in displays among them and the operator alerts.
    struct Collaborators {
        MeetDatabase& db;
        ScoreQueue& queue;
        const DisplaySeconds& displaySeconds;
        StationLink& link;
        DisplayConnections& displays;
        OperatorAlerts& alerts;
    };

    EventDisplayLoop(const QString& event, const Collaborators& collaborators,
                     const DisplayTimings& timings, QObject* parent = nullptr);

    QString eventName() const { return mEvent; }
    bool isRunning() const { return mRunning; }
    // The score on the displays, not yet confirmed.
    const std::optional<QueueEntry>& offered() const { return mOffered; }
    // The score a display last confirmed it has shown: on the boards until
    // the next score of the event is.
    const std::optional<QueueEntry>& shown() const { return mShown; }

    void start();
    void pause();
    void togglePause();
    // Stops every timer (server stop); the running state is kept.
    void stop();

    // One look at the queue (the display timer's tick).
    void processQueue();
    // A display's "CONFIRMSCORE" for this event.
    void confirmScore(const QString& num);

Q_SIGNALS:
    void runningChanged(bool running);
    void scoreOffered(const QueueEntry& entry);
    void scoreShown(const QueueEntry& entry);

private:
    void armAfterShown(int displaySeconds);
    void setRunning(bool running);

    QString mEvent;
    Collaborators mCollaborators;
    DisplayTimings mTimings;
    QTimer mDisplayTimer;
    QTimer mWatchdog;
    bool mRunning = false;
    std::optional<QueueEntry> mOffered;
    std::optional<QueueEntry> mShown;
    // The numbers of the scores shown last, newest last: the other displays'
    // confirmations of a score already shown are known without reading the
    // queue, and never confirm a newer score of the same gymnast that they
    // have not been sent.
    QStringList mRecentlyShown;
};
