#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

// Dates typed by the operator and dates as stored in a meet file.
// Stored dates are ISO text: "YYYY-MM-DD", or "YYYY-MM-DD HH:MM:SS" when the
// time of day is not midnight.
namespace OperatorDate {

// Parses the user's locale short and long forms, then ISO 8601, then M/D/YYYY
// (each with an optional time of day). std::nullopt when none fits.
std::optional<QDateTime> parse(const QString& text);

// `date` written in each form parse() accepts, the locale's short form first,
// each form once: what to tell an operator whose date was refused.
QStringList examples(const QDate& date);

// The stored ISO text of a date and time.
QString toStorage(const QDateTime& value);

// Reads a stored value (ISO text); std::nullopt for Null or text that is no date.
std::optional<QDateTime> fromStorage(const QVariant& stored);

// A stored value as the locale's short date, always with a four-digit year so
// that it reads back as the same date (with the time when it is not midnight);
// the empty text for Null; unparsable text is shown as it is.
QString toDisplay(const QVariant& stored);

} // namespace OperatorDate
