#pragma once

#include <QByteArray>
#include <QString>

struct PrintedResults;

// Results as comma-separated values in UTF-8, one header row, then one row per
// gymnast (level and age division by level and division, best all-around
// first) and one per team of each level, told apart by the "Kind" column.
namespace ResultsCsv {

QByteArray render(const PrintedResults& printed);

} // namespace ResultsCsv
