#include "meetchanges.h"

void MeetChanges::scoreStored(const QString& session) {
    ++mCount;
    Q_EMIT changed();
    Q_EMIT scoreStoredIn(session);
}

void MeetChanges::meetEdited() {
    ++mCount;
    Q_EMIT changed();
}
