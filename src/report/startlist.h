#pragma once

#include <QByteArray>
#include <QString>

struct PrintedResults;

// The start list for the coaches: per session, squad by squad in running
// order, each gymnast's running order, number, name, gym, level and age
// division.
namespace StartList {

// On paper, with the meet, the session and the time of printing on every
// page; empty, with the reason, when the PDF could not be made.
QByteArray pdf(const PrintedResults& printed, QString* error = nullptr);
// As comma-separated values: a header row, then one row per gymnast.
QByteArray csv(const PrintedResults& printed);

} // namespace StartList
