#pragma once

#include "db/tables/scorehistorytable.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The score history on paper for the meet referee: a title, then one line per
// entry (time, kind, gymnast, event, final before and after, who, note) in the
// order given, landscape, page after page.
namespace HistoryPdf {

// The PDF; empty, with `error`, when it could not be made.
QByteArray render(const QString& title, const QList<ScoreHistoryTable::Entry>& entries,
                  QString* error);

} // namespace HistoryPdf
