#pragma once

#include "meetdatabase.h"

// Holds a savepoint inside an open transaction for one change among several:
// unless release() was called and succeeded, the change is undone (and the
// savepoint dropped) while the rest of the transaction stands.
class DbSavepoint {
public:
    explicit DbSavepoint(MeetDatabase& db)
        : mDb(db)
        , mActive(db.takeSavepoint()) {}
    ~DbSavepoint() { undo(); }
    DbSavepoint(const DbSavepoint&) = delete;
    DbSavepoint& operator=(const DbSavepoint&) = delete;

    bool isActive() const { return mActive; }
    bool release() {
        if (!mActive)
            return false;
        mActive = !mDb.releaseSavepoint();
        return !mActive;
    }
    // Undoes the change; false when the engine could not, which leaves the
    // whole transaction in doubt.
    bool undo() {
        if (!mActive)
            return true;
        mActive = false;
        return mDb.rollBackToSavepoint();
    }

private:
    MeetDatabase& mDb;
    bool mActive;
};
