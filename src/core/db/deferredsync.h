#pragma once

#include <QFile>
#include <QString>

class MeetDatabase;

// The meet file's commits synced to the disk by hand. While a standby holds
// every commit on its own disk before a confirmation goes, the primary's
// commit need not wait for its own sync first: the commit is written to the
// write-ahead log, its pages go to the standby, and the log is synced here
// while the standby writes them, so the two syncs overlap. A confirmation
// still waits for both. Back to full sync on each commit with restore().
class DeferredSync {
public:
    explicit DeferredSync(MeetDatabase& db)
        : mDb(db) {}
    ~DeferredSync();
    DeferredSync(const DeferredSync&) = delete;
    DeferredSync& operator=(const DeferredSync&) = delete;

    // Commits stop syncing by themselves; false with `error` (and they go on
    // syncing) when the log cannot be reached.
    bool defer(QString* error);
    bool isDeferred() const { return mLog.isOpen(); }
    // Everything committed so far is on the disk once this returns true.
    bool syncNow(QString* error);
    // Syncs what is committed and has each commit sync by itself again.
    bool restore(QString* error);

private:
    MeetDatabase& mDb;
    QFile mLog;
};
