#include "meetinfo.h"

#include "appstate.h"
#include "operatordate.h"

using namespace Qt::Literals::StringLiterals;

namespace MeetInfo {

Result load(MeetDatabase& db, Header* header, QString* error) {
    const DbRows rows = db.select(
        u"SELECT Name, Facility, Address1, Address2, City, State, Zip, Phone, Fax, Start_Date, "
        "End_Date, Num_Judges, Director, UseAgeDiv, ProNumber, Sanction FROM Meets LIMIT 1"_s);
    if (!rows.ok()) {
        if (error)
            *error = rows.error();
        return Result::Failed;
    }
    if (rows.isEmpty())
        return Result::NotFound;
    Header h;
    h.name = rows.text(0, u"Name"_s);
    h.facility = rows.text(0, u"Facility"_s);
    h.address1 = rows.text(0, u"Address1"_s);
    h.address2 = rows.text(0, u"Address2"_s);
    h.city = rows.text(0, u"City"_s);
    h.state = rows.text(0, u"State"_s);
    h.zip = rows.text(0, u"Zip"_s);
    h.phone = rows.text(0, u"Phone"_s);
    h.fax = rows.text(0, u"Fax"_s);
    h.startDate = OperatorDate::toDisplay(rows.value(0, u"Start_Date"_s));
    h.endDate = OperatorDate::toDisplay(rows.value(0, u"End_Date"_s));
    h.director = rows.text(0, u"Director"_s);
    h.proNumber = rows.text(0, u"ProNumber"_s);
    h.sanction = rows.text(0, u"Sanction"_s);
    if (!rows.isNull(0, u"Num_Judges"_s))
        h.numJudges = rows.value(0, u"Num_Judges"_s).toInt();
    h.useAgeDiv = rows.value(0, u"UseAgeDiv"_s).toInt() != 0;
    *header = h;
    return Result::Ok;
}

Result save(AppState& state, const QString& startText, const QString& endText,
            std::optional<int> numJudges, QString* error) {
    const auto start = OperatorDate::parse(startText);
    const auto end = OperatorDate::parse(endText);
    if (!start || !end)
        return Result::InvalidDate;

    MeetDatabase& db = state.meetDb();
    // Meets holds the one row of the meet, so the statement needs no condition.
    QString sql = u"UPDATE Meets SET Start_Date = ?, End_Date = ?"_s;
    QVariantList values{OperatorDate::toStorage(*start), OperatorDate::toStorage(*end)};
    if (numJudges) {
        sql += u", Num_Judges = ?"_s;
        values.append(*numJudges);
    }
    if (!db.execute(sql, values)) {
        if (error)
            *error = db.lastError();
        return Result::Failed;
    }
    if (db.rowsAffected() == 0)
        return Result::NotFound;
    if (numJudges)
        state.setNumJudges(*numJudges);
    return Result::Ok;
}

} // namespace MeetInfo
