#pragma once

#include "db/tables/scoreboardqueuetable.h"
#include "queueentry.h"
#include "queuegridmodel.h"
#include "queueholds.h"
#include "shownmarks.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <optional>

class DisplaySeconds;
class MeetDatabase;

// The scoreboard queue, kept twice: as ScoreBoardQueue rows of the meet file,
// which survive a restart, and as the queue grid the operator watches. A score
// is stored first; the grid shows it once the store is committed.
class ScoreQueue : public QObject {
    Q_OBJECT

public:
    ScoreQueue(MeetDatabase& db, const DisplaySeconds& displaySeconds, QObject* parent = nullptr);
    // Writes the shown marks still waiting.
    ~ScoreQueue() override;

    QueueGridModel* grid() { return &mGrid; }
    const QueueGridModel* grid() const { return &mGrid; }

    // The clock that stamps queued scores (tests move it).
    void setClock(std::function<QDateTime()> clock) { mClock = std::move(clock); }
    QDateTime now() const { return mClock(); }

    // Writes one score's queue row without a transaction of its own, so a
    // caller can store it together with the gymnast's score, stamped
    // `queuedAt` (a batch of scores read the clock once). Returns false
    // with `error` set when the write failed. `toShow` gets the grid row to
    // show after the commit; it stays empty for a test score that is dropped
    // because the number's real score for the event is still waiting.
    bool storeScore(const QString& num, const QString& name, const QString& event,
                    const QString& score, bool corrected, const QDateTime& queuedAt,
                    std::optional<QueueEntry>* toShow, QString* error);
    void show(const QueueEntry& entry);

    // Stores and shows the operator's test score, with its entry in the score
    // history, in one transaction.
    bool queueScore(const QString& num, const QString& name, const QString& event,
                    const QString& score, bool corrected, QString* error = nullptr);

    // Rebuilds the grid from the waiting rows of the meet file.
    bool reload(QString* error = nullptr);

    // Moves the score of grid row `row` before every waiting score: its time
    // becomes 10 s before the earliest one's, so it goes next for its event.
    bool expediteQueueRow(int row, QString* error = nullptr);

    // The operator's question before removing grid row `row` (empty for the
    // empty row), and the removal itself. A held score is released first.
    QString removeQuestion(int row) const;
    bool removeQueueRow(int row, QString* error = nullptr);

    // Holds the score of grid row `row` for the meet referee's review: it
    // stays stored and waiting, but goes to no display and counts in no place
    // until it is released; released, it goes out as any waiting score (as a
    // correction when the displays had shown an earlier one). Each is recorded
    // in the score history.
    bool holdQueueRow(int row, QString* error = nullptr);
    bool releaseQueueRow(int row, QString* error = nullptr);
    bool isHeld(const QString& num, const QString& event) const {
        return mHolds.isHeld(num, event);
    }

    // Whether scores new to the queue for `event` are held as they arrive.
    void setHoldNewScores(const QString& event, bool hold) { mHolds.setHoldNewScores(event, hold); }
    bool holdsNewScores(const QString& event) const { return mHolds.holdsNewScores(event); }
    // Holds a score as it is stored, inside the caller's transaction, and
    // marks `toShow` held; the score counts as held once it is shown.
    bool holdStoredScore(QueueEntry& toShow, QString* error) {
        return mHolds.holdStoredScore(toShow, error);
    }

    // The oldest waiting score of an event, as the display loop offers it.
    // Empty also when the queue cannot be read (`error` then tells why).
    std::optional<QueueEntry> nextWaiting(const QString& event, QString* error = nullptr);

    // A display has shown `entry`: the row turns "Sent" (a test gymnast's row
    // is deleted) and leaves the grid. When the score was replaced after it was
    // offered, the replacement stays waiting and is marked as a correction.
    bool markShown(const QueueEntry& entry, QString* error = nullptr);
    // The same for the display loops, written a little later (ShownMarks).
    // Every read and write of the queue here writes the waiting marks first.
    // A mark that fails is reported by shownMarkFailed().
    void markShownSoon(const QueueEntry& entry);
    // Writes the waiting shown marks in one transaction of their own.
    void flushShownMarks();
    // Writes the waiting shown marks inside the caller's transaction; true
    // when one of them must be synced by its commit (as the scores' are).
    bool writeShownMarks();
    // The waiting row of this number and event, for a confirmation that does
    // not match what was offered. Empty also when the queue cannot be read
    // (`error` then tells why).
    std::optional<QueueEntry> waitingRow(const QString& num, const QString& event,
                                         QString* error = nullptr);

    bool insertQueueRow(QueueEntry* entry, QString* error);
    bool updateQueueRow(const QueueEntry& entry, QString* error);

Q_SIGNALS:
    void changed();
    // A shown mark from markShownSoon() could not be written.
    void shownMarkFailed(const QueueEntry& entry, const QString& error);

private:
    // markShown()'s work. Without `needsSync` each change commits alone, the
    // status without a disk sync; with it, inside the caller's transaction,
    // and `needsSync` is set when a change wants its commit synced.
    bool markOne(const QueueEntry& offered, bool* needsSync, QString* error);
    static QueueEntry entryOf(const ScoreBoardQueueTable::Row& row);
    // Holds or releases grid row `row` in one transaction with its history entry.
    bool changeHold(int row, bool hold, QString* error);

    MeetDatabase& mDb;
    const DisplaySeconds& mDisplaySeconds;
    QueueGridModel mGrid;
    std::function<QDateTime()> mClock;
    QueueHolds mHolds;
    // The last stamp storeScore() wrote, as the queue rows hold it.
    QDateTime mStampedAt;
    QString mStampText;
    QString mStampKey;
    ShownMarks mShownMarks;
};
