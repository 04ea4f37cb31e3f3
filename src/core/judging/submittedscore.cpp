#include "submittedscore.h"

#include "db/meetevents.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Field positions of a "SENDSCORE" message.
enum Field {
    NumField = 1,
    EventField = 4,
    FirstJudgeField = 5,
    StartField = 12,
    FinalField = 15,
    TestFlagField = 16,
    SecondVaultFirstJudgeField = 16,
    SecondVaultStartField = 23,
    VaultTestFlagField = 26,
};

// The judges' scores, then start value, adjustment and panel score from `first`.
SubmittedScore::Attempt attemptAt(const QStringList& fields, int firstJudge, int start) {
    SubmittedScore::Attempt attempt;
    for (int judge = 0; judge < SubmittedScore::MaxJudges; ++judge)
        attempt.judges[judge] = fields.value(firstJudge + judge);
    attempt.start = fields.value(start);
    attempt.adjustment = fields.value(start + 1);
    attempt.bScore = fields.value(start + 2);
    return attempt;
}

} // namespace

SubmittedScore SubmittedScore::fromFields(const QStringList& fields) {
    SubmittedScore score;
    score.num = fields.value(NumField);
    score.event = fields.value(EventField);
    score.first = attemptAt(fields, FirstJudgeField, StartField);
    score.finalText = fields.value(FinalField);
    const bool vault = MeetEvents::number(score.event) == 1;
    if (vault)
        score.second = attemptAt(fields, SecondVaultFirstJudgeField, SecondVaultStartField);
    score.testScore = fields.value(vault ? VaultTestFlagField : TestFlagField) == u"1"_s;
    return score;
}
