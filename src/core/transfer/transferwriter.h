#pragma once

#include "db/meetschema.h"
#include "db/utf8statement.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <vector>

// Writes a transfer file: Windows-1252, every line ended by CR LF. Output is
// buffered; finish() writes the rest. Write errors are kept and reported by
// ok() / errorString(); once one happened nothing more is written.
class TransferWriter {
public:
    explicit TransferWriter(QIODevice* device);

    // "[Rostrel]", "Version=4.0" and an empty line.
    void writeHeader();
    // "[Table-NNNN]", one "name=value" line per column in schema order, an empty line.
    // `values` holds the stored values in the table's column order; each is
    // written as TransferValues::valueText() gives it.
    void writeRecord(const MeetSchema::Table& table, qint64 number, const QVariantList& values);
    // The same record from the current row of a statement reading the
    // table's columns in schema order (the export's own reading): the same
    // bytes, written from the engine's row without a QVariant or QString for
    // the usual values (numbers in number columns, plain dates, texts).
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
    // What a record of one table needs, worked out once per table.
    struct Layout {
        QString table;
        QByteArray opening;               // "[Name-"
        std::vector<QByteArray> prefixes; // "name=" per column, in the code page
        std::vector<MeetSchema::ColumnType> types;
        qsizetype fixedRoom = 0; // a record's bytes besides its texts
    };
    static const Layout& layoutOf(const MeetSchema::Table& table);
    const Layout& layout(const MeetSchema::Table& table);

    // A place for `bytes` more bytes at the end of the buffer, which is
    // written out first when they would not fit.
    char* room(qsizetype bytes);
    void advanceTo(const char* end) { mUsed = end - mBuffer.constData(); }
    void appendBytes(QByteArrayView bytes);
    char* putRecordHeader(char* out, const Layout& layout, qint64 number);
    void fieldLost(const MeetSchema::Table& table, qint64 number, qsizetype column);
    // Appends the value's text; false when the code page could not hold all of it.
    bool appendValue(MeetSchema::ColumnType type, const QVariant& stored);
    bool appendEncoded(QStringView text);
    // A stored text of a Text column; false as appendValue().
    bool appendText(QByteArrayView utf8);
    void writeBlock();

    QIODevice* mDevice;
    QByteArray mBuffer; // allocated once; mUsed bytes of it are filled
    qsizetype mUsed = 0;
    const MeetSchema::Table* mLayoutTable = nullptr;
    const Layout* mLayout = nullptr;
    QString mError;
    QStringList mLossyFields;
};
