#include "meetstable.h"

#include "db/meetchanges.h"
#include "db/meetdatabase.h"
#include "db/storeddate.h"
#include "sessionstable.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QDate dateOf(const QVariant& value) {
    const std::optional<StoredDate> stored = StoredDate::fromValue(value);
    return stored ? stored->date : QDate();
}

} // namespace

MeetsTable::MeetsTable(MeetDatabase& db)
    : MeetTable(db) {}

std::optional<std::optional<MeetsTable::Header>> MeetsTable::header() {
    const DbRows rows = mDb.select(
        u"SELECT Name, Facility, Address1, Address2, City, State, Zip, Phone, Fax, Start_Date, "
        "End_Date, Num_Judges, Director, UseAgeDiv, ProNumber, Sanction FROM Meets LIMIT 1"_s);
    return oneRow(rows, mError, [](const DbRows& r) {
        Header h;
        h.name = r.text(0, u"Name"_s);
        h.facility = r.text(0, u"Facility"_s);
        h.address1 = r.text(0, u"Address1"_s);
        h.address2 = r.text(0, u"Address2"_s);
        h.city = r.text(0, u"City"_s);
        h.state = r.text(0, u"State"_s);
        h.zip = r.text(0, u"Zip"_s);
        h.phone = r.text(0, u"Phone"_s);
        h.fax = r.text(0, u"Fax"_s);
        h.startDate = r.value(0, u"Start_Date"_s);
        h.endDate = r.value(0, u"End_Date"_s);
        h.numJudges = r.value(0, u"Num_Judges"_s);
        h.director = r.text(0, u"Director"_s);
        h.useAgeDivisions = r.value(0, u"UseAgeDiv"_s).toInt() != 0;
        h.proNumber = r.text(0, u"ProNumber"_s);
        h.sanction = r.text(0, u"Sanction"_s);
        return h;
    });
}

std::optional<QString> MeetsTable::meetName() {
    const DbRows rows = mDb.select(u"SELECT Name FROM Meets LIMIT 1"_s);
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    return rows.text(0, u"Name"_s);
}

MeetsTable::Saved MeetsTable::save(const Edit& edit) {
    // Keeps the reason, as the inherited failed() does, for a Saved answer.
    const auto failure = [this](const QString& error) {
        mError = error;
        return Saved::Failed;
    };
    const DbRows before = mDb.select(u"SELECT Start_Date FROM Meets LIMIT 1"_s);
    if (!before.ok())
        return failure(before.error());
    // Meets holds the one row of the meet, so the statement needs no condition.
    QString sql = u"UPDATE Meets SET Start_Date = ?, End_Date = ?"_s;
    QVariantList values{edit.startDate, edit.endDate};
    if (edit.numJudges) {
        sql += u", Num_Judges = ?"_s;
        values.append(*edit.numJudges);
    }
    if (!mDb.execute(sql, values))
        return failure(mDb.lastError());
    if (mDb.rowsAffected() == 0)
        return Saved::NoMeet;
    MeetChange change{Name, {}, {}, {}, {}, false};
    if (dateOf(before.value(0, u"Start_Date"_s)) != dateOf(edit.startDate)) {
        SessionsTable sessions(mDb);
        const auto all = sessions.all();
        if (!all)
            return failure(sessions.lastError());
        for (const SessionsTable::Entry& session : *all)
            change.sessions.append(session.number);
        change.altersResults = true;
    }
    mDb.changes().record(std::move(change));
    return Saved::Yes;
}
