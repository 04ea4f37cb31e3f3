// What a standby in step costs the score path: SENDSCORE to SCORECONFIRM, one
// score at a time from one judge station, against `tallvane serve` alone
// (the floor) and with a `tallvane serve --follow` standby in step, on a
// generated meet, in the same run, in several rounds whose p99 ratios give a
// median and a spread; how long a standby that missed scores takes to be in
// step again; and how long after the primary's SIGKILL a judge station that
// knows both addresses is logged in again on the standby. Both servers sync
// every commit to disk.
#include "goalrow.h"
#include "standby/servedmeet.h"
#include "standby/standbystages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace StandbyBench;

namespace {

constexpr int Scores = 300;
constexpr int Rounds = 5;
constexpr int Gymnasts = 1000;
constexpr int Missed = 1000;
// What a volunteer sets: long enough that a busy primary is not taken for dead.
constexpr int TakeOverAfterSeconds = 5;
// A score's commit changes about this many pages (its row, the queue's, the
// history's, their indexes).
constexpr int StagePages = 6;
constexpr int StageBatches = 200;

// One round of scores: each server's confirmation times, sorted.
struct Round {
    std::vector<double> alone, paired;
    double ratio(double p) const { return percentile(paired, p) / percentile(alone, p); }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString primaryFolder = dir.filePath(u"primary"_s);
    const QString standbyFolder = dir.filePath(u"standby"_s);
    QDir().mkpath(primaryFolder);
    QDir().mkpath(standbyFolder);
    QFile pinFile(primaryFolder + u"/operatorpin.txt"_s);
    if (!pinFile.open(QIODevice::WriteOnly) || pinFile.write(OperatorPin.toLatin1()) < 0)
        fail(pinFile.errorString());
    pinFile.close();
    const QString base = makeMeet(dir, Gymnasts);
    const QStringList everyone = numbersOf(base, Missed);
    const qint64 fileBytes = QFileInfo(base).size();

    // Alone (the floor) and with a standby in step, side by side.
    const QString aloneMeet = dir.filePath(u"alone.tallvane"_s);
    QFile::copy(base, aloneMeet);
    const QString pairedMeet = dir.filePath(u"paired.tallvane"_s);
    const QString copy = standbyFolder + u"/copy.tallvane"_s;
    QFile::copy(base, pairedMeet);
    std::vector<Round> rounds;
    double catchUpMs = 0;
    double nothingMissedMs = 0;
    double takeOverMs = 0;
    double plainStartMs = 0;
    {
        QString aloneWeb;
        quint16 alonePort = 0;
        auto single = startPrimary(aloneMeet, primaryFolder, &aloneWeb, &alonePort);
        QString web;
        quint16 port = 0;
        auto primary = startPrimary(pairedMeet, primaryFolder, &web, &port);
        const QStringList follow{u"serve"_s,          copy,        u"--follow"_s,   web,
                                 u"--operator-pin"_s, OperatorPin, u"--web-port"_s, u"0"_s};
        {
            auto standby =
                std::make_unique<Program>(follow + QStringList{u"--port"_s, u"0"_s}, standbyFolder);
            standby->waitFor(u"(In step with)"_s);
            primary->waitFor(u"(is in step)"_s);
            QTcpSocket one;
            QTcpSocket two;
            logInJudge(one, alonePort);
            logInJudge(two, port);
            for (int r = 0; r < Rounds; ++r) {
                QStringList numbers;
                for (int i = 0; i < Scores; ++i)
                    numbers << everyone[(r * Scores + i) % everyone.size()];
                Round round;
                std::tie(round.alone, round.paired) = confirmationTimes(one, two, numbers);
                rounds.push_back(std::move(round));
            }
        }
        single.reset();
        // The standby away while the scores come, then back: the time to be
        // in step again from its start.
        sendScores(port, everyone);
        QElapsedTimer timer;
        timer.start();
        auto standby =
            std::make_unique<Program>(follow + QStringList{u"--port"_s, u"0"_s}, standbyFolder);
        standby->waitFor(u"(In step with)"_s);
        catchUpMs = double(timer.nsecsElapsed()) / 1e6;
        // The floor: the same start with nothing missed.
        standby.reset();
        timer.restart();
        standby =
            std::make_unique<Program>(follow + QStringList{u"--port"_s, u"0"_s}, standbyFolder);
        standby->waitFor(u"(In step with)"_s);
        nothingMissedMs = double(timer.nsecsElapsed()) / 1e6;
        standby.reset();

        // The primary dies; a station that knows both addresses comes back
        // on the standby once it has taken over.
        const quint16 standbyPort = freePort();
        standby = std::make_unique<Program>(
            follow + QStringList{u"--port"_s, QString::number(standbyPort), u"--take-over-after"_s,
                                 QString::number(TakeOverAfterSeconds)},
            standbyFolder);
        standby->waitFor(u"(In step with)"_s);
        {
            QTcpSocket judge;
            if (!logIn(judge, port).startsWith(u"AUTHRESP|0"_s))
                fail(u"the judge was not let in"_s);
            timer.restart();
            primary->process().kill();
            primary->process().waitForFinished(30000);
            takeOverMs = loggedInAgain({port, standbyPort}, timer);
        }
        standby.reset();
        // The floor: the copy started as an ordinary meet by hand, to its first log-in.
        timer.restart();
        Program plain({u"serve"_s, copy, u"--port"_s, QString::number(standbyPort), u"--web-port"_s,
                       u"0"_s, u"--pin"_s, Pin},
                      standbyFolder);
        plainStartMs = loggedInAgain({standbyPort}, timer);
    }

