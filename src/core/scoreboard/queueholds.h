#pragma once

#include "queueentry.h"

#include <QSet>
#include <QString>

class MeetDatabase;

// The queued scores held for the meet referee's review, as the ScoreHolds
// table keeps them and as the queue asks of them on every score: held or not,
// and the events whose new scores are held as they arrive; and the scores
// under an open inquiry, which the grid marks. Every hold and release is
// written together with its entry in the score history.
class QueueHolds {
public:
    explicit QueueHolds(MeetDatabase& db);

    bool isHeld(const QString& num, const QString& event) const;
    bool anyHeld() const { return !mHeld.isEmpty(); }
    // Counts the score as held (it was held inside a commit now done).
    void noteHeld(const QString& num, const QString& event);

    void setHoldNewScores(const QString& event, bool hold);
    bool holdsNewScores(const QString& event) const;

    // Marks `entry` held (when it is, or was already marked so) and under
    // inquiry as the meet file last said; a test score is neither.
    void mark(QueueEntry& entry) const;

    // Reads the held scores and the open inquiries again from the meet file.
    bool reload(QString* error);
    // Holds a score as it is stored, inside the caller's transaction, and
    // marks `toShow` held; the score counts as held once it is shown.
    bool holdStoredScore(QueueEntry& toShow, QString* error);
    // Holds or releases `entry` in one transaction with its history entry.
    bool change(const QueueEntry& entry, bool hold, QString* error);

    // Appends the operator's change of a queued score to the score history,
    // inside the caller's transaction.
    static bool recordOperatorChange(MeetDatabase& db, const QString& kind, const QueueEntry& entry,
                                     const QString& note, QString* error);

private:
    // The key of a gymnast's score for an event, letter case of the event aside.
    static QString heldKey(const QString& num, const QString& event);

    MeetDatabase& mDb;
    QSet<QString> mHeld;         // the held scores, by heldKey()
    QSet<QString> mHoldNew;      // events whose new scores are held, in lower case
    QSet<QString> mUnderInquiry; // the scores with an open inquiry, by heldKey()
};
