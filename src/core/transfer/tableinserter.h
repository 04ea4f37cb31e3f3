#pragma once

#include "db/meetschema.h"
#include "db/tables/wholetable.h"
#include "db/utf8statement.h"
#include "importvaluecodes.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

class MeetDatabase;
struct TransferRecord;

// Stores the records of one table of a transfer file: matches each record's
// fields to the table's columns by name, converts every value by its column's
// code and inserts the row with a statement prepared for the table, reused
// record after record. Values go to the engine straight from the record's
// bytes: a record in plain ASCII is the UTF-8 the engine stores as it is;
// other texts are converted into a buffer of their column that serves record
// after record.
class TableInserter {
public:
    TableInserter(MeetDatabase& db, const MeetSchema::Table& table);

    // False, with error(), when the statement cannot be prepared.
    bool isReady() const { return mReady; }
    QString error() const { return mError; }

    // Stores one record; returns why it was refused, or the empty text.
    QString store(const TransferRecord& record);

private:
    // The field of `record` that holds each column, in schema order; null,
    // with `reason`, when the names do not match the columns.
    const qsizetype* fieldsOf(const TransferRecord& record, QString* reason);
    const qsizetype* fieldsByName(const TransferRecord& record, QString* reason);
    // Binds column `c` to `text` (Windows-1252), which lasts until the insert
    // ran when `lasting`.
    void bindText(int c, QByteArrayView text, bool ascii, bool lasting);
    // Binds column `c` to a converted value, whose texts are ASCII when `ascii`.
    void bind(int c, const ImportValueCodes::Converted& value, bool ascii);

    // What an inserter needs of its table, worked out once per table.
    struct Layout {
        QList<ImportValueCodes::Code> codes;
        QList<ImportValueCodes::Converted> emptyValues; // what an empty field stores, by column
        QList<QByteArray> names;           // as the schema spells them, for files in schema order
        QHash<QString, int> columnsByName; // lower-case names
        std::vector<qsizetype> inOrder;    // 0, 1, 2 ...: each column's field in schema order
    };
    static const Layout& layoutOf(const MeetSchema::Table& table);

    const MeetSchema::Table& mTable;
    const Layout& mLayout;
    std::vector<qsizetype> mFieldOfColumn;
    WholeTable mWhole;
    std::unique_ptr<Utf8Statement> mInsert;
    std::vector<QByteArray> mTexts; // bound by reference: kept until the insert ran
    bool mReady = false;
    bool mInserted = false;
    QString mError;
};
