// Live results under load, against `tallvane serve` in its own process on a
// meet of one 200-gymnast session:
//  1. A judge station sends a score every 100 ms with no viewer: the score
//     path's SENDSCORE -> "SCORECONFIRM|0" time (its floor).
//  2. 1,000 viewers on /updates (QWebSockets of another process), the same score
//     flow: from "SCORECONFIRM|0" to each viewer's {"type":"scores"} notice
//     (floor: the server's own gathering delay), the score path beside its
//     floor, and the server's memory growth.
//  3. GET /api/results of the session with 50 connections for 5 s (wrk),
//     beside a static file of the same server in the same run.
// Steps 1 and 2 run 5 times, each on a fresh meet and server: the score path's
// p99 with and without the viewers is the median of the runs; every other
// figure is the first run's. Each run is one state machine driven by the event
// loop: each phase starts the next from a signal or a timer.

#include "goalrow.h"
#include "liveresults/viewercrowd.h"
#include "liveresults/wrkrun.h"
#include "residentmemory.h"
#include "sessionmeet.h"
#include "spread.h"
#include "web/liveupdates.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Viewers = ViewerCrowd::Viewers;
constexpr int Gymnasts = 200;
constexpr int Scores = 100;
constexpr int Runs = 5;
constexpr int ScoreEveryMs = 100;
constexpr int NoticeWaitMs = 2000; // after the last confirmation
constexpr int NoticeGoalMs = 250;
constexpr double MemoryGoalMiB = 100;
constexpr double RequestsGoal = 2000;
constexpr auto Pin = "3917";

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[size_t(double(values.size() - 1) * p)];
}

// One run of the score flow: when each score was sent and confirmed.
struct ScoreFlow {
    std::vector<qint64> sentNs;
    std::vector<qint64> confirmedNs;
    std::vector<double> confirmMs() const {
        std::vector<double> ms;
        for (size_t i = 0; i < confirmedNs.size(); ++i)
            ms.push_back(double(confirmedNs[i] - sentNs[i]) / 1e6);
        return ms;
    }
};

// The score path's p99 with and without the viewers, of one run.
struct ConfirmP99 {
    double floorMs = 0;
    double loadedMs = 0;
};

class LiveResultsBench : public QObject {
public:
    // The first run reports every figure; the others measure the score path
    // with and without the viewers again, for the median of the runs.
    LiveResultsBench(const QString& meetFile, bool firstRun)
        : mFirstRun(firstRun) {
        mNoticeWait.setSingleShot(true);
        mNoticeWait.setInterval(NoticeWaitMs);
        connect(&mNoticeWait, &QTimer::timeout, this, &LiveResultsBench::noticesDone);
        mTick.setTimerType(Qt::PreciseTimer);
        mTick.setInterval(ScoreEveryMs);
        connect(&mTick, &QTimer::timeout, this, &LiveResultsBench::sendScore);
        mDeadline.setSingleShot(true);
        connect(&mDeadline, &QTimer::timeout, this, [this] {
            fail(u"timed out (%1 scores sent, %2 confirmed); the server said: "_s
                     .arg(mFlow ? int(mFlow->sentNs.size()) : -1)
                     .arg(mFlow ? int(mFlow->confirmedNs.size()) : -1) +
                 mServerOutput);
        });

        mServer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        connect(&mServer, &QProcess::readyReadStandardOutput, this, &LiveResultsBench::serverSaid);
        connect(&mServer, &QProcess::finished, this, [this] {
            if (!mStopping)
                fail(u"tallvane serve ended early"_s);
            else
                QCoreApplication::exit(mFailed ? 1 : 0);
        });
        connect(&mJudge, &QTcpSocket::connected, this, [this] {
            mJudge.setSocketOption(QAbstractSocket::LowDelayOption, 1);
            mJudge.write(QByteArray("JUDGEAUTH|Floor|Bench|") + Pin + "|1|1\n");
        });
        connect(&mJudge, &QTcpSocket::readyRead, this, &LiveResultsBench::judgeSaid);
        mDeadline.start(120000);
        mServer.start(QStringLiteral(TALLVANE_BIN),
                      {u"serve"_s, meetFile, u"--port"_s, u"0"_s, u"--web-port"_s, u"0"_s,
                       u"--pin"_s, QString::fromLatin1(Pin)});
    }

