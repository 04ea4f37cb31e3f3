#include "scoreboardqueuetable.h"

#include "boundtexts.h"
#include "db/meetchanges.h"
#include "db/meetdatabase.h"
#include "db/sqlitestatement.h"

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SelectColumns =
    u"SELECT rowid AS rid, num, GymnastName, EventName, Score, DisplaySeconds, QueueTime, "
    "QueueTimeNum, corrected, Status FROM ScoreBoardQueue "_s;

// Reads a row of SelectColumns by column place: the queue is read for every
// score and every display's turn.
ScoreBoardQueueTable::Row rowOf(const SqliteStatement& statement) {
    const auto text = [&statement](int column) {
        const QVariant value = statement.ownedValue(column);
        return value.isValid() ? value.toString() : QString();
    };
    ScoreBoardQueueTable::Row row;
    row.rowId = statement.value(0).toLongLong();
    row.num = text(1);
    row.gymnastName = text(2);
    row.event = text(3);
    row.score = text(4);
    row.displaySeconds = statement.value(5).toInt();
    row.queueTime = text(6);
    row.queueTimeNum = text(7);
    row.corrected = statement.value(8).toInt() != 0;
    row.status = text(9);
    return row;
}

} // namespace

ScoreBoardQueueTable::ScoreBoardQueueTable(MeetDatabase& db)
    : MeetTable(db) {}

bool ScoreBoardQueueTable::changed(const QString& sql, const QVariantList& values, const Row& row) {
    if (!mDb.execute(sql, values))
        return failed(mDb.lastError());
    mDb.changes().record({Name, {QString::number(row.rowId)}, row.num, row.event, {}, false});
    return true;
}

bool ScoreBoardQueueTable::insert(Row& row) {
    // Every score queues a row: its texts go in as BoundTexts binds them.
    static const QString sql = u"INSERT INTO ScoreBoardQueue(num, GymnastName, EventName, Score, "
                               "DisplaySeconds, QueueTime, QueueTimeNum, Status, corrected) "
                               "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"_s;
    const std::shared_ptr<SqliteStatement> insert = mDb.sqliteStatement(sql);
    if (!insert)
        return failed(mDb.lastError());
    BoundTexts texts;
    for (const QString* text : {&row.num, &row.gymnastName, &row.event, &row.score, &row.queueTime,
                                &row.queueTimeNum, &row.status})
        texts.add(*text);
    for (int text = 0; text < 4; ++text)
        texts.bind(*insert, text, text);
    insert->bind(4, row.displaySeconds);
    for (int text = 4; text < 7; ++text)
        texts.bind(*insert, text + 1, text);
    insert->bind(8, row.corrected ? 1 : 0);
    if (!insert->run())
        return failed(insert->error());
    row.rowId = insert->lastInsertRowId();
    mDb.changes().record({Name, {QString::number(row.rowId)}, row.num, row.event, {}, false});
    return true;
}

bool ScoreBoardQueueTable::update(const Row& row) {
    return changed(u"UPDATE ScoreBoardQueue SET GymnastName = ?, Score = ?, DisplaySeconds = ?, "
                   "QueueTime = ?, QueueTimeNum = ?, Status = ?, corrected = ? WHERE rowid = ?"_s,
                   {row.gymnastName, row.score, row.displaySeconds, row.queueTime, row.queueTimeNum,
                    row.status, row.corrected ? 1 : 0, row.rowId},
                   row);
}

bool ScoreBoardQueueTable::markCorrected(const Row& row) {
    return changed(u"UPDATE ScoreBoardQueue SET corrected = 1 WHERE rowid = ?"_s, {row.rowId}, row);
}

bool ScoreBoardQueueTable::setStatus(const Row& row, const QString& status) {
    // Inside a transaction the setting is back before its commit, which syncs.
    if (!setCommitsSynced(false))
        return false;
    const bool set = setStatusWithin(row, status);
    return setCommitsSynced(true) && set;
}

