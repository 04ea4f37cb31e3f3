#include "sessionsconsole.h"

#include "db/connectionstable.h"
#include "db/dbtransaction.h"
#include "db/meetdatabase.h"
#include "server/stationlink.h"
#include "server/stationmessages.h"
#include "shell/currentsession.h"
#include "shell/operatordate.h"
#include "shell/prompter.h"

using namespace Qt::Literals::StringLiterals;

SessionsConsole::SessionsConsole(MeetDatabase& db, CurrentSession& current, Prompter& prompter,
                                 QObject* parent)
    : QObject(parent)
    , mDb(db)
    , mCurrent(current)
    , mPrompter(prompter) {}

bool SessionsConsole::refresh(QString* error) {
    const DbRows rows = mDb.select(u"SELECT Session, \"Desc\" FROM Sessions ORDER BY Session"_s);
    if (!rows.ok()) {
        if (error)
            *error = rows.error();
        return false;
    }
    mSessions.clear();
    for (int i = 0; i < rows.count(); ++i)
        mSessions.append({rows.text(i, u"Session"_s), rows.text(i, u"Desc"_s)});
    Q_EMIT sessionsChanged();
    return true;
}

QString SessionsConsole::listText(const SessionEntry& entry) {
    return entry.number + u" - "_s + entry.description;
}

int SessionsConsole::chooserIndexOfCurrent() const {
    for (int i = 0; i < mSessions.size(); ++i) {
        if (mSessions[i].description == mCurrent.description())
            return i;
    }
    return int(mSessions.size()) - 1;
}

std::optional<SessionRecord> SessionsConsole::load(const QString& number) {
    const DbRows rows = mDb.select(u"SELECT \"Desc\", SDate, Open_Warmup, Timed_Warmup, "
                                   "March_In, Awards FROM Sessions WHERE Session = ?"_s,
                                   {number.toLongLong()});
    if (!rows.ok() || rows.isEmpty()) {
        tell(rows.ok() ? u"Unable to load/find Session"_s : rows.error());
        return std::nullopt;
    }
    SessionRecord record;
    record.number = number;
    record.description = rows.text(0, u"Desc"_s);
    record.date = OperatorDate::toDisplay(rows.value(0, u"SDate"_s));
    record.openWarmup = rows.text(0, u"Open_Warmup"_s);
    record.timedWarmup = rows.text(0, u"Timed_Warmup"_s);
    record.marchIn = rows.text(0, u"March_In"_s);
    record.awards = rows.text(0, u"Awards"_s);
    return record;
}

bool SessionsConsole::save(const SessionRecord& edited) {
    const auto date = OperatorDate::parse(edited.date);
    if (!date) {
        tell(u"Invalid Session date.  Enter a valid Session date and try again."_s);
        return false;
    }
    const bool stored = mDb.execute(
        u"UPDATE Sessions SET \"Desc\" = ?, SDate = ?, Open_Warmup = ?, Timed_Warmup = ?, "
        "March_In = ?, Awards = ? WHERE Session = ?"_s,
        {edited.description, OperatorDate::toStorage(*date), edited.openWarmup, edited.timedWarmup,
         edited.marchIn, edited.awards, edited.number.toLongLong()});
    if (!stored) {
        tell(u"The session could not be saved: "_s + mDb.lastError());
        return false;
    }
    // Renaming the current session keeps it current under its new description;
    // current_settings keeps the old text until the next "Set".
    if (edited.number == mCurrent.id())
        mCurrent.set(mCurrent.id(), edited.description);
    mDb.changes().meetEdited();
    refresh();
    return true;
}

bool SessionsConsole::setCurrentSession(const QString& number, QString* error) {
    const DbRows rows = mDb.select(u"SELECT Session, \"Desc\" FROM Sessions WHERE Session = ?"_s,
                                   {number.toLongLong()});
    if (!rows.ok() || rows.isEmpty()) {
        if (error)
            *error = rows.ok() ? u"Unable to load/find Session"_s : rows.error();
        return false;
    }
    const QString id = rows.text(0, u"Session"_s);
    const QString description = rows.text(0, u"Desc"_s);

    DbTransaction transaction(mDb);
    bool stored = transaction.isActive() &&
                  mDb.execute(u"UPDATE current_settings SET sessionid = ?, session_desc = ?"_s,
                              {id, description});
    // A meet file that lost its settings row gets it back rather than losing the choice.
    if (stored && mDb.rowsAffected() == 0)
        stored =
            mDb.execute(u"INSERT INTO current_settings(sessionid, session_desc) VALUES(?, ?)"_s,
                        {id, description});
    if (!stored || !transaction.commit()) {
        if (error)
            *error = mDb.lastError();
        return false;
    }
    mCurrent.set(id, description);

    if (mLink) {
        ConnectionsTable connections(mDb);
        const auto stations = connections.all();
        const QString message = StationMessages::setSession(mCurrent);
        for (const ConnectionId station : stations.value_or(QList<ConnectionId>{}))
            mLink->sendData(station, message);
        if (!stations)
            tell(u"Session %1 is now current, but the stations could not be told: %2"_s.arg(
                id, connections.lastError()));
    }
    Q_EMIT currentSessionSet();
    return true;
}

void SessionsConsole::tell(const QString& text) {
    mPrompter.showMessage(text, Prompter::Icon::Critical);
}