    ConfirmP99 confirmP99() const { return mP99; }

private:
    void fail(const QString& why) {
        if (mFailed)
            return;
        std::fprintf(stderr, "bench_liveresults: %s\n", qPrintable(why));
        mFailed = true;
        stopServer();
    }

    void stopServer() {
        mCrowd.kill();
        mTick.stop();
        mDeadline.stop();
        mStopping = true;
        if (mServer.state() == QProcess::NotRunning)
            QCoreApplication::exit(mFailed ? 1 : 0);
        else
            mServer.terminate();
    }

    void serverSaid() {
        mServerOutput += QString::fromLocal8Bit(mServer.readAllStandardOutput());
        static const QRegularExpression listening(u"Listening on [^:\\s]+:(\\d+)"_s);
        static const QRegularExpression web(u"Web pages at http://[^:/\\s]+:(\\d+)/"_s);
        const auto station = listening.match(mServerOutput);
        const auto pages = web.match(mServerOutput);
        if (mWebPort != 0 || !station.hasMatch() || !pages.hasMatch())
            return;
        mWebPort = pages.captured(1).toUShort();
        mJudge.connectToHost(QHostAddress::LocalHost, station.captured(1).toUShort());
    }

    void judgeSaid() {
        while (mJudge.canReadLine()) {
            const QByteArray line = mJudge.readLine().trimmed();
            if (line.startsWith("HEARTBEAT|")) {
                mJudge.write(line + '\n'); // answered as a station does
            } else if (line.startsWith("AUTHRESP|")) {
                if (!line.startsWith("AUTHRESP|0"))
                    return fail(u"the judge station was refused: "_s + QString::fromLatin1(line));
                startFlow(mFloor);
            } else if (line.startsWith("SCORECONFIRM|0") && mFlow) {
                mFlow->confirmedNs.push_back(nowNs());
                if (mFlow->confirmedNs.size() == Scores)
                    flowDone();
            }
        }
    }

    void startFlow(ScoreFlow& flow) {
        mFlow = &flow;
        sendScore();
        mTick.start();
    }

    void sendScore() {
        const int i = int(mFlow->sentNs.size());
        if (i == Scores) {
            mTick.stop();
            return;
        }
        const QByteArray final = QByteArray::number(8.0 + (i % 20) / 10.0, 'f', 3);
        mFlow->sentNs.push_back(nowNs());
        mJudge.write("SENDSCORE|" + QByteArray::number(100 + (i * 7) % Gymnasts) + "|4|1|Floor|" +
                     final + '|' + final + '|' + final + '|' + final + "||||10|0|0|" + final +
                     "|0\n");
    }

    void flowDone() {
        mTick.stop();
        if (mFlow == &mFloor) {
            mFlow = nullptr;
            mRssBeforeMiB = residentKiB(mServer.processId()) / 1024.0;
            openViewers();
        } else {
            mFlow = nullptr;
            mNoticeWait.start();
        }
    }

    void openViewers() {
        connect(&mCrowd, &QProcess::readyReadStandardOutput, this, [this] {
            mCrowdOutput += mCrowd.readAllStandardOutput();
            if (mFlow == nullptr && mCrowdOutput.startsWith("connected\n")) {
                mCrowdOutput.clear();
                startFlow(mLoaded);
            }
        });
        connect(&mCrowd, &QProcess::finished, this, [this](int code) {
            mCrowdOutput += mCrowd.readAllStandardOutput();
            if (code != 0)
                return fail(u"the viewers' process failed"_s);
            for (const QByteArray& line : mCrowdOutput.split('\n')) {
                if (!line.startsWith('v'))
                    continue;
                std::vector<qint64>& arrivals = mArrivals.emplace_back();
                for (const QByteArray& at : line.mid(1).split(' '))
                    if (!at.isEmpty())
                        arrivals.push_back(at.toLongLong());
                mNotices += qint64(arrivals.size());
            }
            if (mArrivals.size() != size_t(Viewers))
                return fail(u"the viewers' process told of %1 viewers"_s.arg(mArrivals.size()));
            mP99 = {percentile(mFloor.confirmMs(), 0.99), percentile(mLoaded.confirmMs(), 0.99)};
            if (!mFirstRun)
                return stopServer();
            const auto failed = [this](const QString& why) {
                fail(why);
            };
            runWrk(*this, mWebPort, u"/api/results?session=1"_s, mApi, failed, [this, failed] {
                runWrk(*this, mWebPort, u"/css/tallvane.css"_s, mStatic, failed, [this] {
                    report();
                    stopServer();
                });
            });
        });
        mCrowd.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mCrowd.start(QCoreApplication::applicationFilePath(),
                     {u"--viewers"_s, QString::number(mWebPort)});
    }

