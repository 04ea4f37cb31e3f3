#pragma once

#include "results/resultsbook.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrlQuery>

#include <functional>
#include <optional>

class MeetDatabase;
class ResultsShelf;

// One answer of the public results API.
struct ApiReply {
    int status = 200;
    QByteArray body; // JSON, UTF-8; empty for 304
    QByteArray etag; // quoted, as the ETag header carries it
};

// The read-only results API for spectators' phones:
//   GET /api/sessions                 [{"id": 1, "description": "…", "current": true}, …]
//   GET /api/results?session=N[&level=L][&gym=ID][&division=D]
//   GET /api/teams?session=N&level=L[&counting=3]
// A bad or missing parameter, one the path does not take or one given twice
// is a 400 and an unknown session a 404, each with {"error": "…"}. Only what a spectator may see
// leaves: numbers, names, gyms, levels, divisions, scores and places. Answers carry an ETag; a
// request whose If-None-Match names it gets 304. Answers are worked out once per change of the meet
// and reused for every request that asks the same (kept by the parameters that matter, within a
// bound of entries and bytes) until the next one.
class ResultsApi {
public:
    // Distinct requests kept per change of the meet, and their bytes; past
    // either the kept ones are dropped, so odd queries cannot make the cache
    // grow without end.
    static constexpr qsizetype MaxKeptReplies = 512;
    static constexpr qsizetype MaxKeptBytes = 32 * 1024 * 1024;

    // `currentSession` gives the session number the meet is on.
    ResultsApi(MeetDatabase& db, std::function<QString()> currentSession);

    // The answer to a GET of `path`, or nothing when the path is not the API's.
    std::optional<ApiReply> answer(const QString& path, const QUrlQuery& query,
                                   const QByteArray& ifNoneMatch = {});

    // Also answers from the snapshots left on `shelf` (see ResultsSnapshot):
    // one of the meet file and change count this API reads now, holding the
    // request, gives its reply as this API would have worked it out.
    void readSnapshotsFrom(const ResultsShelf* shelf) { mShelf = shelf; }
    // What a reply to `path` with `query` depends on, when the meet is on
    // session `current`: the key of a kept reply.
    static QString keyOf(const QString& path, const QUrlQuery& query, const QString& current);

    // How often results were worked out from the meet file.
    int computations() const { return mBook.computations(); }
    // How often a reply was taken from a snapshot.
    int snapshotAnswers() const { return mSnapshotAnswers; }
    // The answers kept for reuse, and their bytes.
    qsizetype keptReplies() const { return mReplies.size(); }
    qsizetype keptBytes() const { return mKeptBytes; }

private:
    void clearKept();
    ApiReply compute(const QString& path, const QUrlQuery& query);
    // The snapshot's reply for `key`, when the snapshot is of the meet as it is now.
    std::optional<ApiReply> fromSnapshot(const QString& key);
    ApiReply sessions();
    ApiReply results(const QUrlQuery& query);
    ApiReply teams(const QUrlQuery& query);
    // The session's results, or the 400/404/500 reply in `refusal`.
    std::shared_ptr<const SessionResults> sessionOf(const QUrlQuery& query, ApiReply& refusal);

    MeetDatabase& mDb;
    std::function<QString()> mCurrentSession;
    ResultsBook mBook;
    QHash<QString, ApiReply> mReplies; // by request, for one change count
    quint64 mRepliesChangeCount = 0;
    qsizetype mKeptBytes = 0;
    const ResultsShelf* mShelf = nullptr;
    int mSnapshotAnswers = 0;
};
