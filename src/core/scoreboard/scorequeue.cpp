#include "scorequeue.h"

#include "db/meetdatabase.h"
#include "displayseconds.h"
#include "queuekey.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SelectColumns =
    u"SELECT rowid AS rid, num, GymnastName, EventName, Score, DisplaySeconds, QueueTime, "
    "QueueTimeNum, corrected, Status FROM ScoreBoardQueue "_s;

bool failed(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

// The display name as its column holds it: first and last names together can
// be longer than the column, and a name must never keep a score off the queue.
QString queuedName(const QString& name) {
    constexpr int NameLength = 100; // ScoreBoardQueue.GymnastName
    QString cut = name.left(NameLength);
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
    , mClock([] { return QDateTime::currentDateTime(); }) {}

QueueEntry ScoreQueue::entryFromRow(const DbRows& rows, int row) {
    QueueEntry entry;
    entry.rowId = rows.value(row, u"rid"_s).toLongLong();
    entry.num = rows.text(row, u"num"_s);
    entry.name = rows.text(row, u"GymnastName"_s);
    entry.event = rows.text(row, u"EventName"_s);
    entry.score = rows.text(row, u"Score"_s);
    entry.displaySeconds = rows.value(row, u"DisplaySeconds"_s).toInt();
    entry.queueTime = queueTimeFromText(rows.text(row, u"QueueTime"_s));
    entry.key =
        entry.queueTime.isValid() ? queueKey(entry.queueTime) : rows.text(row, u"QueueTimeNum"_s);
    entry.status = rows.text(row, u"Status"_s);
    entry.corrected = rows.value(row, u"corrected"_s).toInt() != 0;
    return entry;
}

bool ScoreQueue::insertQueueRow(QueueEntry* entry, QString* error) {
    const bool ok = mDb.execute(
        u"INSERT INTO ScoreBoardQueue(num, GymnastName, EventName, Score, DisplaySeconds, "
        "QueueTime, QueueTimeNum, Status, corrected) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
        {entry->num, entry->name, entry->event, entry->score, entry->displaySeconds,
         queueTimeText(entry->queueTime), entry->key, entry->status, entry->corrected ? 1 : 0});
    if (!ok)
        return failed(error, mDb.lastError());
    const DbRows id = mDb.select(u"SELECT last_insert_rowid() AS rid"_s);
    if (!id.ok() || id.isEmpty())
        return failed(error, id.error());
    entry->rowId = id.value(0, u"rid"_s).toLongLong();
    return true;
}

bool ScoreQueue::updateQueueRow(const QueueEntry& entry, QString* error) {
    const bool ok =
        mDb.execute(u"UPDATE ScoreBoardQueue SET GymnastName = ?, Score = ?, DisplaySeconds = ?, "
                    "QueueTime = ?, QueueTimeNum = ?, Status = ?, corrected = ? WHERE rowid = ?"_s,
                    {entry.name, entry.score, entry.displaySeconds, queueTimeText(entry.queueTime),
                     entry.key, entry.status, entry.corrected ? 1 : 0, entry.rowId});
    return ok ? true : failed(error, mDb.lastError());
}

bool ScoreQueue::storeScore(const QString& num, const QString& name, const QString& event,
                            const QString& score, bool corrected, std::optional<QueueEntry>* toShow,
                            QString* error) {
    toShow->reset();
    const DbRows existing =
        mDb.select(u"SELECT rowid AS rid, Status, corrected FROM ScoreBoardQueue WHERE num = ? "
                   "AND EventName = ? AND IFNULL(GymnastName, '') <> ? ORDER BY rowid LIMIT 1"_s,
                   {num, event, QueueEntry::TestGymnastName});
    if (!existing.ok())
        return failed(error, existing.error());
    const QString status = existing.isEmpty() ? QString() : existing.text(0, u"Status"_s);
    const bool waitingCorrection =
        status == QueueEntry::Queued && existing.value(0, u"corrected"_s).toInt() != 0;

    QueueEntry entry;
    entry.num = num;
    entry.name = queuedName(name);
    entry.event = event;
    entry.score = score;
    entry.displaySeconds = mDisplaySeconds.seconds();
    entry.queueTime = mClock();
    entry.key = queueKey(entry.queueTime);
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
        entry.rowId = existing.value(0, u"rid"_s).toLongLong();
        if (!updateQueueRow(entry, error))
            return false;
    } else if (!insertQueueRow(&entry, error)) {
        return false;
    }
    *toShow = entry;
    return true;
}

void ScoreQueue::show(const QueueEntry& entry) {
    mGrid.showEntry(entry);
    Q_EMIT changed();
}

bool ScoreQueue::queueScore(const QString& num, const QString& name, const QString& event,
                            const QString& score, bool corrected, QString* error) {
    std::optional<QueueEntry> toShow;
    if (!storeScore(num, name, event, score, corrected, &toShow, error))
        return false;
    if (toShow)
        show(*toShow);
    return true;
}

bool ScoreQueue::reload(QString* error) {
    const DbRows rows = mDb.select(SelectColumns + u"WHERE Status = ?"_s, {QueueEntry::Queued});
    if (!rows.ok())
        return failed(error, rows.error());
    QList<QueueEntry> entries;
    for (int row = 0; row < rows.count(); ++row)
        entries.append(entryFromRow(rows, row));
    mGrid.setEntries(std::move(entries));
    Q_EMIT changed();
    return true;
}

bool ScoreQueue::expediteQueueRow(int row, QString* error) {
    const QueueEntry* chosen = mGrid.entryAt(row);
    const QueueEntry* earliest = mGrid.entryAt(0);
    if (!chosen || !earliest)
        return failed(error, u"There is no score in that row of the queue."_s);
    QueueEntry entry = *chosen;
    entry.queueTime = earliest->queueTime.addSecs(-10);
    entry.key = queueKey(entry.queueTime);
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
    const QueueEntry* entry = mGrid.entryAt(row);
    if (!entry)
        return failed(error, u"There is no score in that row of the queue."_s);
    if (!mDb.execute(u"DELETE FROM ScoreBoardQueue WHERE rowid = ?"_s, {entry->rowId}))
        return failed(error, mDb.lastError());
    mGrid.removeAt(row);
    Q_EMIT changed();
    return true;
}

std::optional<QueueEntry> ScoreQueue::nextWaiting(const QString& event, QString* error) {
    const DbRows rows = mDb.select(SelectColumns + u"WHERE Status = ? AND EventName = ? "
                                                   "ORDER BY QueueTimeNum ASC, rowid ASC LIMIT 1"_s,
                                   {QueueEntry::Queued, event});
    if (!rows.ok())
        failed(error, rows.error());
    if (rows.isEmpty())
        return std::nullopt;
    return entryFromRow(rows, 0);
}

std::optional<QueueEntry> ScoreQueue::waitingRow(const QString& num, const QString& event,
                                                 QString* error) {
    const DbRows rows =
        mDb.select(SelectColumns + u"WHERE Status = ? AND num = ? AND EventName = ? "
                                   "ORDER BY QueueTimeNum ASC, rowid ASC LIMIT 1"_s,
                   {QueueEntry::Queued, num, event});
    if (!rows.ok())
        failed(error, rows.error());
    if (rows.isEmpty())
        return std::nullopt;
    return entryFromRow(rows, 0);
}

bool ScoreQueue::markShown(const QueueEntry& offered, QString* error) {
    const DbRows rows = mDb.select(SelectColumns + u"WHERE rowid = ?"_s, {offered.rowId});
    if (!rows.ok())
        return failed(error, rows.error());
    if (rows.isEmpty()) {
        // Taken out by the operator while it was on the displays.
        mGrid.removeRowId(offered.rowId);
        return true;
    }
    QueueEntry current = entryFromRow(rows, 0);
    if (current.status != QueueEntry::Queued)
        return true;
    if (current.score != offered.score) {
        // A new score arrived while the old one was on the displays: the new
        // one waits and goes out as a correction.
        current.corrected = true;
        if (!mDb.execute(u"UPDATE ScoreBoardQueue SET corrected = 1 WHERE rowid = ?"_s,
                         {current.rowId}))
            return failed(error, mDb.lastError());
        show(current);
        return true;
    }
    const bool ok =
        isTestNumber(current.num)
            ? mDb.execute(u"DELETE FROM ScoreBoardQueue WHERE rowid = ?"_s, {current.rowId})
            : mDb.execute(u"UPDATE ScoreBoardQueue SET Status = ? WHERE rowid = ?"_s,
                          {QueueEntry::Sent, current.rowId});
    if (!ok)
        return failed(error, mDb.lastError());
    mGrid.removeRowId(current.rowId);
    Q_EMIT changed();
    return true;
}
