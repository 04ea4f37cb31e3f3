#include "scorehistorytable.h"

#include "boundtexts.h"
#include "db/meetchanges.h"
#include "db/meetdatabase.h"
#include "db/sqlitestatement.h"
#include "db/tableexists.h"
#include "db/timestamptext.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The columns in table order; every one holds text but the sequence number
// and the two finals.
QStringList attemptColumns(const QString& prefix) {
    return {prefix + u"J1"_s,    prefix + u"J2"_s,  prefix + u"J3"_s,    prefix + u"J4"_s,
            prefix + u"Start"_s, prefix + u"Adj"_s, prefix + u"BScore"_s};
}

const QStringList& columns() {
    static const QStringList all =
        QStringList{u"Seq"_s,         u"Time"_s,       u"Kind"_s,   u"Num"_s, u"EventName"_s,
                    u"FinalBefore"_s, u"FinalAfter"_s, u"Source"_s, u"Note"_s} +
        attemptColumns({}) + attemptColumns(u"V2"_s) + QStringList{u"Message"_s};
    return all;
}

QString columnDefinition(const QString& column) {
    if (column == u"Seq"_s)
        return column + u" INTEGER PRIMARY KEY"_s;
    if (column == u"Time"_s || column == u"Kind"_s)
        return column + u" TEXT NOT NULL"_s;
    if (column.startsWith(u"Final"_s))
        return column + u" REAL"_s;
    return column + u" TEXT"_s;
}

// The engine itself keeps the history append-only.
const QStringList Guards{u"ScoreHistoryNeverChanged"_s, u"ScoreHistoryNeverRemoved"_s};

QString guardStatement(const QString& guard, const QString& what) {
    return u"CREATE TRIGGER "_s + guard + u" BEFORE "_s + what +
           u" ON ScoreHistory BEGIN "
           "SELECT RAISE(ABORT, 'the score history is never changed'); END"_s;
}

QString insertStatement() {
    const QStringList names = columns().mid(1);
    return u"INSERT INTO ScoreHistory("_s + names.join(u", "_s) + u") VALUES("_s +
           QStringList(names.size(), u"?"_s).join(u", "_s) + u")"_s;
}

ScoreHistoryTable::Attempt attemptOf(const DbRows& rows, int row, const QString& prefix) {
    ScoreHistoryTable::Attempt attempt;
    const QStringList names = attemptColumns(prefix);
    for (int i = 0; i < ScoreHistoryTable::AttemptValues; ++i)
        attempt[size_t(i)] = rows.text(row, names[i]);
    return attempt;
}

} // namespace

ScoreHistoryTable::ScoreHistoryTable(MeetDatabase& db)
    : MeetTable(db) {}

ScoreHistoryTable::~ScoreHistoryTable() = default;

QString ScoreHistoryTable::timeText(const QDateTime& time) {
    return timestampText(time, true);
}

std::optional<bool> ScoreHistoryTable::exists() {
    return tableExists(mDb, Name, mError);
}

bool ScoreHistoryTable::ensure() {
    const std::optional<bool> present = exists();
    if (!present)
        return false;
    if (!*present) {
        QStringList definitions;
        for (const QString& column : columns())
            definitions.append(columnDefinition(column));
        const QStringList statements{
            u"CREATE TABLE ScoreHistory ("_s + definitions.join(u", "_s) + u")"_s,
            guardStatement(Guards[0], u"UPDATE"_s), guardStatement(Guards[1], u"DELETE"_s)};
        for (const QString& statement : statements) {
            if (!mDb.execute(statement))
                return failed(mDb.lastError());
        }
        return true;
    }
    // A history that is there is the meet's record: whatever is wrong with it
    // is reported, and it is left as it is for someone to look at.
    const auto damaged = [this](const QString& what) {
        return failed(
            u"the score history (table %1) is damaged: %2; it is left as it is"_s.arg(Name, what));
    };
    const DbRows found = mDb.select(u"SELECT name FROM pragma_table_info('ScoreHistory')"_s);
    if (!found.ok())
        return damaged(found.error());
    QStringList names;
    for (int i = 0; i < found.count(); ++i)
        names.append(found.text(i, u"name"_s));
    if (names.join(u',').compare(columns().join(u','), Qt::CaseInsensitive) != 0)
        return damaged(u"its columns are %1"_s.arg(names.join(u", "_s)));
    const DbRows guards = mDb.select(
        u"SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ?"_s, {Name});
    if (!guards.ok())
        return damaged(guards.error());
    for (const QString& guard : Guards) {
        bool kept = false;
        for (int i = 0; i < guards.count(); ++i)
            kept = kept || guards.text(i, u"name"_s) == guard;
        if (!kept)
            return damaged(u"nothing keeps it from being changed (%1 is missing)"_s.arg(guard));
    }
    return true;
}

