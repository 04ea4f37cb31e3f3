// What a standby in step costs the score path: SENDSCORE to SCORECONFIRM, one
// score at a time from one judge station, against `tallvane serve` alone
// (the floor) and with a `tallvane serve --follow` standby in step, on a
// generated meet, in the same run; how long a standby that missed scores
// takes to be in step again; and how long after the primary's SIGKILL a judge
// station that knows both addresses is logged in again on the standby. Both
// servers sync every commit to disk.
#include "db/meetdatabase.h"
#include "db/replicafile.h"
#include "generatedmeet.h"
#include "goalrow.h"
#include "meetgenerator.h"
#include "transfer/transferimporter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Pin = u"3917"_s;
const QString OperatorPin = u"246810"_s;
constexpr int Scores = 300;
constexpr int Gymnasts = 1000;
constexpr int Missed = 1000;
// What a volunteer sets: long enough that a busy primary is not taken for dead.
constexpr int TakeOverAfterSeconds = 5;
// How often the bench's station tries its servers again after losing its own.
constexpr int StationRetryMs = 250;
// A score's commit changes about this many pages (its row, the queue's, the
// history's, their indexes).
constexpr int StagePages = 6;
constexpr int StageBatches = 200;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_standby: %s\n", qPrintable(what));
    std::exit(1);
}

bool syncFile(QFile& file) {
    return ::fdatasync(file.handle()) == 0;
}

QString makeMeet(const QTemporaryDir& dir) {
    const QString transfer = dir.filePath(u"meet.rxt"_s);
    const QString meet = dir.filePath(u"meet.tallvane"_s);
    MeetGenerator::Options options;
    options.gymnasts = Gymnasts;
    if (QString error; !generateMeet(options, transfer, meet, &error))
        fail(error);
    return meet;
}

QStringList numbersOf(const QString& meet) {
    MeetDatabase db;
    if (!db.open(meet))
        fail(db.lastError());
    const DbRows rows = db.select(u"SELECT Num FROM Gymnasts ORDER BY Num LIMIT ?"_s, {Missed});
    QStringList numbers;
    for (int i = 0; i < rows.count(); ++i)
        numbers << rows.text(i, u"Num"_s);
    return numbers;
}

// A `tallvane` process whose standard output is read as it comes.
class Program {
public:
    Program(const QStringList& arguments, const QString& dataFolder) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TALLVANE_DATA_DIR"_s, dataFolder);
        mProcess.setProcessEnvironment(env);
        mProcess.start(QStringLiteral(TALLVANE_BIN), arguments);
    }
    ~Program() {
        mProcess.terminate();
        mProcess.waitForFinished(30000);
    }
    // The first line holding `pattern`'s match (group 1), waiting for it.
    QString waitFor(const QString& pattern) {
        const QRegularExpression expression(pattern);
        const QDeadlineTimer deadline(60000);
        while (true) {
            const QRegularExpressionMatch match = expression.match(QString::fromLocal8Bit(mOut));
            if (match.hasMatch())
                return match.captured(1);
            if (deadline.hasExpired() || !mProcess.waitForReadyRead(int(deadline.remainingTime())))
                fail(u"no line matching %1: %2"_s.arg(
                    pattern, QString::fromLocal8Bit(mOut + mProcess.readAllStandardError())));
            mOut += mProcess.readAllStandardOutput();
        }
    }
    QProcess& process() { return mProcess; }

private:
    QProcess mProcess;
    QByteArray mOut;
};

// The next line from the server, the heartbeats answered on the way as a station does.
QString nextLine(QTcpSocket& socket) {
    const QDeadlineTimer deadline(30000);
    while (true) {
        while (!socket.canReadLine()) {
            if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
                fail(u"no answer from the server"_s);
        }
        const QByteArray line = socket.readLine();
        if (!line.startsWith("HEARTBEAT|"))
            return QString::fromLatin1(line).trimmed();
        socket.write(line);
    }
}

QString logIn(QTcpSocket& judge, quint16 port, int timeoutMs = 30000) {
    judge.connectToHost(u"127.0.0.1"_s, port);
    if (!judge.waitForConnected(timeoutMs))
        return judge.errorString();
    judge.write(u"JUDGEAUTH|Floor|Bench|%1|1|1\n"_s.arg(Pin).toLatin1());
    return nextLine(judge);
}

// Microseconds from a score sent by `judge` (logged in) to its confirmation.
double confirmationTime(QTcpSocket& judge, const QString& num) {
    const QByteArray score =
        u"SENDSCORE|%1|2|1|Floor|9.1|9.1||||||10.0|0|0|9.1|0\n"_s.arg(num).toLatin1();
    QElapsedTimer timer;
    timer.start();
    judge.write(score);
    if (nextLine(judge) != u"SCORECONFIRM|0"_s)
        fail(u"a score was not confirmed"_s);
    return double(timer.nsecsElapsed()) / 1e3;
}

void logInJudge(QTcpSocket& judge, quint16 port) {
    if (!logIn(judge, port).startsWith(u"AUTHRESP|0"_s))
        fail(u"the judge was not let in"_s);
}

// One score after the other to each server in turn, so that both meet the
// same moments of a shared, busy disk: the microseconds of each, sorted.
std::pair<std::vector<double>, std::vector<double>> confirmationTimes(quint16 first, quint16 second,
                                                                      const QStringList& numbers) {
    QTcpSocket one;
    QTcpSocket two;
    logInJudge(one, first);
    logInJudge(two, second);
    std::vector<double> firstTimes;
    std::vector<double> secondTimes;
    for (const QString& num : numbers) {
        firstTimes.push_back(confirmationTime(one, num));
        secondTimes.push_back(confirmationTime(two, num));
    }
    std::sort(firstTimes.begin(), firstTimes.end());
    std::sort(secondTimes.begin(), secondTimes.end());
    return {firstTimes, secondTimes};
}

