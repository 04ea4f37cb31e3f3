#include "sessionstable.h"

#include "db/meetchanges.h"
#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

SessionsTable::SessionsTable(MeetDatabase& db)
    : mDb(db) {}

std::optional<QList<SessionsTable::Entry>> SessionsTable::all(Order order) {
    // By description as the operator reads them, without regard to letter case.
    const DbRows rows = mDb.select(
        order == Order::Number
            ? u"SELECT Session, \"Desc\" FROM Sessions ORDER BY Session"_s
            : u"SELECT \"Session\", \"Desc\" FROM Sessions ORDER BY \"Desc\" COLLATE NOCASE"_s);
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    QList<Entry> entries;
    for (int i = 0; i < rows.count(); ++i)
        entries.append({rows.text(i, u"Session"_s), rows.text(i, u"Desc"_s)});
    return entries;
}

std::optional<std::optional<SessionsTable::Entry>> SessionsTable::entry(const QString& number) {
    const DbRows rows = mDb.select(u"SELECT Session, \"Desc\" FROM Sessions WHERE Session = ?"_s,
                                   {number.toLongLong()});
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    if (rows.isEmpty())
        return std::optional<Entry>();
    return std::optional<Entry>(Entry{rows.text(0, u"Session"_s), rows.text(0, u"Desc"_s)});
}

std::optional<std::optional<SessionsTable::Details>> SessionsTable::details(const QString& number) {
    const DbRows rows = mDb.select(u"SELECT \"Desc\", SDate, Open_Warmup, Timed_Warmup, "
                                   "March_In, Awards FROM Sessions WHERE Session = ?"_s,
                                   {number.toLongLong()});
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    if (rows.isEmpty())
        return std::optional<Details>();
    Details d;
    d.number = number;
    d.description = rows.text(0, u"Desc"_s);
    d.date = rows.value(0, u"SDate"_s);
    d.openWarmup = rows.text(0, u"Open_Warmup"_s);
    d.timedWarmup = rows.text(0, u"Timed_Warmup"_s);
    d.marchIn = rows.text(0, u"March_In"_s);
    d.awards = rows.text(0, u"Awards"_s);
    return std::optional<Details>(d);
}

bool SessionsTable::save(const Details& edited) {
    if (!mDb.execute(
            u"UPDATE Sessions SET \"Desc\" = ?, SDate = ?, Open_Warmup = ?, Timed_Warmup = ?, "
            "March_In = ?, Awards = ? WHERE Session = ?"_s,
            {edited.description, edited.date, edited.openWarmup, edited.timedWarmup, edited.marchIn,
             edited.awards, edited.number.toLongLong()})) {
        mError = mDb.lastError();
        return false;
    }
    if (mDb.rowsAffected() > 0)
        mDb.changes().record({Name, {edited.number}, {}, {}, {edited.number}, true});
    return true;
}
