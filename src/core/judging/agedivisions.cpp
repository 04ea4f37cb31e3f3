#include "agedivisions.h"

#include "db/meetdatabase.h"
#include "db/storeddate.h"

using namespace Qt::Literals::StringLiterals;

QDate AgeDivisions::storedDate(const QVariant& value) {
    const std::optional<StoredDate> stored = StoredDate::fromValue(value);
    return stored ? stored->date : QDate();
}

bool AgeDivisions::load(MeetDatabase& db, QString* error) {
    mGroups.clear();
    const DbRows meet = db.select(u"SELECT Start_Date, UseAgeDiv FROM Meets LIMIT 1"_s);
    const DbRows groups =
        db.select(u"SELECT AgeID, Level, Name, Low_Age, High_Age, Start_Date, End_Date "
                  "FROM \"Age Groups\" ORDER BY Low_Age IS NULL, Low_Age, Start_Date, AgeID"_s);
    for (const DbRows* rows : {&meet, &groups}) {
        if (!rows->ok()) {
            if (error)
                *error = rows->error();
            return false;
        }
    }
    mMeetStart = storedDate(meet.value(0, u"Start_Date"_s));
    mUsed = meet.isEmpty() || meet.value(0, u"UseAgeDiv"_s).toInt() != 0;
    for (int i = 0; i < groups.count(); ++i) {
        mGroups.append({groups.value(i, u"AgeID"_s).toLongLong(),
                        groups.text(i, u"Level"_s).trimmed(), groups.text(i, u"Name"_s),
                        groups.value(i, u"Low_Age"_s), groups.value(i, u"High_Age"_s),
                        storedDate(groups.value(i, u"Start_Date"_s)),
                        storedDate(groups.value(i, u"End_Date"_s))});
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
