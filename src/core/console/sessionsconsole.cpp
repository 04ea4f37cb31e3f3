#include "sessionsconsole.h"

#include "db/connectionstable.h"
#include "db/tables/currentsettingstable.h"
#include "db/tables/sessionstable.h"
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
    SessionsTable table(mDb);
    const auto sessions = table.all();
    if (!sessions) {
        if (error)
            *error = table.lastError();
        return false;
    }
    mSessions.clear();
    for (const SessionsTable::Entry& session : *sessions)
        mSessions.append({session.number, session.description});
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
    SessionsTable table(mDb);
    const auto found = table.details(number);
    if (!found || !found->has_value()) {
        tell(found ? u"Unable to load/find Session"_s : table.lastError());
        return std::nullopt;
    }
    const SessionsTable::Details& row = **found;
    SessionRecord record;
    record.number = number;
    record.description = row.description;
    record.date = OperatorDate::toDisplay(row.date);
    record.openWarmup = row.openWarmup;
    record.timedWarmup = row.timedWarmup;
    record.marchIn = row.marchIn;
    record.awards = row.awards;
    return record;
}

bool SessionsConsole::save(const SessionRecord& edited) {
    const auto date = OperatorDate::parse(edited.date);
    if (!date) {
        tell(u"Invalid Session date.  Enter a valid Session date and try again."_s);
        return false;
    }
    SessionsTable table(mDb);
    if (!table.save({edited.number, edited.description, OperatorDate::toStorage(*date),
                     edited.openWarmup, edited.timedWarmup, edited.marchIn, edited.awards})) {
        tell(u"The session could not be saved: "_s + table.lastError());
        return false;
    }
    // Renaming the current session keeps it current under its new description;
    // current_settings keeps the old text until the next "Set".
    if (edited.number == mCurrent.id())
        mCurrent.set(mCurrent.id(), edited.description);
    refresh();
    return true;
}

bool SessionsConsole::setCurrentSession(const QString& number, QString* error) {
    SessionsTable sessions(mDb);
    const auto found = sessions.entry(number);
    if (!found || !found->has_value()) {
        if (error)
            *error = found ? u"Unable to load/find Session"_s : sessions.lastError();
        return false;
    }
    const QString id = (*found)->number;
    const QString description = (*found)->description;

    CurrentSettingsTable settings(mDb);
    if (!settings.setCurrentSession({id, description})) {
        if (error)
            *error = settings.lastError();
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
