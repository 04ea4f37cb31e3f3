#include "transferrecordstore.h"

using namespace Qt::Literals::StringLiterals;

TransferRecordStore::TransferRecordStore(MeetDatabase& db)
    : mDb(db) {}

QString TransferRecordStore::store(const TransferRecord& record) {
    if (!mLastInserter || record.table != mLastTable) {
        const MeetSchema::Table& table = *MeetSchema::table(record.table);
        std::unique_ptr<TableInserter>& inserter = mInserters[table.name];
        if (!inserter)
            inserter = std::make_unique<TableInserter>(mDb, table);
        mLastInserter = inserter.get();
        mLastTable = record.table;
        mLastIsMeets = table.name == u"Meets"_s;
    }
    if (mLastIsMeets) {
        if (mMeetsRead)
            return u"a meet has one Meets record; only the first was imported"_s;
        mMeetsRead = true;
    }
    return mLastInserter->store(record);
}
