#include "tallvanesettings.h"

#include "dbtransaction.h"
#include "meetdatabase.h"
#include "tableexists.h"
#include "tables/scorehistorytable.h"
#include "tables/scoreholdstable.h"
#include "tables/scoreinquiriestable.h"

using namespace Qt::Literals::StringLiterals;

namespace {

bool createMissingTables(MeetDatabase& db) {
    return db.execute(u"CREATE TABLE IF NOT EXISTS "_s + TallvaneSettings::TableName +
                      u" (Name TEXT NOT NULL PRIMARY KEY, Value TEXT NOT NULL)"_s);
}

} // namespace

bool TallvaneSettings::ensureTables() {
    DbTransaction transaction(mDb);
    if (!transaction.isActive() || !createMissingTables(mDb)) {
        mError = mDb.lastError();
        return false;
    }
    const auto ensure = [this](auto&& table) {
        const bool ensured = table.ensure();
        if (!ensured)
            mError = table.lastError();
        return ensured;
    };
    if (!ensure(ScoreHistoryTable(mDb)) || !ensure(ScoreHoldsTable(mDb)) ||
        !ensure(ScoreInquiriesTable(mDb)))
        return false;
    if (!transaction.commit()) {
        mError = mDb.lastError();
        return false;
    }
    return true;
}

std::optional<QString> TallvaneSettings::value(const QString& name) {
    mError.clear();
    const std::optional<bool> exists = tableExists(mDb, TableName, mError);
    if (!exists || !*exists)
        return std::nullopt;
    const DbRows rows =
        mDb.select(u"SELECT Value FROM "_s + TableName + u" WHERE Name = ? LIMIT 1"_s, {name});
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    if (rows.isEmpty())
        return std::nullopt;
    return rows.text(0, u"Value"_s);
}

bool TallvaneSettings::setValue(const QString& name, const QString& value) {
    // A meet file opened without ensureTables() (a tool's, a test's) gains
    // the table with its first setting. A setting cleared with a null text is
    // stored as an empty one: the column takes no NULL.
    if (!createMissingTables(mDb) ||
        !mDb.execute(u"INSERT OR REPLACE INTO "_s + TableName + u" (Name, Value) VALUES (?, ?)"_s,
                     {name, value.isNull() ? u""_s : value})) {
        mError = mDb.lastError();
        return false;
    }
    mDb.changes().record({TableName, {name}, {}, {}, {}, false});
    return true;
}
