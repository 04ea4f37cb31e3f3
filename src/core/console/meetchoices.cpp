#include "meetchoices.h"

#include "db/tables/divisiontables.h"
#include "db/tables/gymstable.h"
#include "db/tables/sessionstable.h"

using namespace Qt::Literals::StringLiterals;

namespace MeetChoices {

QStringList levels(MeetDatabase& db) {
    return DivisionTables(db).levels().value_or(QStringList());
}

QStringList sessionNumbers(MeetDatabase& db) {
    QStringList numbers;
    for (const SessionsTable::Entry& session :
         SessionsTable(db).all().value_or(QList<SessionsTable::Entry>()))
        numbers.append(session.number);
    return numbers;
}

QList<IdChoice> gyms(MeetDatabase& db) {
    QList<IdChoice> choices;
    for (const GymsTable::Gym& gym : GymsTable(db).all().value_or(QList<GymsTable::Gym>()))
        choices.append({gym.id, gym.officialName});
    return choices;
}

QList<IdChoice> ageDivisions(MeetDatabase& db, const QString& level) {
    QList<IdChoice> choices;
    const auto groups =
        DivisionTables(db).ageGroups(level.isEmpty() ? std::nullopt : std::optional(level));
    for (const DivisionTables::AgeGroup& group : groups.value_or(QList<DivisionTables::AgeGroup>()))
        choices.append({group.ageId, group.name});
    return choices;
}

QStringList squads() {
    return {u"A"_s, u"B"_s, u"C"_s, u"D"_s};
}

} // namespace MeetChoices
