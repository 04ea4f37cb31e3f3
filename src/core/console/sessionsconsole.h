#pragma once

#include "sessionrecord.h"

#include <QList>
#include <QObject>

#include <optional>

class CurrentSession;
class MeetDatabase;
class Prompter;
class StationLink;

// The sessions of a meet for the operator: the session list, the editor, and the
// choice of the current session, which is stored in current_settings and
// announced to every connected station.
class SessionsConsole : public QObject {
    Q_OBJECT

public:
    SessionsConsole(MeetDatabase& db, CurrentSession& current, Prompter& prompter,
                    QObject* parent = nullptr);

    // The stations that hear about a new current session; none until the server runs.
    void setStationLink(StationLink* link) { mLink = link; }

    // Rereads the sessions in session-number order.
    bool refresh(QString* error = nullptr);
    const QList<SessionEntry>& sessions() const { return mSessions; }
    // The list text of a session: "3 - Saturday AM".
    static QString listText(const SessionEntry& entry);
    // The chooser entry that shows the current session: the first whose
    // description is the current one, else the last entry; -1 when there is none.
    int chooserIndexOfCurrent() const;

    // Loads one session into the editor; tells the operator when it is gone.
    std::optional<SessionRecord> load(const QString& number);
    // Stores an edited session. Refuses (with the operator told) a date that is
    // no date or a value the meet file cannot hold; nothing is written then.
    bool save(const SessionRecord& edited);

    // Makes a session current: stores it, sends "SETSESSION|" to every connected
    // station and announces the change.
    bool setCurrentSession(const QString& number, QString* error = nullptr);

Q_SIGNALS:
    void sessionsChanged();
    // After "Set": the gymnast list follows the new current session.
    void currentSessionSet();

private:
    void tell(const QString& text);

    MeetDatabase& mDb;
    CurrentSession& mCurrent;
    Prompter& mPrompter;
    StationLink* mLink = nullptr;
    QList<SessionEntry> mSessions;
};
