// What a standby in step costs the score path: SENDSCORE to SCORECONFIRM, one
// score at a time from one judge station, against `tallvane serve` alone
// (the floor) and with a `tallvane serve --follow` standby in step, on a
// generated meet, in the same run; and how long a standby that missed scores
// takes to be in step again. Both servers sync every commit to disk.
#include "db/meetdatabase.h"
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
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Pin = u"3917"_s;
const QString OperatorPin = u"246810"_s;
constexpr int Scores = 300;
constexpr int Gymnasts = 1000;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_standby: %s\n", qPrintable(what));
    std::exit(1);
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
    const DbRows rows = db.select(u"SELECT Num FROM Gymnasts ORDER BY Num LIMIT ?"_s, {Scores});
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

QString nextLine(QTcpSocket& socket) {
    const QDeadlineTimer deadline(30000);
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            fail(u"no answer from the server"_s);
    }
    return QString::fromLatin1(socket.readLine()).trimmed();
}

// Microseconds from each score sent to its confirmation, sorted.
std::vector<double> confirmationTimes(quint16 port, const QStringList& numbers) {
    QTcpSocket judge;
    judge.connectToHost(u"127.0.0.1"_s, port);
    if (!judge.waitForConnected(30000))
        fail(judge.errorString());
    judge.write(u"JUDGEAUTH|Floor|Bench|%1|1|1\n"_s.arg(Pin).toLatin1());
    if (!nextLine(judge).startsWith(u"AUTHRESP|0"_s))
        fail(u"the judge was not let in"_s);
    std::vector<double> times;
    for (const QString& num : numbers) {
        const QByteArray score =
            u"SENDSCORE|%1|2|1|Floor|9.1|9.1||||||10.0|0|0|9.1|0\n"_s.arg(num).toLatin1();
        QElapsedTimer timer;
        timer.start();
        judge.write(score);
        if (nextLine(judge) != u"SCORECONFIRM|0"_s)
            fail(u"a score was not confirmed"_s);
        times.push_back(double(timer.nsecsElapsed()) / 1e3);
    }
    std::sort(times.begin(), times.end());
    return times;
}

double percentile(const std::vector<double>& sorted, double p) {
    return sorted[std::min(sorted.size() - 1, size_t(double(sorted.size()) * p))];
}

std::unique_ptr<Program> startPrimary(const QString& meet, const QString& folder, QString* web,
                                      quint16* port) {
    auto primary = std::make_unique<Program>(QStringList{u"serve"_s, meet, u"--port"_s, u"0"_s,
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
    const QStringList numbers = numbersOf(base);
    const qint64 fileBytes = QFileInfo(base).size();

    // Alone: the floor.
    const QString aloneMeet = dir.filePath(u"alone.tallvane"_s);
    QFile::copy(base, aloneMeet);
    std::vector<double> alone;
    {
        QString web;
        quint16 port = 0;
        auto primary = startPrimary(aloneMeet, primaryFolder, &web, &port);
        alone = confirmationTimes(port, numbers);
    }

    // With a standby in step.
    const QString pairedMeet = dir.filePath(u"paired.tallvane"_s);
    QFile::copy(base, pairedMeet);
    std::vector<double> paired;
    double catchUpMs = 0;
    double nothingMissedMs = 0;
    {
        QString web;
        quint16 port = 0;
        auto primary = startPrimary(pairedMeet, primaryFolder, &web, &port);
        const QStringList follow{u"serve"_s,          standbyFolder + u"/copy.tallvane"_s,
                                 u"--follow"_s,       web,
                                 u"--operator-pin"_s, OperatorPin,
                                 u"--port"_s,         u"0"_s,
                                 u"--web-port"_s,     u"0"_s};
        {
            auto standby = std::make_unique<Program>(follow, standbyFolder);
            standby->waitFor(u"(In step with)"_s);
            primary->waitFor(u"(is in step)"_s);
            paired = confirmationTimes(port, numbers);
        }
        // The standby away while the scores come, then back: the time to be
        // in step again from its start.
        confirmationTimes(port, numbers);
        QElapsedTimer timer;
        timer.start();
        auto standby = std::make_unique<Program>(follow, standbyFolder);
        standby->waitFor(u"(In step with)"_s);
        catchUpMs = double(timer.nsecsElapsed()) / 1e6;
        // The floor: the same start with nothing missed.
        standby.reset();
        timer.restart();
        standby = std::make_unique<Program>(follow, standbyFolder);
        standby->waitFor(u"(In step with)"_s);
        nothingMissedMs = double(timer.nsecsElapsed()) / 1e6;
    }

    std::printf("meet file: %lld KiB, %d gymnasts; %d scores one at a time\n",
                static_cast<long long>(fileBytes / 1024), Gymnasts, int(numbers.size()));
    std::printf("SENDSCORE -> SCORECONFIRM      alone (floor)   with a standby   ratio\n");
    for (const auto& [name, p] : {std::pair{"p50", 0.5}, std::pair{"p99", 0.99}})
        std::printf("  %-27s %10.0f us   %10.0f us   %5.2fx\n", name, percentile(alone, p),
                    percentile(paired, p), percentile(paired, p) / percentile(alone, p));
    std::printf("standby started after %d missed scores: in step in %.0f ms; with nothing "
                "missed: %.0f ms (process start included in both)\n",
                int(numbers.size()), catchUpMs, nothingMissedMs);
    printGoalRow("score confirmation p99 with a standby in step",
                 figure(percentile(paired, 0.99) / 1e3, "%.1f ms"),
                 figure(percentile(alone, 0.99) / 1e3, "%.1f ms alone"),
                 percentile(paired, 0.99) / percentile(alone, 0.99), Goal::AtMost, 1.5);
    return 0;
}
