// The judges' thread's share of the first GET /api/results?session=N after a
// score, on a meet of one 200-gymnast session (thread CPU time, median of
// the rounds):
//  - worked out on the judges' thread (the results API alone);
//  - answered from the snapshot the viewers' thread worked out ahead (the
//    work ahead is done between the score and the request, not counted);
//  - floor: the same request again, answered from the API's kept reply.
// The goal holds the snapshot's answer within 25 times the floor (it takes
// the pointer under the lock and keeps the reply as the API's own); worked
// out, the same answer takes about a thousand times the floor.

#include "db/meetdatabase.h"
#include "goalrow.h"
#include "sessionmeet.h"
#include "web/resultsapi.h"
#include "web/resultsprefetch.h"
#include "web/resultsshelf.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Gymnasts = 200;
constexpr int Rounds = 200;

qint64 threadNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double medianUs(std::vector<qint64> ns) {
    std::sort(ns.begin(), ns.end());
    return double(ns[ns.size() / 2]) / 1000.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.sqlite"_s);
    MeetDatabase db;
    QString error;
    if (!createSessionMeet(path, Gymnasts, 2, 1, &error) || !db.open(path)) {
        std::fprintf(stderr, "bench_resultsahead: the meet: %s %s\n", qPrintable(error),
                     qPrintable(db.lastError()));
        return 1;
    }
    const auto current = [] {
        return u"1"_s;
    };
    ResultsApi alone(db, current);
    ResultsShelf shelf;
    ResultsApi withShelf(db, current);
    withShelf.readSnapshotsFrom(&shelf);
    ResultsPrefetch ahead(shelf);
    const QUrlQuery query(u"session=1"_s);
    std::vector<qint64> computed, fromSnapshot, kept;
    for (int round = 0; round < Rounds; ++round) {
        const QString num = QString::number(100 + round % Gymnasts);
        db.execute(u"UPDATE Gymnasts SET E2Final = ? WHERE Num = ?"_s, {8.0 + round % 10, num});
        db.changes().record({u"Gymnasts"_s, {num}, num, u"Bars"_s, {u"1"_s}, true});
        ahead.prepare(db.filePath(), db.changes().count(), u"1"_s, {u"1"_s});

        qint64 start = threadNs();
        const ApiReply a = *alone.answer(u"/api/results"_s, query);
        computed.push_back(threadNs() - start);
        start = threadNs();
        const ApiReply b = *withShelf.answer(u"/api/results"_s, query);
        fromSnapshot.push_back(threadNs() - start);
        start = threadNs();
        const ApiReply c = *withShelf.answer(u"/api/results"_s, query);
        kept.push_back(threadNs() - start);
        if (a.body != b.body || b.body != c.body) {
            std::fprintf(stderr, "bench_resultsahead: the answers differ in round %d\n", round);
            return 1;
        }
    }
    if (withShelf.snapshotAnswers() != Rounds) {
        std::fprintf(stderr, "bench_resultsahead: %d of %d answered ahead\n",
                     withShelf.snapshotAnswers(), Rounds);
        return 1;
    }
    const double computedUs = medianUs(computed);
    const double aheadUs = medianUs(fromSnapshot);
    const double keptUs = medianUs(kept);
    std::printf("first /api/results after a score, judges' thread CPU (median of %d, %d "
                "gymnasts): worked out %.1f us, from the snapshot %.1f us, kept reply "
                "(floor) %.1f us\n",
                Rounds, Gymnasts, computedUs, aheadUs, keptUs);
    printGoalRow("first /api/results after a score (judges' thread)", figure(aheadUs, "%.1f us"),
                 figure(keptUs, "%.1f us"), aheadUs / keptUs, Goal::AtMost, 25.0);
    return 0;
}
