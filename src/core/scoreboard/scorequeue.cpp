#include "scorequeue.h"

#include "db/dbtransaction.h"
#include "db/meetdatabase.h"
#include "db/tables/scorehistorytable.h"
#include "db/tables/scoreinquiriestable.h"
#include "displayseconds.h"
#include "queuekey.h"
#include "shell/failurereport.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The display name as its column holds it: first and last names together can
// be longer than the column, and a name must never keep a score off the queue.
QString queuedName(const QString& name) {
    QString cut = name.left(ScoreBoardQueueTable::NameLength);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

bool isTestNumber(const QString& num) {
    bool ok = false;
    return num.toInt(&ok) == QueueEntry::TestGymnastNumber.toInt() && ok;
}

} // namespace

ScoreQueue::ScoreQueue(MeetDatabase& db, const DisplaySeconds& displaySeconds, QObject* parent)
    : QObject(parent)
    , mDb(db)
    , mDisplaySeconds(displaySeconds)
    , mClock([] { return QDateTime::currentDateTime(); })
    , mHolds(db)
    , mShownMarks(
          db,
          [this](const QueueEntry& mark, bool* needsSync, QString* error) {
              return markOne(mark, needsSync, error);
          },
          [this](const QueueEntry& mark, const QString& error) {
              // The grid let the score go when it was shown; it still waits.
              if (mGrid.rowOf(mark.rowId) < 0)
                  reload();
              Q_EMIT shownMarkFailed(mark, error);
          },
          // What was not written still waits: the grid shows it again.
          [this] { reload(); }) {
    // An inquiry filed or decided marks or unmarks the gymnast's waiting score.
    connect(&db.changes(), &MeetChanges::committed, this, [this](const MeetChange& change) {
        if (change.table == ScoreInquiriesTable::Name)
            reload();
    });
}

ScoreQueue::~ScoreQueue() {
    if (mDb.isOpen())
        flushShownMarks();
}

QueueEntry ScoreQueue::entryOf(const ScoreBoardQueueTable::Row& row) {
    // Rows stored with another time form or an unpadded key read as this
    // program writes them, so they sort in time order.
    QueueEntry entry(row);
    const QDateTime time = queueTimeFromText(row.queueTime);
    entry.queueTime = queueTimeText(time);
    if (time.isValid())
        entry.queueTimeNum = queueKey(time);
    return entry;
}

bool ScoreQueue::insertQueueRow(QueueEntry* entry, QString* error) {
    ScoreBoardQueueTable table(mDb);
    return table.insert(*entry) ? true : reportFailure(error, table.lastError());
}

bool ScoreQueue::updateQueueRow(const QueueEntry& entry, QString* error) {
    ScoreBoardQueueTable table(mDb);
    return table.update(entry) ? true : reportFailure(error, table.lastError());
}

bool ScoreQueue::storeScore(const QString& num, const QString& name, const QString& event,
                            const QString& score, bool corrected, const QDateTime& queuedAt,
                            std::optional<QueueEntry>* toShow, QString* error) {
    toShow->reset();
    ScoreBoardQueueTable table(mDb);
    const auto found = table.scoreOf(num, event, QueueEntry::TestGymnastName);
    if (!found)
        return reportFailure(error, table.lastError());
    const std::optional<ScoreBoardQueueTable::Row>& existing = *found;
    const QString status = existing ? existing->status : QString();
    const bool waitingCorrection = status == QueueEntry::Queued && existing->corrected;

    QueueEntry entry;
    entry.num = num;
    entry.gymnastName = queuedName(name);
    entry.event = event;
    entry.score = score;
    entry.displaySeconds = mDisplaySeconds.seconds();
    // A batch of scores shares one stamp: its texts are written once.
    if (queuedAt != mStampedAt || mStampText.isEmpty()) {
        mStampedAt = queuedAt;
        mStampText = queueTimeText(queuedAt);
        mStampKey = queueKey(queuedAt);
    }
    entry.queueTime = mStampText;
    entry.queueTimeNum = mStampKey;
    // A score for a shown one is a correction: the displays flag it. It stays
    // one when it is replaced again before it is shown, as the displays still
    // show the score it corrects.
    entry.corrected = corrected || status == QueueEntry::Sent || waitingCorrection;

    if (status == QueueEntry::Queued && entry.isTestScore())
        return true; // the number's real score is still waiting: the test score is dropped
    const bool reuseRow =
        !entry.isTestScore() && (status == QueueEntry::Queued || status == QueueEntry::Sent);
    if (reuseRow) {
        // The waiting score is replaced, or the shown one waits again as a
        // correction; either way it now queues behind everything before it.
        entry.rowId = existing->rowId;
        if (!updateQueueRow(entry, error))
            return false;
    } else if (!insertQueueRow(&entry, error)) {
        return false;
    }
    *toShow = entry;
    return true;
}