    void noticesDone() {
        mRssAfterMiB = residentKiB(mServer.processId()) / 1024.0;
        mCrowd.write("report\n");
    }

    void report() {
        // A viewer hears of a score with its first notice after the score's
        // confirmation (scores stored close together share one notice).
        std::vector<double> noticeMs;
        std::vector<double> firstMs(Scores, 1e12);
        std::vector<double> lastMs(Scores, 0);
        qint64 unheard = 0;
        for (const auto& arrivals : mArrivals) {
            for (size_t n = 0; n < mLoaded.confirmedNs.size(); ++n) {
                const qint64 confirmed = mLoaded.confirmedNs[n];
                const auto heard = std::lower_bound(arrivals.begin(), arrivals.end(), confirmed);
                if (heard == arrivals.end()) {
                    ++unheard;
                    continue;
                }
                const double ms = double(*heard - confirmed) / 1e6;
                noticeMs.push_back(ms);
                firstMs[n] = std::min(firstMs[n], ms);
                lastMs[n] = std::max(lastMs[n], ms);
            }
        }
        std::vector<double> firstHeardMs;
        std::vector<double> spreadMs;
        for (size_t n = 0; n < size_t(Scores); ++n) {
            if (lastMs[n] > 0) {
                firstHeardMs.push_back(firstMs[n]);
                spreadMs.push_back(lastMs[n] - firstMs[n]);
            }
        }
        const double noticeP99 = percentile(noticeMs, 0.99);
        const double growth = mRssAfterMiB - mRssBeforeMiB;

        std::printf("Live updates: %d viewers on /updates, %d scores one every %d ms, "
                    "%d gymnasts\n",
                    Viewers, Scores, ScoreEveryMs, Gymnasts);
        std::printf("  notices received                      %lld (one a score: %d); "
                    "scores never heard of by a viewer: %lld\n",
                    static_cast<long long>(mNotices), Scores * Viewers,
                    static_cast<long long>(unheard));
        std::printf("  SCORECONFIRM -> notice, all viewers   p50 %.1f ms, p99 %.1f ms "
                    "(server gathers %d ms)\n",
                    percentile(noticeMs, 0.5), noticeP99, LiveUpdates::GatherMs);
        std::printf("  first viewer's notice                 p50 %.1f ms, p99 %.1f ms\n",
                    percentile(firstHeardMs, 0.5), percentile(firstHeardMs, 0.99));
        std::printf("  first to last viewer of one score     p50 %.1f ms, p99 %.1f ms\n",
                    percentile(spreadMs, 0.5), percentile(spreadMs, 0.99));
        std::printf("  SENDSCORE -> SCORECONFIRM             p50 %.2f ms, p99 %.2f ms "
                    "(no viewer: p50 %.2f ms, p99 %.2f ms)\n",
                    percentile(mLoaded.confirmMs(), 0.5), mP99.loadedMs,
                    percentile(mFloor.confirmMs(), 0.5), mP99.floorMs);
        std::printf("  server resident memory                %.1f MiB before the viewers, "
                    "%.1f MiB after\n",
                    mRssBeforeMiB, mRssAfterMiB);
        std::printf("Results API, 50 connections for 5 s (wrk)\n");
        std::printf("  GET /api/results?session=1           %.0f requests/s %s\n", mApi.perSecond,
                    qPrintable(mApi.trouble));
        std::printf("  GET /css/tallvane.css (floor)        %.0f requests/s %s\n",
                    mStatic.perSecond, qPrintable(mStatic.trouble));
        std::printf("  ratio %.2f\n", mApi.perSecond / mStatic.perSecond);

        const double gather = LiveUpdates::GatherMs;
        printGoalRow("1,000 viewers: p99 SCORECONFIRM → notice", figure(noticeP99, "%.1f ms"),
                     figure(gather, "server's gathering delay %.0f ms"), noticeP99 / gather,
                     Goal::AtMost, NoticeGoalMs / gather);
        printGoalRow("1,000 viewers: server memory growth, against 100 MiB",
                     figure(growth, "%.1f MiB"), figure(mRssBeforeMiB, "%.1f MiB before"),
                     growth / MemoryGoalMiB, Goal::AtMost, 1.0);
        printGoalRow("GET /api/results, 200 gymnasts, 50 connections, against 2,000/s",
                     figure(mApi.perSecond, "%.0f/s"),
                     figure(mStatic.perSecond, "static file %.0f/s"), mApi.perSecond / RequestsGoal,
                     Goal::AtLeast, 1.0);
    }

