#pragma once

#include <QIODevice>
#include <QString>

#include <optional>

// What the import window learns about a transfer file before importing it.
// Each function reads from the device's current position; the file-name
// overloads open and close the file themselves.
namespace TransferFileInfo {

// The lowest format version the import accepts, and what an older file is told.
constexpr double MinimumVersion = 4.0;
inline constexpr auto VersionMessage =
    "This software requires a Rostrel file with a version number of 4.0 or greater.";

// The version a header line gives: the number after its "=" (0 when there is
// none or it is no number); std::nullopt for a line without "Version".
std::optional<double> versionIn(const QString& line);

// The number after the "=" of the first line containing "Version" in the
// header block (the lines before the first empty line); 0 when there is none,
// it is no number, or the file cannot be read.
double readTransferVersion(QIODevice* device);
double readTransferVersion(const QString& path);

// The text after the first "=" of the first line containing "Name" (in a file
// written by either program, the meet header's Name field); empty when none.
QString readTransferMeetName(QIODevice* device);
QString readTransferMeetName(const QString& path);

// The number of lines in the file (a last line without a line end counts).
qint64 countTransferLines(QIODevice* device);
qint64 countTransferLines(const QString& path);

// The meet name made fit to be a file name: characters that cannot appear in a
// file name on any platform become "-", surrounding blanks and dots are dropped.
QString meetFileNameFor(const QString& meetName);

} // namespace TransferFileInfo
