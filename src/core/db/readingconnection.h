#pragma once

#include <QString>

class MeetDatabase;

// Opens `db` on the meet file at `meetFile` for reading only: a connection
// beside the one that writes the meet (another thread's), which refuses every
// write from then on. The file must already be a meet file opened by its
// writer, so opening it again adds no table or index.
bool openForReading(MeetDatabase& db, const QString& meetFile);
