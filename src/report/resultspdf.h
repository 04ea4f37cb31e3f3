#pragma once

#include <QByteArray>
#include <QString>

struct PrintedResults;

// Results on paper: per session, level and age division every gymnast with
// the four finals, the all-around and their places, then the team standings
// of each level, on the paper the printed results name.
namespace ResultsPdf {

// The PDF document; empty, with the reason in `error`, when it could not be made.
QByteArray render(const PrintedResults& printed, QString* error = nullptr);

} // namespace ResultsPdf
