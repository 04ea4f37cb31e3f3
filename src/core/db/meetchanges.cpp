#include "meetchanges.h"

#include <utility>

void MeetChanges::record(MeetChange change) {
    if (pending())
        mPending.append(std::move(change));
    else
        announce(change);
}

void MeetChanges::transactionBegun() {
    mInTransaction = true;
    mPending.clear();
    mSavepoints.clear();
}

void MeetChanges::transactionCommitted() {
    mInTransaction = false;
    mSavepoints.clear();
    // Taken out first: a listener may change the meet again.
    const QList<MeetChange> changes = std::exchange(mPending, {});
    for (const MeetChange& change : changes)
        announce(change);
}

void MeetChanges::transactionRolledBack() {
    mInTransaction = false;
    mSavepoints.clear();
    mPending.clear();
}

void MeetChanges::savepointTaken() {
    mSavepoints.append(mPending.size());
}

void MeetChanges::savepointReleased() {
    if (mSavepoints.isEmpty())
        return;
    mSavepoints.removeLast();
    // A savepoint outside a transaction commits as it is released.
    if (!pending())
        transactionCommitted();
}

void MeetChanges::savepointRolledBack() {
    if (mSavepoints.isEmpty())
        return;
    mPending.resize(mSavepoints.takeLast());
    if (!pending())
        mPending.clear();
}

void MeetChanges::announce(const MeetChange& change) {
    if (change.altersResults)
        ++mCount;
    Q_EMIT committed(change);
    if (change.altersResults) {
        for (const QString& session : change.sessions)
            Q_EMIT resultsChangedIn(session);
    }
}
