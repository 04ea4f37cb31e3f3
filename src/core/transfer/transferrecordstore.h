#pragma once

#include "tableinserter.h"
#include "transferreader.h"

#include <QString>

#include <map>
#include <memory>

class MeetDatabase;

// Stores the records of a transfer file into an open meet, one at a time, in
// whatever transaction the caller holds, through one TableInserter per table
// met so far. A meet has one Meets record: later ones are refused. The
// inserters hold prepared statements of `db`, so the store goes before `db`
// closes.
class TransferRecordStore {
public:
    explicit TransferRecordStore(MeetDatabase& db);

    // Empty when stored, else why the record was refused.
    QString store(const TransferRecord& record);

private:
    MeetDatabase& mDb;
    bool mMeetsRead = false;
    // The table of the last record and its inserter: records come table by table.
    QString mLastTable;
    TableInserter* mLastInserter = nullptr;
    bool mLastIsMeets = false;
    std::map<QString, std::unique_ptr<TableInserter>> mInserters;
};
