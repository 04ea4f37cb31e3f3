#pragma once

#include "db/tables/scorehistorytable.h"

#include <QByteArray>
#include <QList>
#include <QString>

class MeetDatabase;

// The score history on paper for the meet referee: the meet's page header
// with `title` (which session, gymnast, event), then one line per entry
// (time, kind, gymnast, event, final before and after, who, note) in the
// order given, page after page.
namespace HistoryPdf {

// The PDF; empty, with `error`, when it could not be made.
QByteArray render(MeetDatabase& db, const QString& title,
                  const QList<ScoreHistoryTable::Entry>& entries, QString* error);

} // namespace HistoryPdf
