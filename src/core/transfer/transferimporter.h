#pragma once

#include "db/dbtransaction.h"
#include "db/meetdatabase.h"
#include "db/meetschema.h"
#include "importreport.h"
#include "transferreader.h"
#include "transferrecordstore.h"

#include <QString>

#include <memory>

// Imports a transfer file into a new meet file, in steps so that a window can
// show progress between them. The whole import is one transaction: a record
// that cannot be stored is left out and reported, the others are committed
// together at the end. Fields are matched to columns by name; a record with
// unknown, repeated or missing names is refused.
//
// Usage: begin(), then step() until it returns false, then finish().
class TransferImporter {
public:
    TransferImporter(const QString& transferPath, const QString& meetPath);
    ~TransferImporter(); // an import that was not finished leaves no meet file behind

    // Checks the file's version, creates the meet file (which must not exist)
    // and starts the transaction. False, with report().error, when it cannot.
    bool begin();
    // Stores up to `maxRecords` further records; false once the file is read.
    bool step(int maxRecords);
    // Commits. False, with report().error and no meet file left, when it cannot.
    bool finish();

    // Everything at once (for the command line and tests).
    bool run();

    const ImportReport& report() const { return mReport; }
    qint64 linesRead() const { return mReader.linesRead(); }

    // Removes a meet file with SQLite's side files, which would otherwise be
    // taken for part of a new file of the same name. Refused, with the reason,
    // while another Tallvane holds the meet file open.
    static bool removeMeetFile(const QString& path, QString* error = nullptr);

private:
    void abandon();

    QString mMeetPath;
    TransferReader mReader;
    MeetDatabase mDb;
    std::unique_ptr<DbTransaction> mTransaction;
    ImportReport mReport;
    bool mCreated = false;
    bool mFinished = false;
    TransferRecord mRecord;
    // Holds statements of mDb: it goes before mDb closes.
    std::unique_ptr<TransferRecordStore> mStore = std::make_unique<TransferRecordStore>(mDb);
};
