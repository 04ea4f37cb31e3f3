#include "idlecheckpoints.h"

#include "db/meetdatabase.h"
#include "db/sqlitestatement.h"

#include <sqlite3.h>

#include <cstdint>

IdleCheckpoints::IdleCheckpoints(MeetDatabase& db, std::function<bool()> busy)
    : mDb(db)
    , mBusy(std::move(busy)) {
    mTimer.setSingleShot(true);
    QObject::connect(&mTimer, &QTimer::timeout, &mTimer, [this] { checkpointWhenIdle(); });
    afterCommit();
}

IdleCheckpoints::~IdleCheckpoints() {
    if (ours())
        sqlite3_wal_autocheckpoint(mConnection, mHandBack);
    mConnection = nullptr;
}

int IdleCheckpoints::committed(void* self, sqlite3*, const char*, int frames) {
    auto& checkpoints = *static_cast<IdleCheckpoints*>(self);
    checkpoints.mFrames = frames;
    checkpoints.schedule();
    return SQLITE_OK;
}

void IdleCheckpoints::schedule() {
    if (mFrames >= MostFrames)
        mTimer.start(0);
    else if (mFrames >= Frames)
        mTimer.start(QuietMs); // each commit puts it off again
}

bool IdleCheckpoints::ours() {
    sqlite3* connection = mDb.isOpen() ? SqliteStatement::handleOf(mDb.connection()) : nullptr;
    if (!connection) {
        mConnection = nullptr;
        return false;
    }
    // Setting the hook hands back the one it replaces: this one, SQLite's own
    // checkpoints (with their length of a long log), or none while a standby
    // holds the log, which is put back.
    void* previous = sqlite3_wal_hook(connection, &IdleCheckpoints::committed, this);
    if (previous == nullptr) {
        sqlite3_wal_hook(connection, nullptr, nullptr);
        mConnection = nullptr;
        return false;
    }
    if (previous != this) {
        mHandBack = int(reinterpret_cast<std::intptr_t>(previous));
        mFrames = 0;
    }
    mConnection = connection;
    return true;
}

void IdleCheckpoints::afterCommit() {
    ours();
}

void IdleCheckpoints::checkpointWhenIdle() {
    if (!ours() || mFrames < Frames)
        return;
    // Scores waiting go first; their commit puts the checkpoint off again.
    if (mBusy() && mFrames < MostFrames)
        return;
    // A passive checkpoint copies what no reader still needs and waits for nobody.
    int logFrames = 0;
    int copied = 0;
    if (sqlite3_wal_checkpoint_v2(mConnection, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logFrames,
                                  &copied) == SQLITE_OK)
        mFrames = 0;
}
