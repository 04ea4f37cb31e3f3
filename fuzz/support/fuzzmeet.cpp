#include "fuzzmeet.h"

#include "fuzzapp.h"

#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

// The tables a station's messages can change.
const QStringList ChangedTables{u"Gymnasts"_s, u"ScoreBoardQueue"_s, u"Connections"_s};

void check(bool ok, const char* what, MeetDatabase& db) {
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", what, qPrintable(db.lastError()));
        std::abort();
    }
}

// Rows inserted, changed or deleted on the meet's connection since it opened.
qint64 totalChanges(MeetDatabase& db) {
    const DbRows rows = db.select(u"SELECT total_changes() AS n"_s);
    check(rows.ok(), "changes", db);
    return rows.value(0, u"n"_s).toLongLong();
}

std::unique_ptr<TempMeet> makeTempMeet() {
    useMemoryTempFolders();
    return std::make_unique<TempMeet>();
}

} // namespace

FuzzMeet::FuzzMeet()
    : mTemp(makeTempMeet())
    , mState(mTemp->folder()) {
    mState.loadSettings();
    mState.setPin(u"3917"_s);
    mState.setPortNumber(u"0"_s);
    QString error;
    if (!mState.openMeetFile(mTemp->createSampleMeet(), &error)) {
        std::fprintf(stderr, "meet: %s\n", qPrintable(error));
        std::abort();
    }
    MeetDatabase& db = mState.meetDb();
    check(db.execute(u"ATTACH DATABASE ':memory:' AS pristine"_s), "attach", db);
    for (const QString& table : ChangedTables)
        check(db.execute(u"CREATE TABLE pristine.%1 AS SELECT * FROM main.%1"_s.arg(table)), "copy",
              db);
    mMeet = std::make_unique<MeetServer>(mState);
    if (!mMeet->start().ok())
        std::abort();
}

void FuzzMeet::restore() {
    MeetDatabase& db = mState.meetDb();
    mMeet->server().clearStationLists();
    // An input that changed no row (most are refused before they reach the
    // meet) leaves the tables, and the score queue that stores every change
    // in them, as the last restore made them. Copying them back anyway would
    // only run the same commit and reload again: in the same time, the targets
    // reach more of the code without it.
    if (totalChanges(db) == mChangesAfterRestore)
        return;
    check(db.beginTransaction(), "begin", db);
    for (const QString& table : ChangedTables) {
        check(db.execute(u"DELETE FROM main.%1"_s.arg(table)), "clear", db);
        check(db.execute(u"INSERT INTO main.%1 SELECT * FROM pristine.%1"_s.arg(table)), "restore",
              db);
    }
    check(db.commit(), "commit", db);
    mChangesAfterRestore = totalChanges(db);
    QString error;
    if (!mMeet->services().queue().reload(&error)) {
        std::fprintf(stderr, "queue: %s\n", qPrintable(error));
        std::abort();
    }
}
