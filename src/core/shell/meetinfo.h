#pragma once

#include <QString>
#include <QVariant>

#include <optional>

class AppState;
class MeetDatabase;

// The meet header (the single row of Meets) as the meet information window
// shows it, and the three values the operator may change: the start and end
// dates and the judges per event.
namespace MeetInfo {

inline constexpr auto NotFoundMessage =
    "Meet data could not be found!  Close the Data File and reload.";
inline constexpr auto InvalidDateMessage =
    "Start Date or End Date are invalid.  Please check values and try again.";

struct Header {
    QString name, director, proNumber, sanction, facility;
    QString address1, address2, city, state, zip, phone, fax;
    QString startDate, endDate;   // the locale's short form; empty for Null
    std::optional<int> numJudges; // Null stays unknown
    bool useAgeDiv = false;
};

enum class Result { Ok, NotFound, InvalidDate, Failed };

// Reads the meet row. NotFound when Meets is empty; Failed (with the engine's
// reason in `error`) when the database cannot be read.
Result load(MeetDatabase& db, Header* header, QString* error = nullptr);

// Stores the typed dates as ISO text and the judge count, and makes the count
// current in `state`. Both dates must parse (InvalidDate, nothing written); an
// end before the start is accepted. Without a judge count only the dates change.
Result save(AppState& state, const QString& startText, const QString& endText,
            std::optional<int> numJudges, QString* error = nullptr);

} // namespace MeetInfo
