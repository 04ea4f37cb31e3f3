#pragma once

#include <QList>

#include <optional>

// Places of a competition. Scores count to the thousandth, as judges give
// them: equal scores share a place and the places they take are skipped
// (9.5, 9.5, 9.3 give 1, 1, 3). A missing score has no place.
namespace Placing {

// A score to the nearest thousandth, so that sums made in another order compare equal.
double rounded(double score);

// The place of each score, in the order given.
QList<std::optional<int>> places(const QList<std::optional<double>>& scores);

} // namespace Placing
