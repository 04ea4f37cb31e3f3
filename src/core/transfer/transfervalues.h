#pragma once

#include "db/meetschema.h"

#include <QString>
#include <QVariant>

#include <optional>

// How values look in a transfer file. Writing follows the meet-management
// program's conventions exactly (Rostrel reads them back); reading accepts those
// forms plus ISO dates.
namespace TransferValues {

// Record numbers in section headers: at least four digits, zero-filled
// (7 -> "0007", 10000 -> "10000").
QString padRecordNumber(qint64 number);

// 15 significant digits, no trailing zeros, no trailing point, "." as decimal
// mark: 9.275, 10, 0.5; 0.1 + 0.2 is written 0.3.
QString formatDouble(double value);
// The same text as Latin-1 bytes, appended to `out`.
void appendDouble(QByteArray& out, double value);
// The same text written at `out`, which has room for DoubleRoom bytes; returns
// its end.
constexpr qsizetype DoubleRoom = 32;
char* writeDouble(char* out, double value);
// How many significant digits the shortest text that reads back as `value`
// has (1E+20 has 1, 0.1 + 0.2 has 17). Up to 15 of them, formatDouble()
// writes what printf's %.15G does.
int shortestDigitCount(double value);

// A stored date (ISO "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS") as M/D/YYYY, followed
// by " h:mm:ss AM/PM" when the time of day is not midnight. std::nullopt when
// the stored text is no date.
std::optional<QString> formatStoredDate(const QString& stored);
// The same for a stored date of the plain form "YYYY-MM-DD" (as nearly every
// one is), written at `out` (room for 10 bytes) as M/D/YYYY; returns its end,
// or nullptr when `stored` has another form and takes formatStoredDate().
char* writePlainStoredDate(char* out, QByteArrayView stored);

// A date from a transfer file (M/D/YYYY with an optional h:mm:ss AM/PM, or ISO)
// as the ISO text a meet file stores. std::nullopt when it is no date.
std::optional<QString> parseDate(QStringView text);

// The value text of a stored value in a column of that type. Null and the
// four-letter text "Null" are both written empty. Values that do not fit their
// column's type (a text in a number column) are written as they are.
QString valueText(MeetSchema::ColumnType type, const QVariant& stored);

} // namespace TransferValues
