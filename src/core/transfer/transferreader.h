#pragma once

#include "shell/codepage1252.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

// One record section of a transfer file: its table, its header as written and
// its field lines, each a name and a value. A value is everything after the
// first "=", so values may hold "=" themselves; a line without "=" is a name
// with an empty value. The field lines are kept as the file holds them, in
// Windows-1252; names and values are views into them.
struct TransferRecord {
    struct Field {
        qsizetype nameAt = 0;
        qsizetype nameSize = 0;
        qsizetype valueAt = 0;
        qsizetype valueSize = 0;
    };

    QString table;  // the table's name as the meet schema spells it
    QString header; // "Gyms-0003", as in the file
    qint64 line = 0;
    QByteArray bytes;          // the field lines as in the file; keeps its room
    bool ascii = true;         // no byte of `bytes` beyond ASCII: they are UTF-8 as they are
    std::vector<Field> fields; // keeps its room from record to record

    qsizetype fieldCount() const { return qsizetype(fields.size()); }
    // Name and value as the file holds them, in Windows-1252.
    QByteArrayView rawName(qsizetype i) const {
        const Field& f = fields[size_t(i)];
        return QByteArrayView(bytes).sliced(f.nameAt, f.nameSize);
    }
    QByteArrayView rawValue(qsizetype i) const {
        const Field& f = fields[size_t(i)];
        return QByteArrayView(bytes).sliced(f.valueAt, f.valueSize);
    }
    QString name(qsizetype i) const { return Cp1252::decode(rawName(i)); }
    QString value(qsizetype i) const { return Cp1252::decode(rawValue(i)); }
};

// Reads a transfer file section by section: the header block (up to the first
// empty line, holding the version), then record sections "[Table-NNNN]" and
// table trailers "[Table]" + "NumRecords=N". A record's field lines run to the
// first empty line, or to the next section line when the empty line is missing.
//
// The file is read in large blocks and cut into lines in place; a file of any
// size is read with a block and one record in memory.
class TransferReader {
public:
    explicit TransferReader(QIODevice* device);
    explicit TransferReader(const QString& path);

    // False when the file could not be opened (see errorString()).
    bool open();
    QString errorString() const { return mError; }

    // Reads the header block; returns its version (0 when there is none).
    double readHeader();

    // The next record; false at the end of the file.
    bool readRecord(TransferRecord* record);

    qint64 linesRead() const { return mLinesRead; }

    // Meet-data tables whose trailer line was not (yet) read: at the end of the
    // file these are the tables the file lacks or holds only in part.
    QStringList unfinishedTables() const;

    // Lines that belong to no record, and trailers whose record count does not
    // match the records found: each a sentence for the operator.
    const QStringList& problems() const { return mProblems; }

private:
    // A line of the buffer, without its line end.
    struct Line {
        qsizetype at = 0;
        qsizetype size = 0;
        qsizetype next = 0; // where the line after it starts
    };

    bool nextLine(Line* line);
    void unread(const Line& line);
    bool fill();
    QByteArrayView bytes(const Line& line) const;
    QString text(const Line& line) const;
    bool sectionOf(const Line& line, QString* table, bool* isRecord) const;
    bool isSection(const Line& line) const;
    void readFields(TransferRecord* record);
    void keepFieldLines(TransferRecord* record, qsizetype end) const;
    void finishTable(const QString& table);

    std::unique_ptr<QFile> mOwnedFile;
    QIODevice* mDevice;
    QString mError;
    QByteArray mBuffer;
    qsizetype mPos = 0;
    qsizetype mKeepFrom = -1; // start of the record being read: kept when the buffer moves
    bool mAtEnd = false;
    qint64 mLinesRead = 0;
    QHash<QString, qint64> mRecordCounts;
    QSet<QString> mFinished;
    QStringList mProblems;
};
