// A 10,000-gymnast meet: start-up of `tallvane serve` to its listening line,
// the results table and the gymnast list refresh of the operator's tabs, and
// the resident memory of the headless server with 200 stations logged in.
// Baselines from the same run: start-up on a 60-gymnast meet; one plain scan of
// the gymnasts for the session's numbers; the same server's memory with no
// station.
#include "console/gymnastsconsole.h"
#include "db/meetdatabase.h"
#include "generatedmeet.h"
#include "residentmemory.h"
#include "results/resultstablemodel.h"
#include "shell/codepage1252.h"
#include "shell/currentsession.h"
#include "shell/stderrprompter.h"
#include "spread.h"
#include "transfer/transferimporter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto Pin = "3917";
constexpr int Repeats = 5;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_bigmeet: %s\n", qPrintable(what));
    std::exit(1);
}

// Generates a meet with scores and imports it, as an operator would.
QString makeMeet(const QTemporaryDir& dir, int gymnasts) {
    const QString transfer = dir.filePath(u"meet%1.rxt"_s.arg(gymnasts));
    const QString meet = dir.filePath(u"meet%1.tallvane"_s.arg(gymnasts));
    MeetGenerator::Options options;
    options.gymnasts = gymnasts;
    options.scores = true;
    if (QString error; !generateMeet(options, transfer, meet, &error))
        fail(error);
    return meet;
}

// Milliseconds from starting the process to its listening line, median of a
// few starts. Each server is stopped with SIGTERM before the next starts.
double serveStartMs(const QString& meet, const QString& dataFolder) {
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i) {
        QProcess server;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TALLVANE_DATA_DIR"_s, dataFolder);
        server.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        server.start(QStringLiteral(TALLVANE_BIN), {u"serve"_s, meet, u"--port"_s, u"0"_s});
        QByteArray out;
        const QDeadlineTimer deadline(60000);
        while (!out.contains("Listening on ") && !deadline.hasExpired() &&
               server.waitForReadyRead(int(deadline.remainingTime())))
            out += server.readAllStandardOutput();
        if (!out.contains("Listening on "))
            fail(u"serve did not start: "_s +
                 QString::fromLocal8Bit(out + server.readAllStandardError()));
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        server.terminate();
        server.waitForFinished(60000);
    }
    return median(times);
}

// Milliseconds per run of `work`, median of a few runs after one warm-up.
double timeMs(const std::function<void()>& work) {
    work();
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// Runs the application's event loop until `done` holds or the deadline passes.
bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &check, [&] {
        if (done() || deadline.hasExpired())
            QCoreApplication::quit();
    });
    check.start(20);
    QCoreApplication::exec();
    return done();
}

struct MemoryFigures {
    qint64 idleKiB = 0;
    qint64 loadedKiB = 0;
};

