#include "placing.h"

#include <algorithm>
#include <cmath>

namespace Placing {

namespace {

qint64 thousandths(double score) {
    return std::llround(score * 1000.0);
}

} // namespace

double rounded(double score) {
    return double(thousandths(score)) / 1000.0;
}

QList<std::optional<int>> places(const QList<std::optional<double>>& scores) {
    QList<std::pair<qint64, qsizetype>> ranked; // (score, index), highest first
    for (qsizetype i = 0; i < scores.size(); ++i) {
        if (scores[i])
            ranked.append({thousandths(*scores[i]), i});
    }
    std::sort(ranked.begin(), ranked.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<std::optional<int>> result(scores.size());
    for (qsizetype i = 0; i < ranked.size(); ++i) {
        const bool tied = i > 0 && ranked[i].first == ranked[i - 1].first;
        result[ranked[i].second] = tied ? result[ranked[i - 1].second] : int(i + 1);
    }
    return result;
}

} // namespace Placing
