#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

// The files that make up a meet on disk: the meet file itself (an SQLite
// database, named *.tallvane) and the files kept beside it while it is open
// (SQLite's journal, write-ahead log and shared memory, a standby's journal,
// and Tallvane's lock).
namespace MeetFiles {

// The endings of the files kept beside a meet file, appended to its path.
QStringList sideFileSuffixes();

// The lock file that says which Tallvane holds the meet file.
QString lockFilePath(const QString& meetPath);

// Takes the lock of a meet file, which says that this Tallvane holds it: opened,
// or being replaced. Null, with the reason (naming the program that holds it),
// when another Tallvane holds it or the lock cannot be written. The lock of a
// program that crashed on this computer is taken over.
std::unique_ptr<QLockFile> lockMeetFile(const QString& meetPath, QString* error);

// True for a meet file: by its name, or by being an SQLite database whatever
// its name.
bool isMeetFile(const QString& path);

// True for a meet file or a file kept beside one.
bool isMeetFileOrSideFile(const QString& path);

} // namespace MeetFiles
