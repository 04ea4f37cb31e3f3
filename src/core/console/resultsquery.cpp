#include "resultsquery.h"

#include "db/meetdatabase.h"
#include "shell/operatordate.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString orderBy(ResultsFilter::Sort sort) {
    // Highest score first; gymnasts without the score last.
    auto byScore = [](const QString& column) -> QString {
        return u" ORDER BY "_s + column + u" IS NULL, "_s + column + u" DESC"_s;
    };
    switch (sort) {
    case ResultsFilter::Sort::Number:
        return u" ORDER BY Num"_s;
    case ResultsFilter::Sort::Name:
        return u" ORDER BY Last_Name COLLATE NOCASE, First_Name COLLATE NOCASE"_s;
    case ResultsFilter::Sort::Vault:
        return byScore(u"E1Final"_s);
    case ResultsFilter::Sort::Bars:
        return byScore(u"E2Final"_s);
    case ResultsFilter::Sort::Beam:
        return byScore(u"E3Final"_s);
    case ResultsFilter::Sort::Floor:
        return byScore(u"E4Final"_s);
    case ResultsFilter::Sort::AllAround:
        return byScore(u"AA"_s);
    }
    return {};
}

} // namespace

bool ResultsQuery::run(const ResultsFilter& filter) {
    mLines.clear();
    mError.clear();
    QString sql = u"SELECT Num, First_Name, Last_Name, E1Final, E2Final, E3Final, E4Final, AA "
                  "FROM Gymnasts WHERE Scratched = 0 AND Session = ?"_s;
    QVariantList values{filter.session};
    if (filter.gymId) {
        sql += u" AND Gym = ?"_s;
        values.append(*filter.gymId);
    }
    if (!filter.level.isEmpty()) {
        sql += u" AND Level = ? COLLATE NOCASE"_s;
        values.append(filter.level);
    }
    if (!filter.squad.isEmpty()) {
        sql += u" AND Squad = ? COLLATE NOCASE"_s;
        values.append(filter.squad);
    }
    if (filter.ageId && !ageDivisionCondition(*filter.ageId, sql, values))
        return false;
    sql += orderBy(filter.sort);

    const DbRows rows = mDb.select(sql, values);
    if (!rows.ok())
        return fail(rows.error());
    for (int i = 0; i < rows.count(); ++i) {
        mLines.append({rows.text(i, u"Num"_s),
                       rows.text(i, u"Last_Name"_s) + u", "_s + rows.text(i, u"First_Name"_s),
                       rows.value(i, u"E1Final"_s), rows.value(i, u"E2Final"_s),
                       rows.value(i, u"E3Final"_s), rows.value(i, u"E4Final"_s),
                       rows.value(i, u"AA"_s)});
    }
    return true;
}

// An age group is either a range of ages, counted as calendar years between the
// birth year and the year the meet starts, or a range of birth dates (both ends
// included, open-ended when it has no end date).
bool ResultsQuery::ageDivisionCondition(qint64 ageId, QString& sql, QVariantList& values) {
    const DbRows group = mDb.select(u"SELECT Low_Age, High_Age, Start_Date, End_Date "
                                    "FROM \"Age Groups\" WHERE AgeID = ? LIMIT 1"_s,
                                    {ageId});
    if (!group.ok())
        return fail(group.error());
    if (group.isEmpty())
        return fail(u"The age division is no longer in the meet."_s);

    const auto from = OperatorDate::fromStorage(group.value(0, u"Start_Date"_s));
    if (from) {
        sql += u" AND date(Birthday) >= ?"_s;
        values.append(from->date().toString(Qt::ISODate));
        if (const auto to = OperatorDate::fromStorage(group.value(0, u"End_Date"_s))) {
            sql += u" AND date(Birthday) <= ?"_s;
            values.append(to->date().toString(Qt::ISODate));
        }
        return true;
    }

    const DbRows meet = mDb.select(u"SELECT Start_Date FROM Meets LIMIT 1"_s);
    if (!meet.ok())
        return fail(meet.error());
    const auto meetStart =
        meet.isEmpty() ? std::nullopt : OperatorDate::fromStorage(meet.value(0, u"Start_Date"_s));
    if (!meetStart)
        return fail(u"The meet has no start date, so gymnasts' ages cannot be worked out."_s);
    const QString age = u"(? - CAST(strftime('%Y', Birthday) AS INTEGER))"_s;
    for (const auto& [column, comparison] :
         {std::pair{u"Low_Age"_s, u" >= ?"_s}, std::pair{u"High_Age"_s, u" <= ?"_s}}) {
        if (group.isNull(0, column))
            continue;
        sql += u" AND "_s + age + comparison;
        values.append(meetStart->date().year());
        values.append(group.value(0, column).toLongLong());
    }
    // A gymnast without a birthday has no age and belongs to no division.
    sql += u" AND strftime('%Y', Birthday) IS NOT NULL"_s;
    return true;
}

bool ResultsQuery::fail(const QString& error) {
    mError = error;
    return false;
}
