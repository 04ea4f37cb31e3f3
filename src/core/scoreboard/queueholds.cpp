#include "queueholds.h"

#include "db/dbtransaction.h"
#include "db/meetdatabase.h"
#include "db/tables/scorehistorytable.h"
#include "db/tables/scoreholdstable.h"
#include "db/tables/scoreinquiriestable.h"
#include "shell/failurereport.h"

#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

QueueHolds::QueueHolds(MeetDatabase& db)
    : mDb(db) {}

QString QueueHolds::heldKey(const QString& num, const QString& event) {
    return num + u'\n' + event.toLower();
}

bool QueueHolds::isHeld(const QString& num, const QString& event) const {
    return !mHeld.isEmpty() && mHeld.contains(heldKey(num, event));
}

void QueueHolds::noteHeld(const QString& num, const QString& event) {
    mHeld.insert(heldKey(num, event));
}

void QueueHolds::setHoldNewScores(const QString& event, bool hold) {
    if (hold)
        mHoldNew.insert(event.toLower());
    else
        mHoldNew.remove(event.toLower());
}

bool QueueHolds::holdsNewScores(const QString& event) const {
    return !mHoldNew.isEmpty() && mHoldNew.contains(event.toLower());
}

bool QueueHolds::reload(QString* error) {
    ScoreHoldsTable holds(mDb);
    const auto held = holds.all();
    if (!held)
        return reportFailure(error, holds.lastError());
    ScoreInquiriesTable inquiries(mDb);
    const auto asked = inquiries.all();
    if (!asked)
        return reportFailure(error, inquiries.lastError());
    mHeld.clear();
    for (const ScoreHoldsTable::Held& score : *held)
        mHeld.insert(heldKey(score.num, score.event));
    mUnderInquiry.clear();
    for (const ScoreInquiriesTable::Inquiry& inquiry : *asked) {
        if (inquiry.isOpen())
            mUnderInquiry.insert(heldKey(inquiry.num, inquiry.event));
    }
    return true;
}

void QueueHolds::mark(QueueEntry& entry) const {
    const bool counts = !entry.isTestScore();
    entry.held = entry.held || (counts && isHeld(entry.num, entry.event));
    entry.underInquiry = counts && !mUnderInquiry.isEmpty() &&
                         mUnderInquiry.contains(heldKey(entry.num, entry.event));
}

bool QueueHolds::recordOperatorChange(MeetDatabase& db, const QString& kind,
                                      const QueueEntry& entry, const QString& note,
                                      QString* error) {
    ScoreHistoryTable history(db);
    ScoreHistoryTable::Entry change;
    change.time = ScoreHistoryTable::timeText(QDateTime::currentDateTime());
    change.kind = kind;
    change.num = entry.num;
    change.event = entry.event;
    bool isNumber = false;
    const double shown = entry.score.toDouble(&isNumber);
    if (isNumber)
        change.before = change.after = shown;
    change.source = ScoreHistoryTable::Operator;
    change.note = note;
    if (!history.append(change))
        return reportFailure(error,
                             u"the score history could not be written: "_s + history.lastError());
    return true;
}

bool QueueHolds::holdStoredScore(QueueEntry& toShow, QString* error) {
    const QString time = ScoreHistoryTable::timeText(QDateTime::currentDateTime());
    ScoreHoldsTable holds(mDb);
    if (!holds.hold({toShow.num, toShow.event, time}))
        return reportFailure(error, holds.lastError());
    if (!recordOperatorChange(mDb, ScoreHistoryTable::Hold, toShow,
                              u"held as it arrived: new scores of the event are held"_s, error))
        return false;
    toShow.held = true;
    return true;
}

bool QueueHolds::change(const QueueEntry& entry, bool hold, QString* error) {
    DbTransaction transaction(mDb);
    if (!transaction.isActive())
        return reportFailure(error, mDb.lastError());
    ScoreHoldsTable holds(mDb);
    const bool done = hold ? holds.hold({entry.num, entry.event,
                                         ScoreHistoryTable::timeText(QDateTime::currentDateTime())})
                           : holds.release(entry.num, entry.event) || holds.lastError().isEmpty();
    if (!done)
        return reportFailure(error, holds.lastError());
    const QString note = hold ? u"held for review"_s : u"released to the displays"_s;
    if (!recordOperatorChange(mDb, hold ? ScoreHistoryTable::Hold : ScoreHistoryTable::Release,
                              entry, note, error))
        return false;
    if (!transaction.commit())
        return reportFailure(error, mDb.lastError());
    if (hold)
        mHeld.insert(heldKey(entry.num, entry.event));
    else
        mHeld.remove(heldKey(entry.num, entry.event));
    return true;
}
