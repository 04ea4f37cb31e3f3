#include "scorequeue.h"

#include "db/meetdatabase.h"
#include "displayseconds.h"
#include "queuekey.h"

using namespace Qt::Literals::StringLiterals;

namespace {

bool failed(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

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
    , mClock([] { return QDateTime::currentDateTime(); }) {}

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
    return table.insert(*entry) ? true : failed(error, table.lastError());
}

bool ScoreQueue::updateQueueRow(const QueueEntry& entry, QString* error) {
    ScoreBoardQueueTable table(mDb);
    return table.update(entry) ? true : failed(error, table.lastError());
}

bool ScoreQueue::storeScore(const QString& num, const QString& name, const QString& event,
                            const QString& score, bool corrected, std::optional<QueueEntry>* toShow,
                            QString* error) {
    toShow->reset();
    ScoreBoardQueueTable table(mDb);
    const auto found = table.scoreOf(num, event, QueueEntry::TestGymnastName);
    if (!found)
        return failed(error, table.lastError());
    const std::optional<ScoreBoardQueueTable::Row>& existing = *found;
    const QString status = existing ? existing->status : QString();
    const bool waitingCorrection = status == QueueEntry::Queued && existing->corrected;

    QueueEntry entry;
    entry.num = num;
    entry.gymnastName = queuedName(name);
    entry.event = event;
    entry.score = score;
    entry.displaySeconds = mDisplaySeconds.seconds();
    const QDateTime now = mClock();
    entry.queueTime = queueTimeText(now);
    entry.queueTimeNum = queueKey(now);
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
    ScoreBoardQueueTable table(mDb);
    const auto rows = table.withStatus(QueueEntry::Queued);
    if (!rows)
        return failed(error, table.lastError());
    QList<QueueEntry> entries;
    for (const ScoreBoardQueueTable::Row& row : *rows)
        entries.append(entryOf(row));
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
    const QueueEntry* entry = mGrid.entryAt(row);
    if (!entry)
        return failed(error, u"There is no score in that row of the queue."_s);
    ScoreBoardQueueTable table(mDb);
    if (!table.remove(*entry))
        return failed(error, table.lastError());
    mGrid.removeAt(row);
    Q_EMIT changed();
    return true;
}

std::optional<QueueEntry> ScoreQueue::nextWaiting(const QString& event, QString* error) {
    ScoreBoardQueueTable table(mDb);
    const auto row = table.firstWith(QueueEntry::Queued, event);
    if (!row)
        failed(error, table.lastError());
    if (!row || !*row)
        return std::nullopt;
    return entryOf(**row);
}

std::optional<QueueEntry> ScoreQueue::waitingRow(const QString& num, const QString& event,
                                                 QString* error) {
    ScoreBoardQueueTable table(mDb);
    const auto row = table.firstWith(QueueEntry::Queued, event, num);
    if (!row)
        failed(error, table.lastError());
    if (!row || !*row)
        return std::nullopt;
    return entryOf(**row);
}

bool ScoreQueue::markShown(const QueueEntry& offered, QString* error) {
    ScoreBoardQueueTable table(mDb);
    const auto row = table.byId(offered.rowId);
    if (!row)
        return failed(error, table.lastError());
    if (!*row) {
        // Taken out by the operator while it was on the displays.
        mGrid.removeRowId(offered.rowId);
        return true;
    }
    QueueEntry current = entryOf(**row);
    if (current.status != QueueEntry::Queued)
        return true;
    if (current.score != offered.score) {
        // A new score arrived while the old one was on the displays: the new
        // one waits and goes out as a correction.
        current.corrected = true;
        if (!table.markCorrected(**row))
            return failed(error, table.lastError());
        show(current);
        return true;
    }
    const bool ok =
        isTestNumber(current.num) ? table.remove(**row) : table.setStatus(**row, QueueEntry::Sent);
    if (!ok)
        return failed(error, table.lastError());
    mGrid.removeRowId(current.rowId);
    Q_EMIT changed();
    return true;
}
