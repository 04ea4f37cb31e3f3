#include "entrygymnast.h"

#include "db/meetevents.h"
#include "judging/formatscore.h"
#include "judging/gymnastlookup.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A stored score as its box shows it; Null leaves the box empty.
QString boxText(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return {};
    bool ok = false;
    const double value = stored.toDouble(&ok);
    return ok ? scoreText(value) : QString();
}

PanelScore::Attempt attemptOf(const GymnastLookup::Attempt& stored, int judges) {
    PanelScore::Attempt attempt;
    attempt.start = boxText(stored.start);
    attempt.adjustment = boxText(stored.adjustment);
    for (size_t i = 0; i < size_t(judges); ++i)
        attempt.judges[i] = boxText(stored.judges[i]);
    return attempt;
}

} // namespace

bool EntryGymnast::load(MeetDatabase& db, const QString& number, const QString& event,
                        int judgeCount, EntryGymnast* gymnast, QString* error) {
    *gymnast = EntryGymnast();
    const int eventNumber = MeetEvents::number(event);
    if (eventNumber == 0)
        return true; // no such event: nothing to show
    std::optional<GymnastLookup::Gymnast> found;
    if (!GymnastLookup::find(db, number, eventNumber, &found, error))
        return false;
    if (!found)
        return true;

    gymnast->found = true;
    gymnast->nameLine = number + u" - "_s + found->firstName + u' ' + found->lastName;
    gymnast->gymName = found->gymName;
    gymnast->level = found->level.toString();
    gymnast->squad = found->squad;
    gymnast->ageDivision = found->ageGroup;
    const int judges = PanelScore::judgeBoxes(judgeCount);
    gymnast->first = attemptOf(found->first, judges);
    if (PanelScore::hasSecondAttempt(event))
        gymnast->second = attemptOf(found->second, judges);
    return true;
}
