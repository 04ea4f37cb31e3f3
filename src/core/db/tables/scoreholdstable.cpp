#include "scoreholdstable.h"

#include "db/meetdatabase.h"
#include "db/tableexists.h"
#include "scoremarkchange.h"

using namespace Qt::Literals::StringLiterals;

ScoreHoldsTable::ScoreHoldsTable(MeetDatabase& db)
    : MeetTable(db) {}

bool ScoreHoldsTable::ensure() {
    return mDb.execute(u"CREATE TABLE IF NOT EXISTS ScoreHolds (Num TEXT NOT NULL, "
                       "EventName TEXT NOT NULL, HeldSince TEXT NOT NULL, "
                       "PRIMARY KEY (Num, EventName))"_s)
               ? true
               : failed(mDb.lastError());
}

bool ScoreHoldsTable::hold(const Held& held) {
    if (!mDb.execute(
            u"INSERT OR IGNORE INTO ScoreHolds(Num, EventName, HeldSince) VALUES(?, ?, ?)"_s,
            {held.num, held.event, held.since}))
        return failed(mDb.lastError());
    if (mDb.rowsAffected() > 0)
        recordScoreMarkChange(mDb, Name, held.num, held.event);
    return true;
}

bool ScoreHoldsTable::release(const QString& num, const QString& event) {
    mError.clear();
    if (!mDb.execute(u"DELETE FROM ScoreHolds WHERE Num = ? AND EventName = ?"_s, {num, event}))
        return failed(mDb.lastError());
    if (mDb.rowsAffected() == 0)
        return false;
    recordScoreMarkChange(mDb, Name, num, event);
    return true;
}

std::optional<QList<ScoreHoldsTable::Held>> ScoreHoldsTable::all() {
    const std::optional<bool> exists = tableExists(mDb, Name, mError);
    if (!exists)
        return std::nullopt;
    if (!*exists)
        return QList<Held>();
    const DbRows rows =
        mDb.select(u"SELECT Num, EventName, HeldSince FROM ScoreHolds ORDER BY HeldSince, rowid"_s);
    if (!rows.ok()) {
        failed(rows.error());
        return std::nullopt;
    }
    QList<Held> held;
    for (int i = 0; i < rows.count(); ++i)
        held.append(
            {rows.text(i, u"Num"_s), rows.text(i, u"EventName"_s), rows.text(i, u"HeldSince"_s)});
    return held;
}
