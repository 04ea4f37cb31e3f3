#include "agedivisions.h"

#include "db/storeddate.h"
#include "db/tables/divisiontables.h"
#include "db/tables/meetstable.h"

using namespace Qt::Literals::StringLiterals;

QDate AgeDivisions::storedDate(const QVariant& value) {
    const std::optional<StoredDate> stored = StoredDate::fromValue(value);
    return stored ? stored->date : QDate();
}

bool AgeDivisions::load(MeetDatabase& db, QString* error) {
    mGroups.clear();
    MeetsTable meets(db);
    DivisionTables divisions(db);
    const auto meet = meets.header();
    const auto groups = meet ? divisions.ageGroups() : std::nullopt;
    if (!meet || !groups) {
        if (error)
            *error = meet ? divisions.lastError() : meets.lastError();
        return false;
    }
    mMeetStart = *meet ? storedDate((*meet)->startDate) : QDate();
    mUsed = !*meet || (*meet)->useAgeDivisions;
    for (const DivisionTables::AgeGroup& group : *groups) {
        mGroups.append({group.ageId, group.level.trimmed(), group.name, group.lowAge, group.highAge,
                        storedDate(group.startDate), storedDate(group.endDate)});
    }
    return true;
}

AgeDivisions::Division AgeDivisions::of(const QString& level, const QVariant& birthday) const {
    const QDate born = storedDate(birthday);
    for (qsizetype i = 0; born.isValid() && i < mGroups.size(); ++i) {
        if (fallsIn(mGroups[i], level, born))
            return {mGroups[i].name, mGroups[i].ageId, int(i)};
    }
    return {QString(), 0, int(mGroups.size())};
}

bool AgeDivisions::contains(const Group& group, const QString& level,
                            const QVariant& birthday) const {
    const QDate born = storedDate(birthday);
    return born.isValid() && fallsIn(group, level, born);
}

const AgeDivisions::Group* AgeDivisions::group(qint64 ageId) const {
    for (const Group& group : mGroups) {
        if (group.ageId == ageId)
            return &group;
    }
    return nullptr;
}

bool AgeDivisions::fallsIn(const Group& group, const QString& level, const QDate& birthday) const {
    if (group.level.compare(level.trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    if (group.byBirthDates())
        return birthday >= group.from && (!group.to.isValid() || birthday <= group.to);
    if (!mMeetStart.isValid())
        return false;
    const int age = mMeetStart.year() - birthday.year();
    return (group.lowAge.isNull() || age >= group.lowAge.toInt()) &&
           (group.highAge.isNull() || age <= group.highAge.toInt());
}
