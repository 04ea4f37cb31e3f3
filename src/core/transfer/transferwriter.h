#pragma once

#include "db/meetschema.h"
#include "db/utf8statement.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVariantList>

// Writes a transfer file: Windows-1252, every line ended by CR LF. Output is
// buffered; finish() writes the rest. Write errors are kept and reported by
// ok() / errorString(); once one happened nothing more is written.
class TransferWriter {
public:
    explicit TransferWriter(QIODevice* device);

    // "[Rostrel]", "Version=4.0" and an empty line.
    void writeHeader();
    // "[Table-NNNN]", one "name=value" line per column in schema order, an empty line.
    // `values` holds the stored values in the table's column order.
    void writeRecord(const MeetSchema::Table& table, qint64 number, const QVariantList& values);
    // The same record from the current row of a statement reading the
    // table's columns in schema order (the export's own reading): texts
    // of plain ASCII go from the engine's row into the file as they are.
    void writeRecord(const MeetSchema::Table& table, qint64 number, const Utf8Statement& row);
    // "[Table]", "NumRecords=N", an empty line.
    void writeTrailer(const MeetSchema::Table& table, qint64 records);

    bool finish();
    bool ok() const { return mError.isEmpty(); }
    QString errorString() const { return mError; }

    // Fields holding characters the code page cannot hold (written as "?"),
    // as "Gymnasts-0012 Last_Name".
    const QStringList& lossyFields() const { return mLossyFields; }

private:
    void appendLine(const QString& line);
    // Bytes into the buffer, which has room for them (see the constructor).
    void appendBytes(QByteArrayView bytes);
    // "[Table-NNNN]" and its line end.
    void appendRecordHeader(const MeetSchema::Table& table, qint64 number);
    void fieldLost(const MeetSchema::Table& table, qint64 number, qsizetype column);
    // Appends the value's text; false when the code page could not hold all of it.
    bool appendValue(MeetSchema::ColumnType type, const QVariant& stored);
    bool appendEncoded(QStringView text);
    // "name=" per column of the table, in the code page.
    static const QList<QByteArray>& fieldPrefixes(const MeetSchema::Table& table);
    void flushIfFull();

    QIODevice* mDevice;
    QByteArray mBuffer;
    QString mError;
    QStringList mLossyFields;
};
