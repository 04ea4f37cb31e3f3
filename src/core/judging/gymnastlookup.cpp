#include "gymnastlookup.h"

#include "agedivisions.h"
#include "db/meetevents.h"
#include "db/tables/gymnaststable.h"

using namespace Qt::Literals::StringLiterals;

namespace GymnastLookup {

namespace {

Attempt attemptOf(const GymnastsTable::Attempt& stored) {
    Attempt attempt;
    for (size_t judge = 0; judge < attempt.judges.size(); ++judge)
        attempt.judges[judge] = stored[judge];
    attempt.start = stored[7];
    attempt.adjustment = stored[8];
    return attempt;
}

} // namespace

bool find(MeetDatabase& db, const QString& number, int eventNumber, std::optional<Gymnast>* found,
          QString* error) {
    found->reset();
    GymnastsTable table(db);
    const auto stored = table.atEvent(number, eventNumber);
    if (!stored) {
        if (error)
            *error = table.lastError();
        return false;
    }
    if (!stored->has_value())
        return true;
    const GymnastsTable::AtEvent& row = **stored;

    Gymnast gymnast;
    gymnast.firstName = row.firstName;
    gymnast.lastName = row.lastName;
    gymnast.gymName = row.gymShortName;
    gymnast.level = row.level;
    gymnast.squad = row.squad;
    gymnast.first = attemptOf(row.first);
    if (eventNumber == MeetEvents::Vault)
        gymnast.second = attemptOf(row.second);

    AgeDivisions divisions;
    if (!divisions.load(db, error))
        return false;
    gymnast.ageGroup = divisions.of(gymnast.level.toString(), row.birthday).name;
    *found = std::move(gymnast);
    return true;
}

} // namespace GymnastLookup
