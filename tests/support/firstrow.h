#pragma once

#include <QStringList>
#include <QVariantList>

class MeetDatabase;

// The first row `sql` selects, each value as its text and a Null as "<null>",
// so that one comparison checks a whole stored row. Empty when nothing matched;
// a failed statement fails the test run.
QStringList firstRow(MeetDatabase& db, const QString& sql, const QVariantList& values = {});

// Every row `sql` selects as one text, its values (as firstRow gives them)
// joined by '|', so that one comparison checks a whole result.
QStringList allRows(MeetDatabase& db, const QString& sql, const QVariantList& values = {});
