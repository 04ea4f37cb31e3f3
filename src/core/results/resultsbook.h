#pragma once

#include "console/sessionrecord.h"
#include "sessionresults.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

class MeetDatabase;

// The results of an open meet, computed once per change of the meet (the
// meet's change count) and shared by every reader until the next change.
class ResultsBook {
public:
    explicit ResultsBook(MeetDatabase& db)
        : mDb(db) {}

    // The meet's sessions in number order; empty with `error` set when the meet
    // file cannot be read.
    QList<SessionEntry> sessions(QString* error = nullptr);
    // The results of one session; null, with the reason, when the meet file
    // cannot be read. A session without gymnasts has empty results.
    std::shared_ptr<const SessionResults> session(const QString& id, QString* error = nullptr);

    // How often results were worked out from the meet file (for tests and benchmarks).
    int computations() const { return mComputations; }
    // The change count the kept results belong to.
    quint64 changeCount() const { return mChangeCount; }

private:
    void forgetWhenChanged();

    MeetDatabase& mDb;
    quint64 mChangeCount = 0;
    bool mHaveSessions = false;
    QList<SessionEntry> mSessions;
    QHash<QString, std::shared_ptr<const SessionResults>> mResults;
    int mComputations = 0;
};
