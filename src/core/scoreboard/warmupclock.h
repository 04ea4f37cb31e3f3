#pragma once

#include <QObject>
#include <QStringList>
#include <QTime>

class DisplayConnections;
class QueueGridModel;
class StationLink;

// The timed warm-up countdown the score displays run between rotations. The
// server only starts and stops it; it may start only while no score waits.
class WarmupClock : public QObject {
    Q_OBJECT

public:
    static inline const QString DefaultDuration = QStringLiteral("15:00");
    static inline const QString QueueNotEmpty =
        QStringLiteral("You cannot set warm-up clock when there are scores in the queue.");

    WarmupClock(DisplayConnections& displays, StationLink& link, const QueueGridModel& queue,
                QObject* parent = nullptr);

    static const QStringList& durations(); // "02:00" ... "30:00"
    QString duration() const { return mDuration; }
    bool setDuration(const QString& text); // false for a text not in the list

    // "Start Timer": sends "STARTTIMER|TIMEDWARMUP|" + duration to every
    // display and returns the empty text, or returns the refusal to show.
    QString sendWarmupTime();
    // "Stop": "STOPTIMER|0" to every display, whatever the queue holds.
    // Returns the empty text, or the failure to show.
    QString sendWarmupStop();

    // The six digits of the time-of-day clock, hours always two: 9:05:07 -> "090507".
    static QString timeOfDayDigits(const QTime& time);

private:
    DisplayConnections& mDisplays;
    StationLink& mLink;
    const QueueGridModel& mQueue;
    QString mDuration = DefaultDuration;
};