void ScoreQueue::show(const QueueEntry& shown) {
    QueueEntry entry = shown;
    if (entry.held)
        mHolds.noteHeld(entry.num, entry.event);
    mHolds.mark(entry);
    mGrid.showEntry(entry);
    Q_EMIT changed();
}

bool ScoreQueue::queueScore(const QString& num, const QString& name, const QString& event,
                            const QString& score, bool corrected, QString* error) {
    // The desk's test score is recorded as a station's test score is: it
    // changes no gymnast, but the history says the displays were tried.
    DbTransaction transaction(mDb);
    if (!transaction.isActive())
        return reportFailure(error, mDb.lastError());
    writeShownMarks(); // synced by this commit
    std::optional<QueueEntry> toShow;
    if (!storeScore(num, name, event, score, corrected, mClock(), &toShow, error))
        return false;
    ScoreHistoryTable history(mDb);
    ScoreHistoryTable::Entry test;
    test.time = ScoreHistoryTable::timeText(QDateTime::currentDateTime());
    test.kind = ScoreHistoryTable::Test;
    test.num = num;
    test.event = event;
    bool isNumber = false;
    const double value = score.trimmed().toDouble(&isNumber);
    if (isNumber)
        test.after = value;
    test.source = ScoreHistoryTable::Operator;
    test.note =
        corrected ? u"the desk's test score, as a correction"_s : u"the desk's test score"_s;
    if (!history.append(test))
        return reportFailure(error,
                             u"the score history could not be written: "_s + history.lastError());
    if (!transaction.commit())
        return reportFailure(error, mDb.lastError());
    if (toShow)
        show(*toShow);
    return true;
}

bool ScoreQueue::reload(QString* error) {
    flushShownMarks();
    ScoreBoardQueueTable table(mDb);
    const auto rows = table.waiting();
    if (!rows)
        return reportFailure(error, table.lastError());
    if (!mHolds.reload(error))
        return false;
    QList<QueueEntry> entries;
    for (const ScoreBoardQueueTable::Row& row : *rows) {
        entries.append(entryOf(row));
        mHolds.mark(entries.last());
    }
    mGrid.setEntries(std::move(entries));
    Q_EMIT changed();
    return true;
}

bool ScoreQueue::expediteQueueRow(int row, QString* error) {
    flushShownMarks();
    const QueueEntry* chosen = mGrid.entryAt(row);
    const QueueEntry* earliest = mGrid.entryAt(0);
    if (!chosen || !earliest)
        return reportFailure(error, u"There is no score in that row of the queue."_s);
    QueueEntry entry = *chosen;
    const QDateTime time = queueTimeFromText(earliest->queueTime).addSecs(-10);
    entry.queueTime = queueTimeText(time);
    entry.queueTimeNum = queueKey(time);
    if (!updateQueueRow(entry, error))
        return false;
    show(entry);
    return true;
}

QString ScoreQueue::removeQuestion(int row) const {
    const QueueEntry* entry = mGrid.entryAt(row);
    if (!entry)
        return {};
    return u"Remove score for gymnast "_s + entry->num + u" from scoreboard queue?"_s;
}

bool ScoreQueue::removeQueueRow(int row, QString* error) {
    flushShownMarks();
    const QueueEntry* entry = mGrid.entryAt(row);
    if (!entry)
        return reportFailure(error, u"There is no score in that row of the queue."_s);
    if (entry->held)
        return reportFailure(error,
                             u"The score is held for review: release it before taking it out "
                             "of the queue."_s);
    // Taken out together with the history's word of it, or not at all.
    DbTransaction transaction(mDb);
    if (!transaction.isActive())
        return reportFailure(error, mDb.lastError());
    ScoreBoardQueueTable table(mDb);
    if (!table.remove(*entry))
        return reportFailure(error, table.lastError());
    if (!QueueHolds::recordOperatorChange(mDb, ScoreHistoryTable::Removal, *entry,
                                          u"taken out of the scoreboard queue"_s, error))
        return false;
    if (!transaction.commit())
        return reportFailure(error, mDb.lastError());
    mGrid.removeAt(row);
    Q_EMIT changed();
    return true;
}

bool ScoreQueue::holdQueueRow(int row, QString* error) {
    return changeHold(row, true, error);
}

bool ScoreQueue::releaseQueueRow(int row, QString* error) {
    return changeHold(row, false, error);
}

bool ScoreQueue::changeHold(int row, bool hold, QString* error) {
    flushShownMarks();
    const QueueEntry* chosen = mGrid.entryAt(row);
    if (!chosen)
        return reportFailure(error, u"There is no score in that row of the queue."_s);
    if (chosen->isTestScore())
        return reportFailure(error, u"A test score is never held."_s);
    if (chosen->held == hold)
        return true;
    QueueEntry entry = *chosen;
    if (!mHolds.change(entry, hold, error))
        return false;
    entry.held = hold;
    mGrid.showEntry(entry);
    Q_EMIT changed();
    return true;
}