bool ScoreBoardQueueTable::inTransaction() const {
    return sqlite3_get_autocommit(SqliteStatement::handleOf(mDb.connection())) == 0;
}

bool ScoreBoardQueueTable::setCommitsSynced(bool synced) {
    if (!mDb.execute(synced ? u"PRAGMA synchronous=FULL"_s : u"PRAGMA synchronous=NORMAL"_s))
        return failed(mDb.lastError());
    return true;
}

bool ScoreBoardQueueTable::setStatusWithin(const Row& row, const QString& status) {
    return changed(u"UPDATE ScoreBoardQueue SET Status = ? WHERE rowid = ?"_s, {status, row.rowId},
                   row);
}

bool ScoreBoardQueueTable::setStatusIfUnchanged(const Row& row, const QString& from,
                                                const QString& to) {
    mError.clear();
    if (!mDb.execute(u"UPDATE ScoreBoardQueue SET Status = ? "
                     "WHERE rowid = ? AND Status = ? AND Score = ?"_s,
                     {to, row.rowId, from, row.score}))
        return failed(mDb.lastError());
    if (mDb.rowsAffected() == 0)
        return false;
    mDb.changes().record({Name, {QString::number(row.rowId)}, row.num, row.event, {}, false});
    return true;
}

bool ScoreBoardQueueTable::remove(const Row& row) {
    return changed(u"DELETE FROM ScoreBoardQueue WHERE rowid = ?"_s, {row.rowId}, row);
}

std::optional<QList<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::rows(const QString& condition, const QVariantList& values) {
    const std::shared_ptr<SqliteStatement> statement =
        mDb.sqliteStatement(SelectColumns + condition);
    if (!statement) {
        mError = mDb.lastError();
        return std::nullopt;
    }
    statement->bindAll(values); // kept by the caller until the last step
    QList<Row> found;
    while (statement->next())
        found.append(rowOf(*statement));
    if (!statement->error().isEmpty()) {
        mError = statement->error();
        return std::nullopt;
    }
    return found;
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::first(const QString& condition, const QVariantList& values) {
    const auto found = rows(condition, values);
    if (!found)
        return std::nullopt;
    return found->isEmpty() ? std::optional<Row>() : std::optional<Row>(found->constFirst());
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::scoreOf(const QString& num, const QString& event,
                              const QString& testGymnastName) {
    return first(u"WHERE num = ? AND EventName = ? AND IFNULL(GymnastName, '') <> ? "
                 "ORDER BY rowid LIMIT 1"_s,
                 {num, event, testGymnastName});
}

std::optional<QList<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::withStatus(const QString& status) {
    return rows(u"WHERE Status = ?"_s, {status});
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::firstWith(const QString& status, const QString& event,
                                const std::optional<QString>& num) {
    if (num)
        return first(u"WHERE Status = ? AND num = ? AND EventName = ? "
                     "ORDER BY QueueTimeNum ASC, rowid ASC LIMIT 1"_s,
                     {status, *num, event});
    return first(
        u"WHERE Status = ? AND EventName = ? ORDER BY QueueTimeNum ASC, rowid ASC LIMIT 1"_s,
        {status, event});
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::firstNotHeld(const QString& status, const QString& event) {
    return first(u"WHERE Status = ? AND EventName = ? AND NOT EXISTS (SELECT 1 FROM ScoreHolds h "
                 "WHERE h.Num = ScoreBoardQueue.num AND h.EventName = ScoreBoardQueue.EventName "
                 "COLLATE NOCASE) ORDER BY QueueTimeNum ASC, rowid ASC LIMIT 1"_s,
                 {status, event});
}

std::optional<std::optional<ScoreBoardQueueTable::Row>> ScoreBoardQueueTable::byId(qint64 rowId) {
    return first(u"WHERE rowid = ?"_s, {rowId});
}
