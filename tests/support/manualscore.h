#pragma once

#include "judging/meetservices.h"
#include "judging/submittedscore.h"

// Stores `final` for gymnast `num` on `event` as the operator's manual entry
// does, without judges' scores; with `noScoreboard` it is not queued. True
// when it was stored.
inline bool storeFinal(MeetServices& services, const QString& num, const QString& event,
                       const QString& final, bool noScoreboard = true, const QString& reason = {}) {
    SubmittedScore score;
    score.num = num;
    score.event = event;
    score.finalText = final;
    return services.enterScore(score, noScoreboard, reason).stored;
}
