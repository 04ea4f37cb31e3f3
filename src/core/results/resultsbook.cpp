#include "resultsbook.h"

#include "db/meetdatabase.h"

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
    const DbRows rows = mDb.select(u"SELECT Session, \"Desc\" FROM Sessions ORDER BY Session"_s);
    if (!rows.ok()) {
        if (error)
            *error = rows.error();
        return {};
    }
    for (int i = 0; i < rows.count(); ++i)
        mSessions.append({rows.text(i, u"Session"_s), rows.text(i, u"Desc"_s)});
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
