#include "wholetable.h"

#include "db/meetchanges.h"
#include "db/meetdatabase.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Statements {
    QString insert;
    QString select;
};

const Statements& statementsOf(const MeetSchema::Table& table) {
    // Built for every table at once, the first time (thread-safe): the schema is fixed.
    static const QHash<QString, Statements> all = [] {
        QHash<QString, Statements> statements;
        for (const MeetSchema::Table& each : MeetSchema::tables()) {
            QStringList names;
            QStringList marks;
            for (const MeetSchema::Column& column : each.columns) {
                names.append(MeetSchema::quotedName(column.name));
                marks.append(u"?"_s);
            }
            const QString name = MeetSchema::quotedName(each.name);
            const QString columns = names.join(u", "_s);
            statements.insert(each.name, {u"INSERT INTO "_s + name + u"("_s + columns +
                                              u") VALUES("_s + marks.join(u", "_s) + u")"_s,
                                          u"SELECT "_s + columns + u" FROM "_s + name});
        }
        return statements;
    }();
    return *all.find(table.name);
}

} // namespace

WholeTable::WholeTable(MeetDatabase& db, const MeetSchema::Table& table)
    : MeetTable(db)
    , mTable(table) {}

std::shared_ptr<SqliteStatement> WholeTable::prepared(const QString& sql) {
    std::shared_ptr<SqliteStatement> statement = mDb.sqliteStatement(sql);
    if (!statement)
        mError = mDb.lastError();
    return statement;
}

std::unique_ptr<Utf8Statement> WholeTable::preparedUtf8(const QString& sql) {
    std::unique_ptr<Utf8Statement> statement =
        Utf8Statement::prepare(SqliteStatement::handleOf(mDb.connection()), sql, &mError);
    return statement;
}

std::unique_ptr<Utf8Statement> WholeTable::utf8Inserter() {
    return preparedUtf8(statementsOf(mTable).insert);
}

std::unique_ptr<Utf8Statement> WholeTable::utf8Reader() {
    return preparedUtf8(statementsOf(mTable).select);
}

std::shared_ptr<SqliteStatement> WholeTable::inserter() {
    return prepared(statementsOf(mTable).insert);
}

void WholeTable::rowsInserted() {
    mDb.changes().record({mTable.name, {}, {}, {}, {}, true});
}

std::shared_ptr<SqliteStatement> WholeTable::reader() {
    return prepared(statementsOf(mTable).select);
}

std::optional<qint64> WholeTable::rowCount() {
    const DbRows count =
        mDb.select(u"SELECT count(*) AS n FROM "_s + MeetSchema::quotedName(mTable.name));
    if (!count.ok()) {
        mError = count.error();
        return std::nullopt;
    }
    return count.value(0, 0).toLongLong();
}
