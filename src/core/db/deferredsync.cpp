#include "deferredsync.h"

#include "disksync.h"
#include "meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

DeferredSync::~DeferredSync() {
    QString error;
    restore(&error);
}

bool DeferredSync::defer(QString* error) {
    if (isDeferred())
        return true;
    // The log of an open meet file lives as long as the file is open.
    mLog.setFileName(mDb.filePath() + u"-wal"_s);
    if (!mLog.open(QIODevice::ReadOnly)) {
        *error = mLog.errorString();
        return false;
    }
    if (!mDb.deferCommitSync()) {
        *error = mDb.lastError();
        mLog.close();
        return false;
    }
    return true;
}

bool DeferredSync::syncNow(QString* error) {
    if (!isDeferred())
        return true;
    const bool synced = DiskSync::dataOf(mLog);
    if (!synced)
        *error = u"The meet file's log could not be written to the disk."_s;
    return synced;
}

bool DeferredSync::restore(QString* error) {
    if (!isDeferred())
        return true;
    bool ok = true;
    if (mDb.isOpen() && !mDb.endCommitSyncDeferral()) {
        *error = mDb.lastError();
        ok = false;
    }
    ok = syncNow(error) && ok;
    mLog.close();
    return ok;
}