// The server's resident memory once started, and with 200 stations (28 judges,
// 172 displays) logged in that have answered a heartbeat round.
MemoryFigures serverMemory(const QString& meet, const QString& dataFolder) {
    QProcess server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TALLVANE_DATA_DIR"_s, dataFolder);
    server.setProcessEnvironment(env);
    server.start(QStringLiteral(TALLVANE_BIN),
                 {u"serve"_s, meet, u"--port"_s, u"0"_s, u"--pin"_s, QString::fromLatin1(Pin)});
    QByteArray out;
    while (!out.contains('\n') && server.waitForReadyRead(60000))
        out += server.readAllStandardOutput();
    const QRegularExpressionMatch match =
        QRegularExpression(u"Listening on \\S+:(\\d+)"_s).match(QString::fromLocal8Bit(out));
    if (!match.hasMatch())
        fail(u"serve did not start: "_s + QString::fromLocal8Bit(out));
    const quint16 port = quint16(match.captured(1).toUInt());
    // Let the server settle on its event loop before the idle figure.
    server.readAllStandardOutput();
    MemoryFigures figures;
    figures.idleKiB = residentKiB(server.processId());

    std::vector<std::unique_ptr<QTcpSocket>> stations;
    int loggedIn = 0;
    int answered = 0;
    const QStringList events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};
    for (int i = 0; i < 200; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        QTcpSocket* s = socket.get();
        const QString login =
            i < 28 ? u"JUDGEAUTH|%1|Judge %2|%3|1|%2\n"_s.arg(events[i % 4])
                         .arg(i / 4 + 1)
                         .arg(QString::fromLatin1(Pin))
                   : u"DISPLAYAUTH|Board %1|%2|all\n"_s.arg(i).arg(QString::fromLatin1(Pin));
        QObject::connect(s, &QTcpSocket::connected, s,
                         [s, login] { s->write(Cp1252::encode(login)); });
        auto seenBeat = std::make_shared<bool>(false);
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, &loggedIn, &answered, seenBeat] {
            while (s->canReadLine()) {
                const QByteArray line = s->readLine().trimmed();
                if (line.startsWith("AUTHRESP|0"))
                    ++loggedIn;
                else if (line.startsWith("HEARTBEAT|")) {
                    s->write(line + '\n');
                    if (!*seenBeat) {
                        *seenBeat = true;
                        ++answered;
                    }
                }
            }
        });
        s->connectToHost(u"127.0.0.1"_s, port);
        stations.push_back(std::move(socket));
        // In groups smaller than the number of connections one address may
        // hold before they log in.
        if ((i % 30 == 29 || i == 199) && !waitUntil([&] { return loggedIn == i + 1; }, 60000))
            fail(u"only %1 stations logged in"_s.arg(loggedIn));
    }
    if (!waitUntil([&] { return answered == 200; }, 60000))
        fail(u"only %1 stations saw a heartbeat"_s.arg(answered));
    figures.loadedKiB = residentKiB(server.processId());
    stations.clear();
    server.terminate();
    server.waitForFinished(60000);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        fail(u"no temporary folder"_s);
    const QString small = makeMeet(dir, 60);
    const QString big = makeMeet(dir, 10000);

    std::printf("bench_bigmeet: a 10,000-gymnast meet (baselines in the same run)\n");
    const double smallStart = serveStartMs(small, dir.path());
    const double bigStart = serveStartMs(big, dir.path());
    std::printf("  %-48s %10.1f ms  (60 gymnasts %.1f ms, ratio %.2f)\n",
                "serve start-up to the listening line", bigStart, smallStart,
                bigStart / smallStart);

    MeetDatabase db;
    if (!db.open(big))
        fail(db.lastError());
    // The session with the most gymnasts, as the operator's tabs would show it.
    const DbRows sessions = db.select(
        u"SELECT Session, count(*) AS n FROM Gymnasts GROUP BY Session ORDER BY n DESC LIMIT 1"_s);
    if (!sessions.ok() || sessions.count() == 0)
        fail(u"no session: "_s + db.lastError());
    const QString session = sessions.text(0, u"Session"_s);
    const int sessionGymnasts = sessions.value(0, u"n"_s).toInt();

    // The floor: one scan of the table for the session's gymnast numbers.
    const double scan = timeMs([&] {
        if (!db.select(u"SELECT Num FROM Gymnasts WHERE Session = ?"_s, {session}).ok())
            fail(db.lastError());
    });
    ResultsFilter filter;
    filter.session = session;
    filter.sort = ResultsFilter::Sort::AllAround;
    ResultsTableModel results(db);
    const double resultsMs = timeMs([&] {
        if (!results.show(filter))
            fail(results.error());
    });
    CurrentSession current;
    current.set(session, u"bench"_s);
    StderrPrompter prompter;
    GymnastsConsole gymnasts(db, current, prompter);
    const double listMs = timeMs([&] {
        QString error;
        if (!gymnasts.refresh(&error))
            fail(error);
    });
    std::printf("  %-48s %10.2f ms\n", "baseline: the session's numbers, one table scan", scan);
    std::printf(
        "  %-48s %10.2f ms  (ratio %.2f; %lld lines)\n",
        qPrintable(u"results table, session %1 (%2 gymnasts)"_s.arg(session).arg(sessionGymnasts)),
        resultsMs, resultsMs / scan, qlonglong(results.rowCount()));
    std::printf("  %-48s %10.2f ms  (ratio %.2f; %lld lines)\n",
                "gymnast list refresh, same session", listMs, listMs / scan,
                qlonglong(gymnasts.gymnasts().size()));

    const MemoryFigures memory = serverMemory(big, dir.path());
    std::printf("  %-48s %10.1f MiB (idle %.1f MiB, ratio %.2f)\n",
                "serve resident memory, 200 stations logged in", double(memory.loadedKiB) / 1024,
                double(memory.idleKiB) / 1024, double(memory.loadedKiB) / double(memory.idleKiB));
    db.close();
    return 0;
}