std::optional<QueueEntry> ScoreQueue::nextWaiting(const QString& event, QString* error) {
    // A score shown a moment ago waits in the meet file until its mark goes
    // with the next commit: it is passed over as the mark will take it out.
    // A mark that leaves its row waiting (a new score came meanwhile, which
    // now goes out as a correction) is written first.
    bool markKeepsRow = false;
    const auto marked = [this, &markKeepsRow](const ScoreBoardQueueTable::Row& row) {
        for (const QueueEntry& mark : mShownMarks.waiting()) {
            if (mark.rowId != row.rowId)
                continue;
            if (mark.score == row.score)
                return true;
            markKeepsRow = true;
        }
        return false;
    };
    const auto first = [this, &event, error](const ScoreBoardQueueTable::PassOver& passOver) {
        ScoreBoardQueueTable table(mDb);
        // Held scores wait without blocking the others of their event.
        const auto row = mHolds.anyHeld() ? table.firstWaitingNotHeld(event, passOver)
                                          : table.firstWaiting(event, passOver);
        if (!row)
            reportFailure(error, table.lastError());
        return row && *row ? std::optional<QueueEntry>(entryOf(**row)) : std::nullopt;
    };
    if (mShownMarks.waiting().isEmpty())
        return first({});
    std::optional<QueueEntry> next = first(marked);
    if (!markKeepsRow)
        return next;
    flushShownMarks();
    return first({});
}

std::optional<QueueEntry> ScoreQueue::waitingRow(const QString& num, const QString& event,
                                                 QString* error) {
    if (isHeld(num, event))
        return std::nullopt; // a held score is never on the displays
    flushShownMarks();

    ScoreBoardQueueTable table(mDb);
    const auto row = table.waitingOf(num, event);
    if (!row)
        reportFailure(error, table.lastError());
    if (!row || !*row)
        return std::nullopt;
    return entryOf(**row);
}

bool ScoreQueue::markShown(const QueueEntry& offered, QString* error) {
    flushShownMarks();
    return markOne(offered, nullptr, error);
}

void ScoreQueue::markShownSoon(const QueueEntry& entry) {
    mShownMarks.add(entry);
    // The grid shows at once what the mark will do to a score it leaves as
    // offered: it is gone. A changed one waits for the mark (a correction).
    const QueueEntry* listed = mGrid.entryAt(mGrid.rowOf(entry.rowId));
    if (listed && listed->score == entry.score && !isHeld(listed->num, listed->event)) {
        mGrid.removeRowId(entry.rowId);
        Q_EMIT changed();
    }
}

bool ScoreQueue::writeShownMarks() {
    return mShownMarks.writeWithin();
}

void ScoreQueue::flushShownMarks() {
    mShownMarks.flush();
}

bool ScoreQueue::markOne(const QueueEntry& offered, bool* needsSync, QString* error) {
    ScoreBoardQueueTable table(mDb);
    // Most marks find the row as it was offered: it turns "Sent" in one
    // statement. Anything else (taken out, replaced, held, a test score) is
    // read and decided below.
    if (needsSync && !isTestNumber(offered.num) && !isHeld(offered.num, offered.event)) {
        if (table.setStatusIfUnchanged(offered, QueueEntry::Queued, QueueEntry::Sent)) {
            mGrid.removeRowId(offered.rowId);
            Q_EMIT changed();
            return true;
        }
        if (!table.lastError().isEmpty())
            return reportFailure(error, table.lastError());
    }
    const auto row = table.byId(offered.rowId);
    if (!row)
        return reportFailure(error, table.lastError());
    if (!*row) {
        // Taken out by the operator while it was on the displays.
        mGrid.removeRowId(offered.rowId);
        return true;
    }
    QueueEntry current = entryOf(**row);
    // A score held while it was on the displays waits for its release.
    if (current.status != QueueEntry::Queued || isHeld(current.num, current.event))
        return true;
    if (current.score != offered.score) {
        // A new score arrived while the old one was on the displays: the new
        // one waits and goes out as a correction.
        current.corrected = true;
        if (!table.markCorrected(**row))
            return reportFailure(error, table.lastError());
        if (needsSync)
            *needsSync = true;
        show(current);
        return true;
    }
    bool ok = false;
    if (isTestNumber(current.num)) {
        ok = table.remove(**row);
        if (needsSync)
            *needsSync = true;
    } else {
        ok = needsSync ? table.setStatusWithin(**row, QueueEntry::Sent)
                       : table.setStatus(**row, QueueEntry::Sent);
    }
    if (!ok)
        return reportFailure(error, table.lastError());
    mGrid.removeRowId(current.rowId);
    Q_EMIT changed();
    return true;
}
