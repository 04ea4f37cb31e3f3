#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The fixed layout of a meet file: fifteen tables whose names, column order and
// types mirror the meet-management program's data. The transfer file and the
// export rely on the column order, so it never changes.
namespace MeetSchema {

enum class ColumnType { Long, Text, Double, Date, Boolean };

struct Column {
    QString name;
    ColumnType type;
    int length = 0; // characters, Text columns only
};

struct Table {
    QString name;
    QList<Column> columns;
    bool meetData = true; // false for the scoring server's own tables, never exported

    int indexOf(const QString& column) const; // case-insensitive; -1 when absent
};

// All fifteen tables in creation order.
const QList<Table>& tables();

// The twelve meet-data tables in transfer-file order.
QList<const Table*> meetDataTables();

// The table of that name (case-insensitive), or nullptr.
const Table* table(const QString& name);

// The CREATE TABLE statement of one table for SQLite.
QString createStatement(const Table& table);

// The indexes kept beside the tables for the lookups every score makes (a
// gymnast by number, a queue row by number and event, the next score waiting
// for an event's displays). They change no stored
// value and the transfer file never holds them. Each statement creates its
// index only where it is missing.
QStringList indexStatements();

// The name as written in SQL: double-quoted, so names with spaces work.
QString quotedName(const QString& name);

} // namespace MeetSchema
