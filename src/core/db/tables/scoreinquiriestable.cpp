#include "scoreinquiriestable.h"

#include "db/meetdatabase.h"
#include "db/tableexists.h"
#include "scoremarkchange.h"

using namespace Qt::Literals::StringLiterals;

ScoreInquiriesTable::ScoreInquiriesTable(MeetDatabase& db)
    : MeetTable(db) {}

bool ScoreInquiriesTable::ensure() {
    // One open inquiry per event of a gymnast; decided ones stay listed.
    const QStringList statements{
        u"CREATE TABLE IF NOT EXISTS ScoreInquiries (Num TEXT NOT NULL, EventName TEXT NOT NULL, "
        "FiledBy TEXT NOT NULL, FiledAt TEXT NOT NULL, Decision TEXT, DecidedAt TEXT, "
        "Reason TEXT)"_s,
        u"CREATE UNIQUE INDEX IF NOT EXISTS ScoreInquiriesOpen ON ScoreInquiries(Num, EventName) "
        "WHERE Decision IS NULL"_s};
    for (const QString& statement : statements) {
        if (!mDb.execute(statement))
            return failed(mDb.lastError());
    }
    return true;
}

bool ScoreInquiriesTable::file(const Inquiry& inquiry) {
    if (!mDb.execute(u"INSERT INTO ScoreInquiries(Num, EventName, FiledBy, FiledAt) "
                     "VALUES(?, ?, ?, ?)"_s,
                     {inquiry.num, inquiry.event, inquiry.filedBy, inquiry.filedAt}))
        return failed(mDb.lastError());
    recordScoreMarkChange(mDb, Name, inquiry.num, inquiry.event);
    return true;
}

bool ScoreInquiriesTable::decide(const QString& num, const QString& event, const QString& decision,
                                 const QString& decidedAt, const QString& reason) {
    mError.clear();
    if (!mDb.execute(u"UPDATE ScoreInquiries SET Decision = ?, DecidedAt = ?, Reason = ? "
                     "WHERE Num = ? AND EventName = ? COLLATE NOCASE AND Decision IS NULL"_s,
                     {decision, decidedAt, reason, num, event}))
        return failed(mDb.lastError());
    if (mDb.rowsAffected() == 0)
        return false;
    recordScoreMarkChange(mDb, Name, num, event);
    return true;
}

std::optional<bool> ScoreInquiriesTable::exists() {
    return tableExists(mDb, Name, mError);
}

std::optional<std::optional<ScoreInquiriesTable::Inquiry>>
ScoreInquiriesTable::openOf(const QString& num, const QString& event) {
    const std::optional<bool> present = exists();
    if (!present)
        return std::nullopt;
    if (!*present)
        return std::optional<Inquiry>();
    const DbRows rows =
        mDb.select(u"SELECT FiledBy, FiledAt FROM ScoreInquiries WHERE Num = ? "
                   "AND EventName = ? COLLATE NOCASE AND Decision IS NULL LIMIT 1"_s,
                   {num, event});
    if (!rows.ok()) {
        failed(rows.error());
        return std::nullopt;
    }
    if (rows.isEmpty())
        return std::optional<Inquiry>();
    return Inquiry{num, event, rows.text(0, u"FiledBy"_s), rows.text(0, u"FiledAt"_s), {}, {}, {}};
}

std::optional<QList<ScoreInquiriesTable::Inquiry>>
ScoreInquiriesTable::all(const QString& session) {
    const std::optional<bool> present = exists();
    if (!present)
        return std::nullopt;
    if (!*present)
        return QList<Inquiry>();
    const DbRows rows =
        mDb.select(u"SELECT Num, EventName, FiledBy, FiledAt, Decision, DecidedAt, Reason "
                   "FROM ScoreInquiries WHERE COALESCE(?, '') = '' OR Num IN "
                   "(SELECT Num FROM Gymnasts WHERE Session = ?) ORDER BY FiledAt, rowid"_s,
                   {session, session});
    if (!rows.ok()) {
        failed(rows.error());
        return std::nullopt;
    }
    QList<Inquiry> inquiries;
    for (int i = 0; i < rows.count(); ++i)
        inquiries.append({rows.text(i, u"Num"_s), rows.text(i, u"EventName"_s),
                          rows.text(i, u"FiledBy"_s), rows.text(i, u"FiledAt"_s),
                          rows.text(i, u"Decision"_s), rows.text(i, u"DecidedAt"_s),
                          rows.text(i, u"Reason"_s)});
    return inquiries;
}
