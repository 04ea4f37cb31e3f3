#pragma once

#include <QString>

class MeetDatabase;

// What every table of the meet file keeps: the database its statements run on
// and why the last one failed. A table's methods come back as false or
// std::nullopt and leave the reason in lastError(); one that answers "no such
// row" clears it first, so an empty lastError() then means nothing failed.
class MeetTable {
public:
    QString lastError() const { return mError; }

protected:
    explicit MeetTable(MeetDatabase& db)
        : mDb(db) {}

    // Keeps the reason and gives false, for `return failed(...)`.
    bool failed(const QString& error) {
        mError = error;
        return false;
    }

    MeetDatabase& mDb;
    QString mError;
};
