#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class MeetChanges;
struct MeetChange;

// Who is on each event right now, as far as the server can tell: the
// gymnasts the event's judges looked up or scored last, newest first. A
// number that finds no one (a slip of the finger) or belongs to another
// session is passed over by whoever reads the list, so it is kept short
// rather than checked here.
class EventsUnderway : public QObject {
    Q_OBJECT

public:
    // Numbers kept per event.
    static constexpr qsizetype Kept = 8;

    explicit EventsUnderway(MeetChanges& changes, QObject* parent = nullptr);

    // A judge of `event` looked gymnast `number` up (as typed: "0101" is 101).
    void lookedUp(const QString& number, const QString& event);
    // The numbers last looked up or scored on `event`, newest first.
    QStringList recent(const QString& event) const { return mRecent.value(event); }

Q_SIGNALS:
    // A lookup moved an event on to another gymnast. A stored score says
    // nothing here: the results' own change tells of it.
    void changed();

private:
    bool bringForward(const QString& number, const QString& event);
    void committed(const MeetChange& change);

    QHash<QString, QStringList> mRecent;
};
