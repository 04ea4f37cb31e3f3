#include "currentsettingstable.h"

#include "db/dbtransaction.h"
#include "db/meetchanges.h"
#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

CurrentSettingsTable::CurrentSettingsTable(MeetDatabase& db)
    : MeetTable(db) {}

std::optional<std::optional<CurrentSettingsTable::Session>> CurrentSettingsTable::currentSession() {
    const DbRows rows = mDb.select(u"SELECT sessionid, session_desc FROM current_settings"_s);
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    if (rows.isEmpty() || rows.text(0, u"sessionid"_s).isEmpty())
        return std::optional<Session>();
    return std::optional<Session>(
        Session{rows.text(0, u"sessionid"_s), rows.text(0, u"session_desc"_s)});
}

bool CurrentSettingsTable::setCurrentSession(const Session& session) {
    DbTransaction transaction(mDb);
    bool stored = transaction.isActive() &&
                  mDb.execute(u"UPDATE current_settings SET sessionid = ?, session_desc = ?"_s,
                              {session.id, session.description});
    if (stored && mDb.rowsAffected() == 0)
        stored =
            mDb.execute(u"INSERT INTO current_settings(sessionid, session_desc) VALUES(?, ?)"_s,
                        {session.id, session.description});
    if (stored)
        mDb.changes().record({Name, {}, {}, {}, {}, false});
    if (!stored || !transaction.commit()) {
        mError = mDb.lastError();
        return false;
    }
    return true;
}
