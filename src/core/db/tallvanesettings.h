#pragma once

#include "tables/meettable.h"

#include <QString>

#include <optional>

class MeetDatabase;

// Tallvane's own settings of one meet, kept in the meet file beside the meet
// tables, in a table of its own ("TallvaneSettings": a name and a text value
// per row). The meet-management program never sees it: the transfer file
// carries the meet tables only.
class TallvaneSettings : public MeetTable {
public:
    static inline const QString TableName = QStringLiteral("TallvaneSettings");

    explicit TallvaneSettings(MeetDatabase& db)
        : MeetTable(db) {}

    // Creates Tallvane's own tables that the meet file lacks (these settings,
    // the score history, held scores and inquiries), all in one transaction (a meet file made by an
    // older Tallvane gains them when it is opened). False, with lastError(),
    // when they could not be created or the history there is damaged.
    bool ensureTables();

    // The stored value of `name`; std::nullopt when none is stored or the
    // meet file has no such table yet (see lastError() for a failed read).
    std::optional<QString> value(const QString& name);
    // Stores `value` under `name`, replacing what was there.
    bool setValue(const QString& name, const QString& value);
};
