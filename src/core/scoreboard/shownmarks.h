#pragma once

#include "queueentry.h"

#include <QList>
#include <QString>
#include <QTimer>

#include <functional>

class MeetDatabase;

// The display loops' marks of scores shown, written a little later: while
// judges score, in the next score's transaction; else, a moment later, in one
// of their own, without a disk sync of their own and without switching the
// connection's sync setting for each. A mark lost to a power cut before the
// next synced commit shows its score once more after the restart, nothing
// worse.
class ShownMarks {
public:
    // Writes one mark inside the open transaction; sets `*needsSync` when the
    // change wants its commit synced (as a score's is).
    using Writer = std::function<bool(const QueueEntry&, bool* needsSync, QString* error)>;
    // A mark that could not be written, and why.
    using Failed = std::function<void(const QueueEntry&, const QString& error)>;

    // `lost` runs after a batch of its own failed to commit: what it held
    // still waits in the meet file.
    ShownMarks(MeetDatabase& db, Writer write, Failed failed, std::function<void()> lost);

    void add(const QueueEntry& entry);
    // The marks not written yet, oldest first.
    const QList<QueueEntry>& waiting() const { return mMarks; }
    // Writes the waiting marks inside the caller's transaction; true when one
    // of them must be synced by its commit.
    bool writeWithin();
    // Writes the waiting marks in one transaction of their own (or inside the
    // one already open).
    void flush();

private:
    MeetDatabase& mDb;
    Writer mWrite;
    Failed mFailed;
    std::function<void()> mLost;
    QList<QueueEntry> mMarks; // shown, not yet written
    QTimer mTimer;
};
