#include "resultsbook.h"

#include "db/meetdatabase.h"
#include "db/tables/sessionstable.h"

using namespace Qt::Literals::StringLiterals;

void ResultsBook::forgetWhenChanged() {
    const quint64 count = mDb.changes().count();
    if (count == mChangeCount)
        return;
    mChangeCount = count;
    mHaveSessions = false;
    mSessions.clear();
    mResults.clear();
}

QList<SessionEntry> ResultsBook::sessions(QString* error) {
    forgetWhenChanged();
    if (mHaveSessions)
        return mSessions;
    SessionsTable table(mDb);
    const auto rows = table.all();
    if (!rows) {
        if (error)
            *error = table.lastError();
        return {};
    }
    for (const SessionsTable::Entry& session : *rows)
        mSessions.append({session.number, session.description});
    mHaveSessions = true;
    return mSessions;
}

std::shared_ptr<const SessionResults> ResultsBook::session(const QString& id, QString* error) {
    forgetWhenChanged();
    if (const auto kept = mResults.value(id))
        return kept;
    auto results = std::make_shared<SessionResults>();
    ++mComputations;
    if (!results->read(mDb, id, error))
        return nullptr;
    mResults.insert(id, results);
    return results;
}
