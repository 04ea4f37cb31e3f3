// Scores per second and confirmation latency of the road of a score: 28 judge
// stations each send "SENDSCORE" for a gymnast of their own as soon as the
// previous one is confirmed, while 8 score displays confirm every score shown.
// The floor, measured in the same run on the same disk: one committed SQLite
// update per score, no network, no queue.
//
// The 36 stations run on a thread of their own with its own event loop, as
// judge pads and boards are other devices: the server's thread does the
// server's work only (its own event loop, as in `tallvane serve`). The same
// round with the stations on the server's thread, as this benchmark ran them
// before, is printed beside it for comparison; the goal rows hold the first.
// The floor is the same in both. The server checkpoints the meet's log once
// it is quiet, so in this burst of scores that work comes after the round.
//
// A round lasts about a tenth of a second, so its p99 (one of the dozen
// worst of 1,120 latencies) is decided by a few slow moments of a shared
// machine. The round with its stations on their own thread and its floor are
// therefore measured 5 times, alternately, each on a meet of its own, and
// printed as the median with the spread (lowest-highest); the ratios and the
// goal rows are of the medians. The database's work per score is measured
// as often, each run on meets of its own, and shown the same way; the
// history's ratios are the medians of each run's own ratio.

#include "db/meetdatabase.h"
#include "goalrow.h"
#include "judging/meetserver.h"
#include "judging/scorestore.h"
#include "scores/judgestations.h"
#include "scores/workperscore.h"
#include "shell/appstate.h"
#include "spread.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace ScoresBench;

namespace {

struct Figures {
    double perSecond = 0;
    double p99Ms = 0;
    double medianMs = 0;
};

constexpr int Runs = 5;

// Each figure of several runs, as the median with its spread.
struct RunFigures {
    std::vector<double> perSecond;
    std::vector<double> medianMs;
    std::vector<double> p99Ms;

