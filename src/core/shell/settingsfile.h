#pragma once

#include <QString>

// pin.txt and port.txt: one value followed by CR LF.
namespace SettingsFile {

// Reads the file field by field, each field replacing the last: a field ends at
// a comma or a line end, leading blanks are skipped and enclosing double quotes
// removed. "10120,9000" reads as 9000; an empty or missing file gives "".
QString read(const QString& path);

// Parses file content the same way (exposed for tests).
QString parse(const QByteArray& content);

// Replaces the file with the value and CR LF.
bool write(const QString& path, const QString& value, QString* error = nullptr);

} // namespace SettingsFile