    QProcess mServer;
    QString mServerOutput;
    quint16 mWebPort = 0;
    QTcpSocket mJudge;
    QTimer mTick;
    QTimer mNoticeWait;
    QTimer mDeadline;
    ScoreFlow mFloor;
    ScoreFlow mLoaded;
    ScoreFlow* mFlow = nullptr;
    QProcess mCrowd; // the viewers
    QByteArray mCrowdOutput;
    std::vector<std::vector<qint64>> mArrivals; // per viewer, its notices
    qint64 mNotices = 0;
    double mRssBeforeMiB = 0;
    double mRssAfterMiB = 0;
    WrkFigures mApi;
    WrkFigures mStatic;
    const bool mFirstRun;
    ConfirmP99 mP99;
    bool mStopping = false;
    bool mFailed = false;
};

// The score path's p99 with 1,000 viewers against none, as the median of the
// runs: each p99 is the second-worst of 100 scores, each waiting on a disk
// sync, so a single run is at the mercy of one slow sync.
void reportConfirmP99(std::vector<ConfirmP99> runs) {
    std::vector<double> floors;
    std::vector<double> loaded;
    for (const ConfirmP99& run : runs) {
        floors.push_back(run.floorMs);
        loaded.push_back(run.loadedMs);
    }
    const Spread floor = spreadOf(floors);
    const Spread withViewers = spreadOf(loaded);
    std::printf("SENDSCORE -> SCORECONFIRM p99, median of %zu runs: %.2f ms (runs %.2f-%.2f), "
                "no viewer %.2f ms (runs %.2f-%.2f)\n",
                runs.size(), withViewers.median, withViewers.lowest, withViewers.highest,
                floor.median, floor.lowest, floor.highest);
    printGoalRow("1,000 viewers: p99 SENDSCORE → SCORECONFIRM (median of 5 runs)",
                 figure(withViewers.median, "%.2f ms"), figure(floor.median, "no viewer %.2f ms"),
                 withViewers.median / floor.median, Goal::AtMost, 1.2);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--viewers") == 0) {
        ViewerCrowd crowd(quint16(QByteArray(argv[2]).toUInt()));
        return QCoreApplication::exec();
    }
    std::vector<ConfirmP99> runs;
    for (int run = 0; run < Runs; ++run) {
        QTemporaryDir folder; // a fresh meet and server each run
        const QString meet = folder.filePath(u"bench.tallvane"_s);
        if (QString error; !folder.isValid() || !createSessionMeet(meet, Gymnasts, 3, 4, &error)) {
            std::fprintf(stderr, "bench_liveresults: the meet: %s\n", qPrintable(error));
            return 1;
        }
        qputenv("TALLVANE_DATA_DIR", folder.path().toLocal8Bit()); // the server's settings
        LiveResultsBench bench(meet, run == 0);
        if (const int status = QCoreApplication::exec(); status != 0)
            return status;
        runs.push_back(bench.confirmP99());
    }
    reportConfirmP99(runs);
    return 0;
}