void sendScores(quint16 port, const QStringList& numbers) {
    QTcpSocket judge;
    logInJudge(judge, port);
    for (const QString& num : numbers)
        confirmationTime(judge, num);
}

// A judge station given several servers, as one is set up for a meet with a
// standby: tries each in turn until one lets it in; the milliseconds `clock`
// shows then.
double loggedInAgain(const QList<quint16>& ports, const QElapsedTimer& clock) {
    const QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        for (const quint16 port : ports) {
            QTcpSocket judge;
            if (logIn(judge, port, StationRetryMs).startsWith(u"AUTHRESP|0"_s))
                return double(clock.nsecsElapsed()) / 1e6;
        }
        QThread::msleep(StationRetryMs);
    }
    fail(u"no server let the judge in again"_s);
}

// The standby's part of one confirmation, in the bench's own process on a
// copy of the meet: a batch of `pages` pages appended to the journal and
// synced (what a confirmation waits for), the whole copy rewritten from it
// by the backup (what it waited for before, now done when the primary is
// quiet), and the floor: the same bytes appended to a plain file and synced.
struct StandbyStages {
    std::vector<double> journal, whole, bare;
};

StandbyStages standbyStages(const QString& meet, const QString& folder, int pages, int batches) {
    QString error;
    MeetDatabase source;
    if (!source.open(meet))
        fail(source.lastError());
    const std::optional<PageImage> image = PageImage::read(source, &error);
    if (!image)
        fail(error);
    ReplicaFile copy;
    if (!copy.open(folder + u"/stages.tallvane"_s, &error))
        fail(error);
    QList<std::pair<int, QByteArray>> all;
    for (int i = 0; i < image->pageCount(); ++i)
        all.append({i, image->page(i).toByteArray()});
    if (!copy.write(image->pageSize(), image->pageCount(), all, &error))
        fail(error);
    QFile bare(folder + u"/stages.bare"_s);
    if (!bare.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(bare.errorString());
    StandbyStages stages;
    QElapsedTimer timer;
    for (int b = 0; b < batches; ++b) {
        QList<std::pair<int, QByteArray>> batch;
        QByteArray bytes;
        for (int i = 0; i < pages; ++i) {
            const int index = 1 + (b * pages + i) % (image->pageCount() - 1);
            batch.append({index, image->page(index).toByteArray()});
            bytes += batch.last().second;
        }
        timer.start();
        if (!copy.write(image->pageSize(), image->pageCount(), batch, &error))
            fail(error);
        stages.journal.push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.start();
        if (!copy.applyPending(&error))
            fail(error);
        stages.whole.push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.start();
        if (bare.write(bytes) != bytes.size() || !syncFile(bare))
            fail(bare.errorString());
        stages.bare.push_back(double(timer.nsecsElapsed()) / 1e3);
    }
    for (auto* times : {&stages.journal, &stages.whole, &stages.bare})
        std::sort(times->begin(), times->end());
    return stages;
}

double percentile(const std::vector<double>& sorted, double p) {
    return sorted[std::min(sorted.size() - 1, size_t(double(sorted.size()) * p))];
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4);
    return probe.serverPort();
}

std::unique_ptr<Program> startPrimary(const QString& meet, const QString& folder, QString* web,
                                      quint16* port, quint16 stationPort = 0) {
    auto primary = std::make_unique<Program>(QStringList{u"serve"_s, meet, u"--port"_s,
                                                         QString::number(stationPort),
                                                         u"--web-port"_s, u"0"_s, u"--pin"_s, Pin},
                                             folder);
    *port = quint16(primary->waitFor(u"Listening on \\S+:(\\d+)"_s).toUInt());
    *web = primary->waitFor(u"Web pages at (\\S+)"_s);
    return primary;
}

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
    const QString base = makeMeet(dir);
    const QStringList everyone = numbersOf(base);
    const QStringList numbers = everyone.first(Scores);
    const qint64 fileBytes = QFileInfo(base).size();

    // Alone (the floor) and with a standby in step, side by side.
    const QString aloneMeet = dir.filePath(u"alone.tallvane"_s);
    QFile::copy(base, aloneMeet);
    const QString pairedMeet = dir.filePath(u"paired.tallvane"_s);
    const QString copy = standbyFolder + u"/copy.tallvane"_s;
    QFile::copy(base, pairedMeet);
    std::vector<double> alone;
    std::vector<double> paired;
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
            std::tie(alone, paired) = confirmationTimes(alonePort, port, numbers);
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

    std::printf("meet file: %lld KiB, %d gymnasts; %d scores one at a time\n",
                static_cast<long long>(fileBytes / 1024), Gymnasts, int(numbers.size()));
    std::printf("SENDSCORE -> SCORECONFIRM      alone (floor)   with a standby   ratio\n");
    for (const auto& [name, p] : {std::pair{"p50", 0.5}, std::pair{"p99", 0.99}})
        std::printf("  %-27s %10.0f us   %10.0f us   %5.2fx\n", name, percentile(alone, p),
                    percentile(paired, p), percentile(paired, p) / percentile(alone, p));
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
    printGoalRow("score confirmation p99 with a standby in step",
                 figure(percentile(paired, 0.99) / 1e3, "%.1f ms"),
                 figure(percentile(alone, 0.99) / 1e3, "%.1f ms alone"),
                 percentile(paired, 0.99) / percentile(alone, 0.99), Goal::AtMost, 1.5);
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
