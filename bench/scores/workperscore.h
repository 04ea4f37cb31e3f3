#pragma once

// The database's work per score in the scores benchmark, with the disk's sync
// left out, against its floor.

#include "db/meetdatabase.h"
#include "db/tallvanesettings.h"
#include "judgestations.h"
#include "judging/scorestore.h"
#include "judging/submittedscore.h"
#include "scoreboard/displayseconds.h"
#include "scoreboard/scorequeue.h"
#include "server/messagefields.h"

#include <cstdio>
#include <ctime>

namespace ScoresBench {

// The work of the database per score, with the disk's sync left out, as the
// server stores scores (gymnast, score history, queue row, announcement),
// against its floor, one update per score. Counted in the thread's processor
// time, which other load on the machine barely moves. Measured twice: each
// score in a transaction of its own, as a score arriving alone is stored, and
// one transaction per round of every judge's score, as the group commit
// stores scores that arrive together (the floor then updates the same rows in
// one transaction per round).
inline double threadCpuUs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

struct WorkPerScore {
    double storeUs = 0;
    double floorUs = 0;
    double withoutHistoryUs = 0; // the same store with the score history left out
};

inline double floorWorkUs(const QString& path, int perTransaction) {
    MeetDatabase db;
    db.open(path);
    db.execute(u"PRAGMA synchronous=OFF"_s);
    const double started = threadCpuUs();
    for (int score = 0; score < ScoresPerJudge; ++score) {
        for (int judge = 0; judge < Judges; ++judge) {
            if (judge % perTransaction == 0)
                db.beginTransaction();
            db.execute(u"UPDATE Gymnasts SET E2Final = ? WHERE Num = ?"_s,
                       {9.5, gymnastNumber(judge, score)});
            if ((judge + 1) % perTransaction == 0 || judge + 1 == Judges)
                db.commit();
        }
    }
    return (threadCpuUs() - started) / double(Judges * ScoresPerJudge);
}

inline double storeWorkUs(const QString& path, int perTransaction,
                          ScoreStore::History history = ScoreStore::History::Written) {
    MeetDatabase db;
    db.open(path);
    TallvaneSettings(db).ensureTables(); // the score history, as the server opens a meet
    db.execute(u"PRAGMA synchronous=OFF"_s);
    DisplaySeconds seconds;
    ScoreQueue queue(db, seconds);
    ScoreStore store(db, queue, history);
    QList<QList<ScoreRequest>> batches;
    for (int score = 0; score < ScoresPerJudge; ++score) {
        for (int judge = 0; judge < Judges; ++judge) {
            if (judge % perTransaction == 0)
                batches.emplaceBack();
            ScoreRequest request;
            request.message = scoreMessage(judge, score);
            request.score = SubmittedScore::fromFields(MessageFields(request.message));
            request.source = u"Vault judge 1 Bench, 127.0.0.1, TCP"_s;
            batches.last().append(request);
        }
    }
    const double started = threadCpuUs();
    for (const QList<ScoreRequest>& batch : std::as_const(batches)) {
        for (const ScoreOutcome& outcome : store.store(batch)) {
            if (!outcome.stored)
                std::fprintf(stderr, "score %s not stored\n", qPrintable(outcome.num));
        }
    }
    return (threadCpuUs() - started) / double(Judges * ScoresPerJudge);
}

} // namespace ScoresBench
