#include "sessionstable.h"

#include "db/meetchanges.h"
#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

SessionsTable::SessionsTable(MeetDatabase& db)
    : MeetTable(db) {}

std::optional<QList<SessionsTable::Entry>> SessionsTable::all(Order order) {
    // By description as the operator reads them, without regard to letter case.
    const DbRows rows = mDb.select(
        order == Order::Number
            ? u"SELECT Session, \"Desc\" FROM Sessions ORDER BY Session"_s
            : u"SELECT \"Session\", \"Desc\" FROM Sessions ORDER BY \"Desc\" COLLATE NOCASE"_s);
    return allRows(rows, mError, [](const DbRows& r, int i) {
        return Entry{r.text(i, u"Session"_s), r.text(i, u"Desc"_s)};
    });
}

std::optional<std::optional<SessionsTable::Entry>> SessionsTable::entry(const QString& number) {
    const DbRows rows = mDb.select(u"SELECT Session, \"Desc\" FROM Sessions WHERE Session = ?"_s,
                                   {number.toLongLong()});
    return oneRow(rows, mError, [](const DbRows& r) {
        return Entry{r.text(0, u"Session"_s), r.text(0, u"Desc"_s)};
    });
}

std::optional<std::optional<SessionsTable::Details>> SessionsTable::details(const QString& number) {
    const DbRows rows = mDb.select(u"SELECT \"Desc\", SDate, Open_Warmup, Timed_Warmup, "
                                   "March_In, Awards FROM Sessions WHERE Session = ?"_s,
                                   {number.toLongLong()});
    return oneRow(rows, mError, [&number](const DbRows& r) {
        Details d;
        d.number = number;
        d.description = r.text(0, u"Desc"_s);
        d.date = r.value(0, u"SDate"_s);
        d.openWarmup = r.text(0, u"Open_Warmup"_s);
        d.timedWarmup = r.text(0, u"Timed_Warmup"_s);
        d.marchIn = r.text(0, u"March_In"_s);
        d.awards = r.text(0, u"Awards"_s);
        return d;
    });
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
