#include "meetchanges.h"

void MeetChanges::scoreStored(const QString& session) {
    ++mCount;
    Q_EMIT changed();
    Q_EMIT scoreStoredIn(session);
    Q_EMIT resultsChangedIn(session);
}

void MeetChanges::resultsChanged(const QStringList& sessions) {
    ++mCount;
    Q_EMIT changed();
    for (const QString& session : sessions)
        Q_EMIT resultsChangedIn(session);
}

void MeetChanges::meetEdited() {
    ++mCount;
    Q_EMIT changed();
}
