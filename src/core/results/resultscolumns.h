#pragma once

#include <QString>

#include <array>
#include <optional>

// The five columns of a result: the four event finals and the all-around.
namespace ResultColumns {

constexpr int Count = 5;
constexpr int AllAround = 4;

// "Vault", "Bars", "Beam", "Floor", "AA".
QString name(int column);

} // namespace ResultColumns

using ResultScores = std::array<std::optional<double>, ResultColumns::Count>;
using ResultPlaces = std::array<std::optional<int>, ResultColumns::Count>;