bool ScoreHistoryTable::append(Entry& entry) {
    if (!mInsert) {
        static const KeptSql sql(insertStatement());
        mInsert = mDb.sqliteStatement(sql);
        if (!mInsert)
            return failed(mDb.lastError());
    }
    SqliteStatement& insert = *mInsert;
    // The texts in parameter order, the two finals between the fourth and the fifth.
    BoundTexts texts;
    for (const QString* text :
         {&entry.time, &entry.kind, &entry.num, &entry.event, &entry.source, &entry.note})
        texts.add(*text);
    for (const Attempt* attempt : {&entry.first, &entry.second}) {
        for (const QString& value : *attempt)
            texts.add(value);
    }
    texts.add(entry.message);
    int at = 0;
    qsizetype text = 0;
    for (; text < 4; ++text)
        texts.bind(insert, at++, text);
    insert.bind(at++, entry.before);
    insert.bind(at++, entry.after);
    for (; text < 4 + 2 + 2 * AttemptValues + 1; ++text)
        texts.bind(insert, at++, text);
    if (!insert.run())
        return failed(insert.error());
    entry.seq = insert.lastInsertRowId();
    mDb.changes().record({Name, {QString::number(entry.seq)}, entry.num, entry.event, {}, false});
    return true;
}

std::optional<qint64> ScoreHistoryTable::lastSeq() {
    const DbRows rows = mDb.select(u"SELECT IFNULL(MAX(Seq), 0) AS Last FROM ScoreHistory"_s);
    if (!rows.ok()) {
        failed(rows.error());
        return std::nullopt;
    }
    return rows.value(0, 0).toLongLong();
}

std::optional<QList<ScoreHistoryTable::Entry>> ScoreHistoryTable::entries(const Filter& filter,
                                                                          qint64 afterSeq) {
    const DbRows rows = mDb.select(
        u"SELECT * FROM ScoreHistory WHERE Seq > ? AND (COALESCE(?, '') = '' OR Num = ?) "
        "AND (COALESCE(?, '') = '' OR EventName = ? COLLATE NOCASE) AND (COALESCE(?, '') = '' OR "
        "Kind = ?) "
        "AND (COALESCE(?, '') = '' OR Num IN (SELECT Num FROM Gymnasts WHERE Session = ?)) ORDER BY Seq"_s,
        {afterSeq, filter.num, filter.num, filter.event, filter.event, filter.kind, filter.kind,
         filter.session, filter.session});
    if (!rows.ok()) {
        failed(rows.error());
        return std::nullopt;
    }
    QList<Entry> list;
    list.reserve(rows.count());
    for (int i = 0; i < rows.count(); ++i) {
        Entry entry;
        entry.seq = rows.value(i, u"Seq"_s).toLongLong();
        entry.time = rows.text(i, u"Time"_s);
        entry.kind = rows.text(i, u"Kind"_s);
        entry.num = rows.text(i, u"Num"_s);
        entry.event = rows.text(i, u"EventName"_s);
        entry.before = rows.value(i, u"FinalBefore"_s);
        entry.after = rows.value(i, u"FinalAfter"_s);
        entry.source = rows.text(i, u"Source"_s);
        entry.note = rows.text(i, u"Note"_s);
        entry.first = attemptOf(rows, i, {});
        entry.second = attemptOf(rows, i, u"V2"_s);
        entry.message = rows.text(i, u"Message"_s);
        list.append(std::move(entry));
    }
    return list;
}
