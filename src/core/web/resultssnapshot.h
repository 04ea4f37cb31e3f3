#pragma once

#include "resultsapi.h"

#include <QHash>
#include <QString>

// Replies of the results API worked out ahead of the pages' requests, for
// one change count of one meet file. Filled once, then shared read-only
// between threads (see ResultsShelf).
class ResultsSnapshot {
public:
    ResultsSnapshot(QString meetFile, quint64 changeCount)
        : mMeetFile(std::move(meetFile))
        , mChangeCount(changeCount) {}

    const QString& meetFile() const { return mMeetFile; }
    quint64 changeCount() const { return mChangeCount; }

    // Keeps `reply` for the request `key` (as ResultsApi::keyOf names it);
    // false, keeping nothing, when it would pass the API's bound of bytes.
    bool add(const QString& key, const ApiReply& reply);
    // The reply kept for `key`, else null.
    const ApiReply* find(const QString& key) const;
    qsizetype size() const { return mReplies.size(); }

private:
    QString mMeetFile;
    quint64 mChangeCount = 0;
    QHash<QString, ApiReply> mReplies;
    qsizetype mBytes = 0;
};
