#pragma once

#include <QByteArray>
#include <QString>

struct PrintedResults;

// Results on paper, as a PDF made with Qt's own QPdfWriter: per session, level
// and age division every gymnast with the four finals, the all-around and
// their places, then the team standings of each level; the meet's name, the
// session and the time of printing at the top of every page. Black text and
// grey rules only, so it copies and prints well in black and white. Letter
// paper where the system's measurements are American, else A4.
namespace ResultsPdf {

// The PDF document; empty, with the reason in `error`, when it could not be made.
QByteArray render(const PrintedResults& printed, QString* error = nullptr);

} // namespace ResultsPdf
