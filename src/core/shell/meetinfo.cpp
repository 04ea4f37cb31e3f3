#include "meetinfo.h"

#include "appstate.h"
#include "db/dbtransaction.h"
#include "db/tables/meetstable.h"
#include "operatordate.h"
#include "scorerange.h"

using namespace Qt::Literals::StringLiterals;

namespace MeetInfo {

Result load(MeetDatabase& db, Header* header, QString* error) {
    MeetsTable meets(db);
    const auto found = meets.header();
    if (!found) {
        if (error)
            *error = meets.lastError();
        return Result::Failed;
    }
    if (!found->has_value())
        return Result::NotFound;
    Header h{**found, {}, {}, {}};
    h.startDateText = OperatorDate::toDisplay(h.startDate);
    h.endDateText = OperatorDate::toDisplay(h.endDate);
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
    MeetsTable meets(db);
    switch (meets.save(
        {OperatorDate::toStorage(*start), OperatorDate::toStorage(*end), edits.numJudges})) {
    case MeetsTable::Saved::Yes:
        break;
    case MeetsTable::Saved::NoMeet:
        return Result::NotFound;
    case MeetsTable::Saved::Failed:
        return report(Result::Failed, meets.lastError());
    }
    QString failure;
    if (!ScoreRange::store(db, *maxScore, &failure))
        return report(Result::Failed, failure);
    if (!transaction.commit())
        return report(Result::Failed, db.lastError());
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
