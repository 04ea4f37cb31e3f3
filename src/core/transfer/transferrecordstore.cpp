#include "transferrecordstore.h"

using namespace Qt::Literals::StringLiterals;

TransferRecordStore::TransferRecordStore(MeetDatabase& db)
    : mDb(db) {}

QString TransferRecordStore::store(const TransferRecord& record) {
    const MeetSchema::Table& table = *MeetSchema::table(record.table);
    if (table.name == u"Meets"_s) {
        if (mMeetsRead)
            return u"a meet has one Meets record; only the first was imported"_s;
        mMeetsRead = true;
    }
    std::unique_ptr<TableInserter>& inserter = mInserters[table.name];
    if (!inserter)
        inserter = std::make_unique<TableInserter>(mDb, table);
    return inserter->store(record);
}
