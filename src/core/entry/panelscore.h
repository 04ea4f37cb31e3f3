#pragma once

#include "judging/submittedscore.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

// The operator's entry of a panel's scores for one gymnast and one event: the
// panel score from the judges' scores, the event final, and the submitted score
// that stores it as a primary judge station's would.
namespace PanelScore {

inline constexpr int MaxJudges = SubmittedScore::MaxJudges;

// One row of the entry window: a vault attempt, or the event's only row.
struct Attempt {
    QString start;
    std::array<QString, MaxJudges> judges;
    QString adjustment; // signed: a deduction is typed negative
};

struct Result {
    bool complete = false; // every judge box of the first row holds a score
    QString bScore;        // panel score of the first row, before the adjustment
    QString secondBScore;  // Vault: panel score of the second attempt
    QString finalText;     // the event final
};

// The panel score of 1 to 4 judges' scores: one judge's score; the average of
// two or three; of four, the middle two averaged (highest and lowest dropped).
std::optional<double> panelScore(const QList<double>& scores);

// Whether the event has a second attempt (Vault).
bool hasSecondAttempt(const QString& event);

// The panel's judge count as the window uses it: 1 to 4.
int judgeBoxes(int judgeCount);

// The final of an event. Vault takes the better attempt: with one judge the
// two judges' scores decide, before adjustments; with more, the two results.
// A tie takes the second attempt.
Result compute(const QString& event, int judgeCount, const Attempt& first, const Attempt& second);

// The score to submit, with the panel scores and final of `result` (no test
// score; Vault only with its second attempt). Box texts go in as they stand.
SubmittedScore submittedScore(const QString& number, const QString& event, const Attempt& first,
                              const Attempt& second, const Result& result);

} // namespace PanelScore
