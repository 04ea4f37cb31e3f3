#include "meetinfo.h"

#include "appstate.h"
#include "db/dbtransaction.h"
#include "operatordate.h"
#include "scorerange.h"

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
    h.maxScore = ScoreRange::ofMeet(db).maximumText();
    *header = h;
    return Result::Ok;
}

Result save(AppState& state, const Edits& edits, QString* error) {
    const auto report = [error](Result result, const QString& text) {
        if (error)
            *error = text;
        return result;
    };
    const auto start = OperatorDate::parse(edits.startDate);
    const auto end = OperatorDate::parse(edits.endDate);
    if (!start || !end) {
        const QDate today = QDate::currentDate();
        QStringList problems;
        if (!start)
            problems.append(dateProblem(u"Start Date"_s, edits.startDate, today));
        if (!end)
            problems.append(dateProblem(u"End Date"_s, edits.endDate, today));
        return report(Result::InvalidDate, problems.join(u'\n'));
    }
    const std::optional<double> maxScore = ScoreRange::parseMaximum(edits.maxScore);
    if (!maxScore)
        return report(Result::InvalidMaxScore, ScoreRange::InvalidMaximumMessage);

    MeetDatabase& db = state.meetDb();
    DbTransaction transaction(db);
    if (!transaction.isActive())
        return report(Result::Failed, db.lastError());
    // Ages count from the start date: moving it changes every session's results.
    const DbRows before = db.select(u"SELECT Start_Date FROM Meets LIMIT 1"_s);
    const DbRows sessions = db.select(u"SELECT Session FROM Sessions ORDER BY Session"_s);
    for (const DbRows* rows : {&before, &sessions}) {
        if (!rows->ok())
            return report(Result::Failed, rows->error());
    }
    const bool startMoved = OperatorDate::fromStorage(before.value(0, u"Start_Date"_s)) != start;
    // Meets holds the one row of the meet, so the statement needs no condition.
    QString sql = u"UPDATE Meets SET Start_Date = ?, End_Date = ?"_s;
    QVariantList values{OperatorDate::toStorage(*start), OperatorDate::toStorage(*end)};
    if (edits.numJudges) {
        sql += u", Num_Judges = ?"_s;
        values.append(*edits.numJudges);
    }
    if (!db.execute(sql, values))
        return report(Result::Failed, db.lastError());
    if (db.rowsAffected() == 0)
        return Result::NotFound;
    QString failure;
    if (!ScoreRange::store(db, *maxScore, &failure))
        return report(Result::Failed, failure);
    if (!transaction.commit())
        return report(Result::Failed, db.lastError());
    if (startMoved) {
        QStringList changed;
        for (int i = 0; i < sessions.count(); ++i)
            changed.append(sessions.text(i, u"Session"_s));
        db.changes().resultsChanged(changed);
    }
    if (edits.numJudges)
        state.setNumJudges(*edits.numJudges);
    return Result::Ok;
}

QString dateProblem(const QString& caption, const QString& typed, const QDate& example) {
    QStringList forms = OperatorDate::examples(example);
    const QString last = forms.takeLast();
    const QString accepted = forms.isEmpty() ? last : forms.join(u", "_s) + u" or "_s + last;
    return u"%1: \"%2\" is not a date.  Type it as %3."_s.arg(caption, typed.trimmed(), accepted);
}

} // namespace MeetInfo
