#include "eventsunderway.h"

#include "db/meetchanges.h"
#include "db/meetevents.h"

EventsUnderway::EventsUnderway(MeetChanges& changes, QObject* parent)
    : QObject(parent) {
    connect(&changes, &MeetChanges::committed, this, &EventsUnderway::committed);
}

void EventsUnderway::lookedUp(const QString& number, const QString& event) {
    // Stations send the number as typed; the meet knows it without leading zeros.
    bool numeric = false;
    const int asNumber = number.trimmed().toInt(&numeric);
    if (numeric && asNumber > 0 && bringForward(QString::number(asNumber), event))
        Q_EMIT changed();
}

void EventsUnderway::committed(const MeetChange& change) {
    if (change.isWholeMeet())
        mRecent.clear();
    else if (change.isScore())
        bringForward(change.num, change.event);
}

bool EventsUnderway::bringForward(const QString& number, const QString& event) {
    if (MeetEvents::number(event) == 0)
        return false;
    QStringList& numbers = mRecent[event];
    if (!numbers.isEmpty() && numbers.first() == number)
        return false;
    numbers.removeAll(number);
    numbers.prepend(number);
    if (numbers.size() > Kept)
        numbers.resize(Kept);
    return true;
}
