#include "shownmarks.h"

#include "db/dbtransaction.h"
#include "db/meetdatabase.h"
#include "db/tables/scoreboardqueuetable.h"

using namespace Qt::Literals::StringLiterals;

ShownMarks::ShownMarks(MeetDatabase& db, Writer write, Failed failed, std::function<void()> lost)
    : mDb(db)
    , mWrite(std::move(write))
    , mFailed(std::move(failed))
    , mLost(std::move(lost)) {
    // Long enough for a score's commit to take them while judges score,
    // short enough that the operator's queue grid looks at once.
    constexpr int WaitForAScoreMs = 20;
    mTimer.setSingleShot(true);
    mTimer.setInterval(WaitForAScoreMs);
    QObject::connect(&mTimer, &QTimer::timeout, [this] { flush(); });
}

void ShownMarks::add(const QueueEntry& entry) {
    mMarks.append(entry);
    if (!mTimer.isActive())
        mTimer.start();
}

bool ShownMarks::writeWithin() {
    mTimer.stop();
    const QList<QueueEntry> marks = std::exchange(mMarks, {});
    bool needsSync = false;
    for (const QueueEntry& mark : marks) {
        QString error;
        if (!mWrite(mark, &needsSync, &error))
            mFailed(mark, error);
    }
    return needsSync;
}

void ShownMarks::flush() {
    if (mMarks.isEmpty())
        return;
    // Inside a transaction already open they go with it.
    ScoreBoardQueueTable table(mDb);
    if (table.inTransaction()) {
        writeWithin();
        return;
    }
    const QList<QueueEntry> marks = mMarks;
    // One commit for them all, without a sync: the next score's commit syncs
    // them with it.
    QString error;
    bool ok = table.setCommitsSynced(false);
    if (ok) {
        DbTransaction transaction(mDb);
        ok = transaction.isActive();
        if (ok) {
            // A correction flag or a test score's removal syncs as it did alone.
            if (writeWithin())
                ok = table.setCommitsSynced(true);
            ok = ok && transaction.commit();
        }
    }
    if (!ok)
        error = table.lastError().isEmpty() ? mDb.lastError() : table.lastError();
    if (!table.setCommitsSynced(true) && error.isEmpty())
        error = u"the scores after them may not be synced to the disk: "_s + table.lastError();
    if (error.isEmpty())
        return;
    mMarks.clear();
    mTimer.stop();
    for (const QueueEntry& mark : marks)
        mFailed(mark, error);
    mLost();
}
