#pragma once

#include "meetdatabase.h"

// Holds a transaction open for one logical change and rolls it back unless
// commit() was called and succeeded.
class DbTransaction {
public:
    explicit DbTransaction(MeetDatabase& db)
        : mDb(db)
        , mActive(db.beginTransaction()) {}
    ~DbTransaction() {
        if (mActive)
            mDb.rollback();
    }
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    bool isActive() const { return mActive; }
    bool commit() {
        if (!mActive)
            return false;
        mActive = false;
        return mDb.commit();
    }

private:
    MeetDatabase& mDb;
    bool mActive;
};
