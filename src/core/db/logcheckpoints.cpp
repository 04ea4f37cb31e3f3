#include "logcheckpoints.h"

#include "meetdatabase.h"
#include "sqlitestatement.h"

#include <sqlite3.h>

void LogCheckpoints::hold() {
    if (mHeld || !mDb.isOpen())
        return;
    if (sqlite3* connection = SqliteStatement::handleOf(mDb.connection()))
        mHeld = sqlite3_wal_autocheckpoint(connection, 0) == SQLITE_OK;
}

void LogCheckpoints::release() {
    if (!mHeld)
        return;
    mHeld = false;
    if (!mDb.isOpen())
        return;
    if (sqlite3* connection = SqliteStatement::handleOf(mDb.connection()))
        sqlite3_wal_autocheckpoint(connection, Frames);
}

bool LogCheckpoints::checkpoint() {
    if (!mDb.isOpen())
        return false;
    sqlite3* connection = SqliteStatement::handleOf(mDb.connection());
    // A passive checkpoint copies what no reader still needs and waits for nobody.
    return connection && sqlite3_wal_checkpoint_v2(connection, nullptr, SQLITE_CHECKPOINT_PASSIVE,
                                                   nullptr, nullptr) == SQLITE_OK;
}
