#pragma once

#include "meetchange.h"

#include <QList>
#include <QObject>
#include <QString>

// The one place that says what changed in the open meet file. The tables
// record every change they make; a change is announced once it is
// committed: at once outside a transaction, when the outer transaction
// commits inside one, and never when it (or the savepoint it was made under)
// rolls back. Whatever keeps computed results keys them by count(), which
// counts the committed changes that alter results; live views listen to the
// signals.
class MeetChanges : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    quint64 count() const { return mCount; }

    // Called by the tables after a statement changed rows.
    void record(MeetChange change);

    // Called by MeetDatabase as transactions and savepoints open and close.
    void transactionBegun();
    void transactionCommitted();
    void transactionRolledBack();
    void savepointTaken();
    void savepointReleased();
    void savepointRolledBack();

Q_SIGNALS:
    // Every committed change, in the order it was made.
    void committed(const MeetChange& change);
    // The results of `session` changed: by a score or otherwise.
    void resultsChangedIn(const QString& session);

private:
    void announce(const MeetChange& change);
    bool pending() const { return mInTransaction || !mSavepoints.isEmpty(); }

    quint64 mCount = 0;
    bool mInTransaction = false;
    QList<MeetChange> mPending;
    QList<qsizetype> mSavepoints; // the size of mPending as each savepoint was taken
};
