#pragma once

#include "db/tables/meetstable.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

class AppState;
class MeetDatabase;

// The meet header (the single row of Meets) as the meet information window
// shows it, and the values the operator may change: the start and end dates,
// the judges per event and the meet's maximum score (one of Tallvane's own
// settings, not part of the meet header).
namespace MeetInfo {

inline constexpr auto NotFoundMessage =
    "Meet data could not be found!  Close the Data File and reload.";
inline constexpr auto InvalidDateMessage =
    "Start Date or End Date are invalid.  Please check values and try again.";

// The stored row, with its dates as the operator reads them.
struct Header : MeetsTable::Header {
    QString startDateText, endDateText; // the locale's short form; empty for Null
    QString maxScore;                   // "10" unless the meet sets another
};

// What the operator typed or chose.
struct Edits {
    QString startDate;
    QString endDate;
    std::optional<int> numJudges; // none chosen: the stored count stays
    QString maxScore;
};

enum class Result { Ok, NotFound, InvalidDate, InvalidMaxScore, Failed };

// Reads the meet row. NotFound when Meets is empty; Failed (with the engine's
// reason in `error`) when the database cannot be read.
Result load(MeetDatabase& db, Header* header, QString* error = nullptr);

// Stores the typed dates as ISO text, the judge count and the maximum score in
// one transaction, and makes the count current in `state`. A new start date
// tells the meet's results that every session changed. Both dates must
// parse (InvalidDate, with `error` naming the date and the forms accepted;
// nothing written); an end before the start is accepted. A maximum score that
// is no number above 0 is InvalidMaxScore. Without a judge count only the
// other values change.
Result save(AppState& state, const Edits& edits, QString* error = nullptr);

// Why a typed date is refused, for the operator: the field's caption, what was
// typed and the forms accepted, shown with `example` ("Start Date: "3/32/2026"
// is not a date.  Type it as 12/7/2026 or 2026-12-07.").
QString dateProblem(const QString& caption, const QString& typed, const QDate& example);

} // namespace MeetInfo
