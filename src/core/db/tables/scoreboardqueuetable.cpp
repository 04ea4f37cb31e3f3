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

bool ScoreBoardQueueTable::changed(const KeptSql& sql, const QVariantList& values, const Row& row) {
    if (!mDb.execute(sql, values))
        return failed(mDb.lastError());
    mDb.changes().record({Name, {QString::number(row.rowId)}, row.num, row.event, {}, false});
    return true;
}

bool ScoreBoardQueueTable::insert(Row& row) {
    // Every score queues a row: its texts go in as BoundTexts binds them.
    static const KeptSql sql(u"INSERT INTO ScoreBoardQueue(num, GymnastName, EventName, Score, "
                             "DisplaySeconds, QueueTime, QueueTimeNum, Status, corrected) "
                             "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
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
    static const KeptSql sql(
        u"UPDATE ScoreBoardQueue SET GymnastName = ?, Score = ?, DisplaySeconds = ?, "
        "QueueTime = ?, QueueTimeNum = ?, Status = ?, corrected = ? WHERE rowid = ?"_s);
    return changed(sql,
                   {row.gymnastName, row.score, row.displaySeconds, row.queueTime, row.queueTimeNum,
                    row.status, row.corrected ? 1 : 0, row.rowId},
                   row);
}

bool ScoreBoardQueueTable::markCorrected(const Row& row) {
    static const KeptSql sql(u"UPDATE ScoreBoardQueue SET corrected = 1 WHERE rowid = ?"_s);
    return changed(sql, {row.rowId}, row);
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
    if (!(synced ? mDb.endCommitSyncDeferral() : mDb.deferCommitSync()))
        return failed(mDb.lastError());
    return true;
}

bool ScoreBoardQueueTable::setStatusWithin(const Row& row, const QString& status) {
    static const KeptSql sql(u"UPDATE ScoreBoardQueue SET Status = ? WHERE rowid = ?"_s);
    return changed(sql, {status, row.rowId}, row);
}

bool ScoreBoardQueueTable::setStatusIfUnchanged(const Row& row, const QString& from,
                                                const QString& to) {
    mError.clear();
    static const KeptSql sql(u"UPDATE ScoreBoardQueue SET Status = ? "
                             "WHERE rowid = ? AND Status = ? AND Score = ?"_s);
    if (!mDb.execute(sql, {to, row.rowId, from, row.score}))
        return failed(mDb.lastError());
    if (mDb.rowsAffected() == 0)
        return false;
    mDb.changes().record({Name, {QString::number(row.rowId)}, row.num, row.event, {}, false});
    return true;
}

bool ScoreBoardQueueTable::remove(const Row& row) {
    static const KeptSql sql(u"DELETE FROM ScoreBoardQueue WHERE rowid = ?"_s);
    return changed(sql, {row.rowId}, row);
}

std::optional<QList<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::rows(const KeptSql& sql, const QVariantList& values) {
    const std::shared_ptr<SqliteStatement> statement = mDb.sqliteStatement(sql);
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
ScoreBoardQueueTable::first(const KeptSql& sql, const QVariantList& values,
                            const PassOver& passOver) {
    const std::shared_ptr<SqliteStatement> statement = mDb.sqliteStatement(sql);
    if (!statement) {
        mError = mDb.lastError();
        return std::nullopt;
    }
    statement->bindAll(values); // kept by the caller until the last step
    // Rows are read one at a time: one passed over costs a step and the two
    // values `passOver` is shown.
    while (statement->next()) {
        if (passOver) {
            Row named;
            named.rowId = statement->value(0).toLongLong();
            named.score = statement->ownedValue(4).toString();
            if (passOver(named))
                continue;
        }
        Row row = rowOf(*statement);
        statement->reset();
        return std::optional<Row>(std::move(row));
    }
    if (!statement->error().isEmpty()) {
        mError = statement->error();
        return std::nullopt;
    }
    return std::optional<Row>();
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::scoreOf(const QString& num, const QString& event,
                              const QString& testGymnastName) {
    static const KeptSql sql(SelectColumns +
                             u"WHERE num = ? AND EventName = ? AND IFNULL(GymnastName, '') <> ? "
                             "ORDER BY rowid LIMIT 1"_s);
    return first(sql, {num, event, testGymnastName});
}

// The waiting rows are those of status "Queued", written into the statements
// themselves: the engine then reads them from their own index
// (TallvaneQueueWaiting), which holds no other row.
std::optional<QList<ScoreBoardQueueTable::Row>> ScoreBoardQueueTable::waiting() {
    static const KeptSql sql(SelectColumns + u"WHERE Status = 'Queued'"_s);
    return rows(sql, {});
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::firstWaiting(const QString& event, const PassOver& passOver) {
    static const KeptSql sql(SelectColumns + u"WHERE Status = 'Queued' AND EventName = ? "
                                             "ORDER BY QueueTimeNum ASC, rowid ASC"_s);
    return first(sql, {event}, passOver);
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::firstWaitingNotHeld(const QString& event, const PassOver& passOver) {
    static const KeptSql sql(
        SelectColumns +
        u"WHERE Status = 'Queued' AND EventName = ? AND NOT EXISTS (SELECT 1 FROM ScoreHolds h "
        "WHERE h.Num = ScoreBoardQueue.num AND h.EventName = ScoreBoardQueue.EventName "
        "COLLATE NOCASE) ORDER BY QueueTimeNum ASC, rowid ASC"_s);
    return first(sql, {event}, passOver);
}

std::optional<std::optional<ScoreBoardQueueTable::Row>>
ScoreBoardQueueTable::waitingOf(const QString& num, const QString& event) {
    static const KeptSql sql(SelectColumns +
                             u"WHERE Status = 'Queued' AND num = ? AND EventName = ? "
                             "ORDER BY QueueTimeNum ASC, rowid ASC LIMIT 1"_s);
    return first(sql, {num, event});
}

std::optional<std::optional<ScoreBoardQueueTable::Row>> ScoreBoardQueueTable::byId(qint64 rowId) {
    static const KeptSql sql(SelectColumns + u"WHERE rowid = ?"_s);
    return first(sql, {rowId});
}