    const StandbyStages stages = standbyStages(base, standbyFolder, StagePages, StageBatches);

    std::printf("meet file: %lld KiB, %d gymnasts; %d rounds of %d scores one at a time\n",
                static_cast<long long>(fileBytes / 1024), Gymnasts, Rounds, Scores);
    std::printf("SENDSCORE -> SCORECONFIRM  alone (floor) p50 / p99   with a standby p50 / p99"
                "   ratio p50 / p99\n");
    for (size_t r = 0; r < rounds.size(); ++r) {
        const Round& round = rounds[r];
        std::printf("  round %zu                   %7.0f / %7.0f us        %7.0f / %7.0f us"
                    "       %5.2fx / %5.2fx\n",
                    r + 1, percentile(round.alone, 0.5), percentile(round.alone, 0.99),
                    percentile(round.paired, 0.5), percentile(round.paired, 0.99), round.ratio(0.5),
                    round.ratio(0.99));
    }
    // The round with the median p99 ratio stands for the run.
    std::vector<const Round*> byRatio;
    for (const Round& round : rounds)
        byRatio.push_back(&round);
    std::sort(byRatio.begin(), byRatio.end(),
              [](const Round* a, const Round* b) { return a->ratio(0.99) < b->ratio(0.99); });
    const Round& median = *byRatio[byRatio.size() / 2];
    std::printf("  p99 ratio over %d rounds: median %.2fx, spread %.2f-%.2fx\n", Rounds,
                median.ratio(0.99), byRatio.front()->ratio(0.99), byRatio.back()->ratio(0.99));
    std::printf("the standby's part, a batch of %d pages, %d times   p50        p99\n", StagePages,
                StageBatches);
    for (const auto& [name, times] :
         {std::pair{"journal append + sync (waited for)", &stages.journal},
          std::pair{"whole copy by the backup (later)", &stages.whole},
          std::pair{"floor: plain file append + sync", &stages.bare}})
        std::printf("  %-40s %7.0f us %7.0f us\n", name, percentile(*times, 0.5),
                    percentile(*times, 0.99));
    std::printf("standby started after %d missed scores: in step in %.0f ms; with nothing "
                "missed: %.0f ms (process start included in both)\n",
                int(everyone.size()), catchUpMs, nothingMissedMs);
    std::printf("primary killed, --take-over-after %d: a judge station logged in again on the "
                "standby after %.2f s; floor: %d s of silence + %.2f s for the copy started by "
                "hand to its first log-in = %.2f s\n",
                TakeOverAfterSeconds, takeOverMs / 1e3, TakeOverAfterSeconds, plainStartMs / 1e3,
                TakeOverAfterSeconds + plainStartMs / 1e3);
    printGoalRow("score confirmation p99 with a standby in step (median of 5 rounds)",
                 figure(percentile(median.paired, 0.99) / 1e3, "%.1f ms"),
                 figure(percentile(median.alone, 0.99) / 1e3, "%.1f ms alone"), median.ratio(0.99),
                 Goal::AtMost, 1.5);
    // Goals in seconds: the ratio column still compares the figure with its floor.
    const auto secondsRow = [](const char* path, double seconds, const char* floorText,
                               double floorSeconds, double limit) {
        std::printf("goal | %s | %.2f s | %.2f s %s | %.2f | ≤ %.0f s | %s\n", path, seconds,
                    floorSeconds, floorText, seconds / floorSeconds, limit,
                    seconds <= limit ? "met" : "NOT met");
    };
    secondsRow("standby in step again after 1,000 missed scores", catchUpMs / 1e3,
               "with none missed", nothingMissedMs / 1e3, 2);
    secondsRow("take-over: primary killed to a station logged in on the standby", takeOverMs / 1e3,
               "silence + plain start", TakeOverAfterSeconds + plainStartMs / 1e3, 10);
    return 0;
}
