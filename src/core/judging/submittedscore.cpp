#include "submittedscore.h"

#include "db/meetevents.h"
#include "server/messagefields.h"

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

// The judges' scores, then start value, adjustment and panel score from
// `start`; `field(i)` gives field i, a null text when there is none.
template <typename Field>
SubmittedScore::Attempt attemptAt(const Field& field, int firstJudge, int start) {
    SubmittedScore::Attempt attempt;
    for (int judge = 0; judge < SubmittedScore::MaxJudges; ++judge)
        attempt.judges[judge] = field(firstJudge + judge);
    attempt.start = field(start);
    attempt.adjustment = field(start + 1);
    attempt.bScore = field(start + 2);
    return attempt;
}

template <typename Field>
SubmittedScore scoreOf(const Field& field) {
    SubmittedScore score;
    score.num = field(NumField);
    score.event = field(EventField);
    score.first = attemptAt(field, FirstJudgeField, StartField);
    score.finalText = field(FinalField);
    const bool vault = MeetEvents::number(score.event) == 1;
    if (vault)
        score.second = attemptAt(field, SecondVaultFirstJudgeField, SecondVaultStartField);
    score.testScore = field(vault ? VaultTestFlagField : TestFlagField) == u"1"_s;
    return score;
}

} // namespace

SubmittedScore SubmittedScore::fromFields(const QStringList& fields) {
    return scoreOf([&fields](int index) { return fields.value(index); });
}

SubmittedScore SubmittedScore::fromFields(const MessageFields& fields) {
    return scoreOf([&fields](int index) { return fields.text(index); });
}
