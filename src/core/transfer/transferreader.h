#pragma once

#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

// One record section of a transfer file: its table, its header as written and
// its field lines split into (name, value). A value is everything after the
// first "=", so values may hold "=" themselves; a line without "=" is a name
// with an empty value.
struct TransferRecord {
    QString table;  // the table's name as the meet schema spells it
    QString header; // "Gyms-0003", as in the file
    qint64 line = 0;
    QList<std::pair<QString, QString>> fields;
};

// Reads a transfer file section by section: the header block (up to the first
// empty line, holding the version), then record sections "[Table-NNNN]" and
// table trailers "[Table]" + "NumRecords=N". A record's field lines run to the
// first empty line, or to the next section line when the empty line is missing.
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
    bool nextLine(QString* line);
    void pushBack(const QString& line);
    bool sectionOf(const QString& line, QString* table, bool* isRecord) const;
    void finishTable(const QString& table);

    std::unique_ptr<QFile> mOwnedFile;
    QIODevice* mDevice;
    QString mError;
    qint64 mLinesRead = 0;
    bool mHasPushedBack = false;
    QString mPushedBack;
    QHash<QString, qint64> mRecordCounts;
    QSet<QString> mFinished;
    QStringList mProblems;
};
