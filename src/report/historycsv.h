#pragma once

#include "db/tables/scorehistorytable.h"

#include <QByteArray>
#include <QList>

// The score history as comma-separated values in UTF-8: a header row, then
// one row per entry in the order given. The judges' scores, start values,
// adjustments and B scores follow the entry's own fields, then the station's
// message as it was sent.
namespace HistoryCsv {

QStringList header();
QByteArray render(const QList<ScoreHistoryTable::Entry>& entries);

} // namespace HistoryCsv
