#include "tableexists.h"

#include "meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

std::optional<bool> tableExists(MeetDatabase& db, const QString& name, QString& error) {
    const DbRows found = db.select(
        u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE LIMIT 1"_s,
        {name});
    if (!found.ok()) {
        error = found.error();
        return std::nullopt;
    }
    return !found.isEmpty();
}
