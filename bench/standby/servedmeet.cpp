#include "servedmeet.h"

#include "db/meetdatabase.h"
#include "generatedmeet.h"
#include "meetgenerator.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTcpServer>
#include <QThread>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace StandbyBench {

namespace {

// How often the bench's station tries its servers again after losing its own.
constexpr int StationRetryMs = 250;

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

} // namespace

void fail(const QString& what) {
    std::fprintf(stderr, "bench_standby: %s\n", qPrintable(what));
    std::exit(1);
}

QString makeMeet(const QTemporaryDir& dir, int gymnasts) {
    const QString transfer = dir.filePath(u"meet.rxt"_s);
    const QString meet = dir.filePath(u"meet.tallvane"_s);
    MeetGenerator::Options options;
    options.gymnasts = gymnasts;
    if (QString error; !generateMeet(options, transfer, meet, &error))
        fail(error);
    return meet;
}

QStringList numbersOf(const QString& meet, int count) {
    MeetDatabase db;
    if (!db.open(meet))
        fail(db.lastError());
    const DbRows rows = db.select(u"SELECT Num FROM Gymnasts ORDER BY Num LIMIT ?"_s, {count});
    QStringList numbers;
    for (int i = 0; i < rows.count(); ++i)
        numbers << rows.text(i, u"Num"_s);
    return numbers;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4);
    return probe.serverPort();
}

Program::Program(const QStringList& arguments, const QString& dataFolder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TALLVANE_DATA_DIR"_s, dataFolder);
    mProcess.setProcessEnvironment(env);
    mProcess.start(QStringLiteral(TALLVANE_BIN), arguments);
}

Program::~Program() {
    mProcess.terminate();
    mProcess.waitForFinished(30000);
}

QString Program::waitFor(const QString& pattern) {
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

std::unique_ptr<Program> startPrimary(const QString& meet, const QString& folder, QString* web,
                                      quint16* port, quint16 stationPort) {
    auto primary = std::make_unique<Program>(QStringList{u"serve"_s, meet, u"--port"_s,
                                                         QString::number(stationPort),
                                                         u"--web-port"_s, u"0"_s, u"--pin"_s, Pin},
                                             folder);
    *port = quint16(primary->waitFor(u"Listening on \\S+:(\\d+)"_s).toUInt());
    *web = primary->waitFor(u"Web pages at (\\S+)"_s);
    return primary;
}

QString logIn(QTcpSocket& judge, quint16 port, int timeoutMs) {
    judge.connectToHost(u"127.0.0.1"_s, port);
    if (!judge.waitForConnected(timeoutMs))
        return judge.errorString();
    judge.write(u"JUDGEAUTH|Floor|Bench|%1|1|1\n"_s.arg(Pin).toLatin1());
    return nextLine(judge);
}

void logInJudge(QTcpSocket& judge, quint16 port) {
    if (!logIn(judge, port).startsWith(u"AUTHRESP|0"_s))
        fail(u"the judge was not let in"_s);
}

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

std::pair<std::vector<double>, std::vector<double>>
confirmationTimes(QTcpSocket& first, QTcpSocket& second, const QStringList& numbers) {
    std::vector<double> firstTimes;
    std::vector<double> secondTimes;
    for (const QString& num : numbers) {
        firstTimes.push_back(confirmationTime(first, num));
        secondTimes.push_back(confirmationTime(second, num));
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

double percentile(const std::vector<double>& sorted, double p) {
    return sorted[std::min(sorted.size() - 1, size_t(double(sorted.size()) * p))];
}

} // namespace StandbyBench
