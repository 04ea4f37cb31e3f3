#include "panelscore.h"

#include "db/meetevents.h"
#include "judging/formatscore.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace PanelScore {

namespace {

std::optional<double> numberIn(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

struct RowScore {
    double panel = 0;
    double result = 0;
    double firstJudge = 0;
};

// Boxes that hold no number count as 0 here; only the first row is checked
// for empty boxes before anything is computed.
RowScore score(const Attempt& attempt, int judges) {
    QList<double> scores;
    for (int i = 0; i < judges; ++i)
        scores.append(numberIn(attempt.judges[size_t(i)]).value_or(0));
    RowScore row;
    row.panel = panelScore(scores).value_or(0);
    row.result = row.panel + numberIn(attempt.adjustment).value_or(0);
    row.firstJudge = scores.value(0);
    return row;
}

} // namespace

std::optional<double> panelScore(const QList<double>& scores) {
    switch (scores.size()) {
    case 1:
        return scores[0];
    case 2:
        return (scores[0] + scores[1]) / 2;
    case 3:
        return (scores[0] + scores[1] + scores[2]) / 3;
    case 4: {
        const auto [low, high] = std::minmax_element(scores.begin(), scores.end());
        return (scores[0] + scores[1] + scores[2] + scores[3] - *high - *low) / 2;
    }
    default:
        return std::nullopt;
    }
}

bool hasSecondAttempt(const QString& event) {
    return MeetEvents::number(event) == MeetEvents::Vault;
}

int judgeBoxes(int judgeCount) {
    return std::clamp(judgeCount, 1, MaxJudges);
}

Result compute(const QString& event, int judgeCount, const Attempt& first, const Attempt& second) {
    const int judges = judgeBoxes(judgeCount);
    Result result;
    for (int i = 0; i < judges; ++i) {
        if (!numberIn(first.judges[size_t(i)]))
            return result;
    }
    const RowScore a = score(first, judges);
    result.bScore = scoreText(a.panel);
    double final = a.result;
    if (hasSecondAttempt(event)) {
        const RowScore b = score(second, judges);
        result.secondBScore = scoreText(b.panel);
        const bool firstIsBetter = judges == 1 ? a.firstJudge > b.firstJudge : a.result > b.result;
        final = firstIsBetter ? a.result : b.result;
    }
    result.finalText = scoreText(final);
    result.complete = true;
    return result;
}

SubmittedScore submittedScore(const QString& number, const QString& event, const Attempt& first,
                              const Attempt& second, const Result& result) {
    const auto submitted = [](const Attempt& attempt, const QString& bScore) {
        SubmittedScore::Attempt row;
        row.judges = attempt.judges;
        row.start = attempt.start;
        row.adjustment = attempt.adjustment;
        row.bScore = bScore;
        return row;
    };
    SubmittedScore score;
    score.num = number;
    score.event = event;
    score.first = submitted(first, result.bScore);
    if (hasSecondAttempt(event))
        score.second = submitted(second, result.secondBScore);
    score.finalText = result.finalText;
    return score;
}

} // namespace PanelScore
