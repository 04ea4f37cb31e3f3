#pragma once

#include "meettable.h"

#include <QString>

#include <optional>

class MeetDatabase;

// The current_settings table: its one row names the current session. Every
// statement on the table is here. Failures come back as false or
// std::nullopt with the reason in lastError().
class CurrentSettingsTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("current_settings");

    struct Session {
        QString id;
        QString description;
    };

    explicit CurrentSettingsTable(MeetDatabase& db);

    // Empty optional inside when the row is missing or names no session.
    std::optional<std::optional<Session>> currentSession();
    // In a transaction of its own; a file that lost its row gets it back
    // rather than losing the choice.
    bool setCurrentSession(const Session& session);
};
