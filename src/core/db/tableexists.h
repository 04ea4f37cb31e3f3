#pragma once

#include <QString>

#include <optional>

class MeetDatabase;

// Whether the meet file has table `name` (in any letter case, as SQLite names
// tables): nothing, with `error` set, when the file cannot be asked. Tallvane's
// own tables are missing from a file that only another program has opened.
std::optional<bool> tableExists(MeetDatabase& db, const QString& name, QString& error);