    void add(const Figures& f) {
        perSecond.push_back(f.perSecond);
        medianMs.push_back(f.medianMs);
        p99Ms.push_back(f.p99Ms);
    }
    Figures medians() const {
        return {spreadOf(perSecond).median, spreadOf(p99Ms).median, spreadOf(medianMs).median};
    }
};

void printSpread(const char* label, const RunFigures& runs) {
    const Spread rate = spreadOf(runs.perSecond);
    const Spread median = spreadOf(runs.medianMs);
    const Spread p99 = spreadOf(runs.p99Ms);
    std::printf("  %-34s %10.0f %12.3f %12.3f\n", label, rate.median, median.median, p99.median);
    std::printf("  %-34s %4.0f-%-5.0f %5.3f-%-6.3f %5.3f-%-6.3f\n", "  spread of the runs",
                rate.lowest, rate.highest, median.lowest, median.highest, p99.lowest, p99.highest);
}

Figures figures(std::vector<qint64> latenciesNs, qint64 elapsedNs) {
    std::sort(latenciesNs.begin(), latenciesNs.end());
    Figures f;
    f.perSecond = double(latenciesNs.size()) * 1e9 / double(elapsedNs);
    f.p99Ms = double(latenciesNs[size_t(double(latenciesNs.size() - 1) * 0.99)]) / 1e6;
    f.medianMs = double(latenciesNs[latenciesNs.size() / 2]) / 1e6;
    return f;
}

bool createMeet(const QString& path) {
    QString error;
    if (!MeetDatabase::createMeetDatabase(path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    MeetDatabase db;
    bool ok = db.open(path) && db.beginTransaction();
    ok = ok && db.execute(u"INSERT INTO Meets(MeetID, Name, Num_Judges) VALUES(1, 'Bench', 4)"_s);
    ok = ok && db.execute(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 1, 'AM')"_s);
    for (int judge = 0; ok && judge < Judges; ++judge) {
        for (int score = 0; ok && score < ScoresPerJudge; ++score)
            ok = db.execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, "
                            "\"Session\", Squad) VALUES(1, ?, 'Bench', 'Gymnast', '1', 'A')"_s,
                            {gymnastNumber(judge, score)});
    }
    ok = ok && db.commit();
    if (!ok)
        std::fprintf(stderr, "sample meet: %s\n", qPrintable(db.lastError()));
    return ok;
}

// The floor: one committed update per score.
Figures measureFloor(const QString& path) {
    MeetDatabase db;
    db.open(path);
    std::vector<qint64> latencies;
    QElapsedTimer total;
    total.start();
    for (int judge = 0; judge < Judges; ++judge) {
        for (int score = 0; score < ScoresPerJudge; ++score) {
            QElapsedTimer one;
            one.start();
            db.execute(u"UPDATE Gymnasts SET E2Final = ? WHERE Num = ?"_s,
                       {9.5, gymnastNumber(judge, score)});
            latencies.push_back(one.nsecsElapsed());
        }
    }
    return figures(std::move(latencies), total.nsecsElapsed());
}

// One run of the work per score, on three new meets in `dir` named by `run`.
std::optional<WorkPerScore> measureWork(const QTemporaryDir& dir, const QString& run,
                                        int perTransaction) {
    const QString storePath = dir.filePath(run + u"store.tallvane"_s);
    const QString floorPath = dir.filePath(run + u"floor.tallvane"_s);
    const QString noHistoryPath = dir.filePath(run + u"bare.tallvane"_s);
    for (const QString& path : {storePath, floorPath, noHistoryPath}) {
        if (!createMeet(path))
            return std::nullopt;
    }
    WorkPerScore work;
    work.floorUs = floorWorkUs(floorPath, perTransaction);
    work.storeUs = storeWorkUs(storePath, perTransaction);
    work.withoutHistoryUs =
        storeWorkUs(noHistoryPath, perTransaction, ScoreStore::History::LeftOut);
    return work;
}

// The work per score of several runs: each figure as the median with its spread.
struct WorkRuns {
    std::vector<double> storeUs;
    std::vector<double> floorUs;
    std::vector<double> withoutHistoryUs;
    std::vector<double> historyRatio; // each run's own ratio, store to without history

    void add(const WorkPerScore& work) {
        storeUs.push_back(work.storeUs);
        floorUs.push_back(work.floorUs);
        withoutHistoryUs.push_back(work.withoutHistoryUs);
        historyRatio.push_back(work.storeUs / work.withoutHistoryUs);
    }
    WorkPerScore medians() const {
        return {spreadOf(storeUs).median, spreadOf(floorUs).median,
                spreadOf(withoutHistoryUs).median};
    }
};

void printWorkSpread(const WorkRuns& runs) {
    const Spread store = spreadOf(runs.storeUs);
    const Spread floor = spreadOf(runs.floorUs);
    const Spread bare = spreadOf(runs.withoutHistoryUs);
    std::printf("      spread of the runs: %.1f-%.1f us, floor %.1f-%.1f us, without the history "
                "%.1f-%.1f us\n",
                store.lowest, store.highest, floor.lowest, floor.highest, bare.lowest,
                bare.highest);
}

// Where the stations of a round run.
enum class Stations { OwnThread, ServerThread };

struct Round {
    bool ok = false;
    Figures figures;
    int shown = 0;
    double serverCpuUs = 0; // the server's thread's processor time per score
    QStringList alerts;
};

// One round of every judge's scores over TCP against a server of the meet
// file, whose event loop is this thread's.
Round runRound(const QString& dataFolder, const QString& meetPath, Stations where) {
    Round round;
    QDir().mkpath(dataFolder);
    AppState state(dataFolder);
    state.loadSettings();
    state.setPin(QString::fromLatin1(Pin));
    state.setPortNumber(u"0"_s);
    QString error;
    if (!state.openMeetFile(meetPath, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return round;
    }
    DisplayTimings timings;
    timings.startDelayMs = 0;
    timings.idlePollMs = 5;
    timings.pauseAfterShownMs = 0;
    timings.msPerDisplaySecond = 0;
    MeetServer meet(state, timings);
    ScoringServer& server = meet.server();
    // Every station of the benchmark connects from 127.0.0.1 at once.
    server.setLoginLimits(Judges + Displays, Judges + Displays);
    if (!meet.start().ok()) {
        std::fprintf(stderr, "the server did not start\n");
        return round;
    }

    QEventLoop loop;
    LoadGenerator::Result result;
    // Called on the stations' thread: the result comes back to this one.
    const auto done = [&loop, &result](LoadGenerator::Result finished) {
        QMetaObject::invokeMethod(
            &loop,
            [&loop, &result, finished = std::move(finished)]() mutable {
                result = std::move(finished);
                loop.exit(result.error.isEmpty() ? 0 : 1);
            },
            Qt::QueuedConnection);
    };
    QThread thread;
    auto generator = std::make_unique<LoadGenerator>(quint16(server.port()), done);
    QObject context; // the stations' thread's own object, to run start() there
    if (where == Stations::OwnThread) {
        context.moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(&context, [&generator] { generator->start(); });
    } else {
        generator->start();
    }
    // A score that is never confirmed must not hang the benchmark.
    QTimer::singleShot(std::chrono::minutes(2), &loop, [&loop] {
        std::fprintf(stderr, "stopped: not every score was confirmed in 2 minutes\n");
        loop.exit(1);
    });
    const double cpuStarted = threadCpuUs();
    const int exitCode = loop.exec();
    round.serverCpuUs = (threadCpuUs() - cpuStarted) / double(Judges * ScoresPerJudge);
    if (where == Stations::OwnThread) {
        // The stations end on their own thread, then it stops.
        QMetaObject::invokeMethod(
            &context, [&generator] { generator.reset(); }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    generator.reset();
    round.alerts = meet.alerts().alerts();
    if (exitCode != 0) {
        if (!result.error.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(result.error));
        for (const QString& alert : std::as_const(round.alerts))
            std::fprintf(stderr, "  operator alert: %s\n", qPrintable(alert));
        return round;
    }
    round.figures = figures(std::move(result.latenciesNs), result.elapsedNs);
    round.shown = result.shown;
    round.ok = true;
    meet.shutdown();
    return round;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString sharedMeet = dir.filePath(u"shared.tallvane"_s);
    if (!createMeet(sharedMeet))
        return 1;
    WorkRuns workRuns;
    WorkRuns roundRuns;
    for (int run = 0; run < Runs; ++run) {
        const std::optional<WorkPerScore> alone = measureWork(dir, u"work%1"_s.arg(run), 1);
        const std::optional<WorkPerScore> together =
            measureWork(dir, u"round%1"_s.arg(run), Judges);
        if (!alone || !together)
            return 1;
        workRuns.add(*alone);
        roundRuns.add(*together);
    }
    const WorkPerScore work = workRuns.medians();
    const WorkPerScore round = roundRuns.medians();
    const Spread historyAlone = spreadOf(workRuns.historyRatio);
    const Spread historyTogether = spreadOf(roundRuns.historyRatio);

    RunFigures floorRuns;
    RunFigures roadRuns;
    std::vector<double> serverCpuUs;
    int shown = 0;
    QStringList alerts;
    for (int run = 0; run < Runs; ++run) {
        const QString floorMeet = dir.filePath(u"floor%1.tallvane"_s.arg(run));
        const QString serverMeet = dir.filePath(u"server%1.tallvane"_s.arg(run));
        if (!createMeet(floorMeet) || !createMeet(serverMeet))
            return 1;
        floorRuns.add(measureFloor(floorMeet));
        const Round road =
            runRound(dir.filePath(u"server%1"_s.arg(run)), serverMeet, Stations::OwnThread);
        if (!road.ok)
            return 1;
        roadRuns.add(road.figures);
        serverCpuUs.push_back(road.serverCpuUs);
        shown += road.shown;
        if (alerts.isEmpty())
            alerts = road.alerts;
    }
    const Round shared = runRound(dir.filePath(u"shared"_s), sharedMeet, Stations::ServerThread);
    if (!shared.ok)
        return 1;
    const Figures floor = floorRuns.medians();
    const Figures road = roadRuns.medians();

    std::printf("bench_scores: %d judge stations x %d scores, %d displays (%d scores shown in %d "
                "runs)\n",
                Judges, ScoresPerJudge, Displays, shown, Runs);
    std::printf("  %-34s %10s %12s %12s\n", "", "scores/s", "median ms", "p99 ms");
    printSpread("floor: one committed update", floorRuns);
    printSpread("SENDSCORE to SCORECONFIRM over TCP", roadRuns);
    std::printf("  ratio to floor (medians of %d runs): throughput %.2f, p99 latency %.2f\n", Runs,
                road.perSecond / floor.perSecond, road.p99Ms / floor.p99Ms);
    std::printf("  %-34s %10.0f %12.3f %12.3f\n", "the same, stations on server thread",
                shared.figures.perSecond, shared.figures.medianMs, shared.figures.p99Ms);
    std::printf("  ratio to floor: throughput %.2f, p99 latency %.2f\n",
                shared.figures.perSecond / floor.perSecond, shared.figures.p99Ms / floor.p99Ms);
    std::printf("  processor time of the server's thread per score, log-ins included: %.1f us; "
                "with the stations on it: %.1f us\n",
                spreadOf(serverCpuUs).median, shared.serverCpuUs);
    std::printf("  database work per score without the disk's sync, stored as the server does "
                "(medians of %d runs):\n",
                Runs);
    std::printf("    alone in its transaction     %6.1f us, floor one update     %6.1f us, "
                "ratio %.2f\n",
                work.storeUs, work.floorUs, work.storeUs / work.floorUs);
    printWorkSpread(workRuns);
    std::printf("    %2d in one transaction        %6.1f us, floor %2d updates     %6.1f us, "
                "ratio %.2f\n",
                Judges, round.storeUs, Judges, round.floorUs, round.storeUs / round.floorUs);
    printWorkSpread(roundRuns);
    std::printf("  the same without the score history: alone %6.1f us (ratio %.2f, runs "
                "%.2f-%.2f), %2d in one transaction %6.1f us (ratio %.2f, runs %.2f-%.2f)\n",
                work.withoutHistoryUs, historyAlone.median, historyAlone.lowest,
                historyAlone.highest, Judges, round.withoutHistoryUs, historyTogether.median,
                historyTogether.lowest, historyTogether.highest);
    printGoalRow("28 judges: scores confirmed per second", figure(road.perSecond, "%.0f/s"),
                 figure(floor.perSecond, "one committed update, %.0f/s"),
                 road.perSecond / floor.perSecond, Goal::AtLeast, 3.0);
    printGoalRow("28 judges: p99 SENDSCORE → SCORECONFIRM", figure(road.p99Ms, "%.2f ms"),
                 figure(floor.p99Ms, "one committed update, %.2f ms"), road.p99Ms / floor.p99Ms,
                 Goal::AtMost, 5.0);
    const auto historyFloor = [](double us, const Spread& ratios) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "without the history, %.1f us (ratios of %d runs %.2f to %.2f)", us, Runs,
                      ratios.lowest, ratios.highest);
        return std::string(text);
    };
    printGoalRow("score history: work per score, alone", figure(work.storeUs, "%.1f us"),
                 historyFloor(work.withoutHistoryUs, historyAlone), historyAlone.median,
                 Goal::AtMost, 1.1);
    printGoalRow("score history: work per score, 28 together", figure(round.storeUs, "%.1f us"),
                 historyFloor(round.withoutHistoryUs, historyTogether), historyTogether.median,
                 Goal::AtMost, 1.1);
    if (!alerts.isEmpty())
        std::printf("  operator alerts: %lld (first: %s)\n", qlonglong(alerts.size()),
                    qPrintable(alerts.constFirst()));
    return 0;
}
