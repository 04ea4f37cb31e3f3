// Round trips "CLIENTBEAT" -> "BEATRESPONSE" over loopback with 1 and with 64
// stations. Every party runs in a process of its own: the stations are
// tallvane-loadgen (raw sockets, no Qt), and they are measured against
//   - the load generator's own minimal echo (epoll, no Qt): its ceiling, which
//     must lie well above the bare echo for the figures below to be the servers';
//   - the bare echo (tallvane-qtecho, a QTcpServer answering each line): the
//     floor of any Qt station server;
//   - the scoring server itself (tallvane serve on a meet file).
// Each figure is the median of a few rounds; in each round the three servers
// run one after the other, so that other work on the machine hits all alike.

#include "db/meetdatabase.h"
#include "goalrow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Rounds = 5;
constexpr auto Pin = "3917";

struct Figures {
    double perSecond = 0;
    double p50Us = 0;
    double p99Us = 0;
};

// A server process that runs until the object goes.
class Server {
public:
    Server(const QString& program, const QStringList& arguments, const QString& dataDir) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TALLVANE_DATA_DIR"_s, dataDir);
        mProcess.setProcessEnvironment(environment);
        mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mProcess.start(program, arguments);
        static const QRegularExpression listening(u"Listening on [^:]+:(\\d+)"_s);
        QByteArray output;
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && mProcess.waitForReadyRead(int(deadline.remainingTime()))) {
            output += mProcess.readAllStandardOutput();
            const QRegularExpressionMatch match = listening.match(QString::fromLatin1(output));
            if (match.hasMatch()) {
                mPort = match.captured(1).toInt();
                return;
            }
        }
        std::fprintf(stderr, "bench_heartbeat: %s did not start\n", qPrintable(program));
    }
    ~Server() {
        mProcess.kill();
        mProcess.waitForFinished();
    }
    int port() const { return mPort; }

private:
    QProcess mProcess;
    int mPort = 0;
};

std::optional<Figures> runLoad(int port, int stations, int trips) {
    QProcess load;
    load.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    load.start(QString::fromUtf8(TALLVANE_LOADGEN_BIN),
               {u"--port"_s, QString::number(port), u"--stations"_s, QString::number(stations),
                u"--trips"_s, QString::number(trips), u"--login"_s,
                u"DISPLAYAUTH|Bench %n|"_s + QLatin1StringView(Pin) + u"|all"_s});
    if (!load.waitForFinished(120000) || load.exitCode() != 0)
        return std::nullopt;
    const QString line = QString::fromLatin1(load.readAllStandardOutput()).trimmed();
    Figures figures;
    for (const QString& pair : line.split(u' ')) {
        const QString value = pair.section(u'=', 1);
        if (pair.startsWith(u"rate="_s))
            figures.perSecond = value.toDouble();
        else if (pair.startsWith(u"p50us="_s))
            figures.p50Us = value.toDouble();
        else if (pair.startsWith(u"p99us="_s))
            figures.p99Us = value.toDouble();
    }
    return figures;
}

Figures median(std::vector<Figures> rounds) {
    const auto middle = [&rounds](double Figures::*field) {
        std::vector<double> values;
        for (const Figures& f : rounds)
            values.push_back(f.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {middle(&Figures::perSecond), middle(&Figures::p50Us), middle(&Figures::p99Us)};
}

bool makeMeet(const QString& path) {
    if (!MeetDatabase::createMeetDatabase(path))
        return false;
    MeetDatabase db;
    return db.open(path) &&
           db.execute(u"INSERT INTO Meets(MeetID, Name, Num_Judges) VALUES(1, 'Bench', 4)"_s) &&
           db.execute(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 1, 'AM')"_s);
}

void row(const char* what, const Figures& f) {
    std::printf("  %-44s %9.0f %10.1f %10.1f\n", what, f.perSecond, f.p50Us, f.p99Us);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString meet = dir.filePath(u"bench.tallvane"_s);
    if (!dir.isValid() || !makeMeet(meet)) {
        std::fputs("bench_heartbeat: cannot create the meet file\n", stderr);
        return 1;
    }
    const QString loadgen = QString::fromUtf8(TALLVANE_LOADGEN_BIN);
    const QString qtecho = QString::fromUtf8(TALLVANE_QTECHO_BIN);
    const QString tallvane = QString::fromUtf8(TALLVANE_BIN);
    const QStringList serve{u"serve"_s, meet,       u"--port"_s,
                            u"0"_s,     u"--pin"_s, QLatin1StringView(Pin)};

    std::printf("CLIENTBEAT -> BEATRESPONSE round trips over loopback, each party in its own "
                "process;\nmedians of %d rounds\n",
                Rounds);
    std::vector<std::function<void()>> goals;
    for (const int stations : {1, 64}) {
        const int trips = stations == 1 ? 20'000 : 200'000;
        std::vector<Figures> ceiling;
        std::vector<Figures> echo;
        std::vector<Figures> scoring;
        for (int round = 0; round < Rounds; ++round) {
            const auto measure = [&](const QString& program, const QStringList& arguments,
                                     std::vector<Figures>& into) {
                const Server server(program, arguments, dir.path());
                const std::optional<Figures> figures =
                    server.port() > 0 ? runLoad(server.port(), stations, trips) : std::nullopt;
                if (!figures) {
                    std::fprintf(stderr, "bench_heartbeat: a run against %s failed\n",
                                 qPrintable(program));
                    std::exit(1);
                }
                into.push_back(*figures);
            };
            measure(loadgen, {u"--echo"_s}, ceiling);
            measure(qtecho, {}, echo);
            measure(tallvane, serve, scoring);
        }
        const Figures c = median(ceiling);
        const Figures e = median(echo);
        const Figures s = median(scoring);
        std::printf("\n%d station(s), %d round trips    %27s %10s %10s\n", stations, trips, "msg/s",
                    "p50 us", "p99 us");
        row("load generator's ceiling (its minimal echo)", c);
        row("floor: bare echo (QTcpServer)", e);
        row("scoring server (tallvane serve)", s);
        std::printf("  ceiling / bare echo: throughput %.2f\n", c.perSecond / e.perSecond);
        std::printf("  scoring server / bare echo: throughput %.2f, p50 %.2f, p99 %.2f\n",
                    s.perSecond / e.perSecond, s.p50Us / e.p50Us, s.p99Us / e.p99Us);
        if (stations == 64) {
            goals.push_back([=] {
                printGoalRow("heartbeat round trip, 64 stations, p99",
                             figure(s.p99Us / 1000, "%.2f ms"),
                             figure(e.p99Us / 1000, "bare echo %.2f ms"), s.p99Us / e.p99Us,
                             Goal::AtMost, 1.3);
                printGoalRow("station throughput, 64 stations", figure(s.perSecond, "%.0f/s"),
                             figure(e.perSecond, "bare echo %.0f/s"), s.perSecond / e.perSecond,
                             Goal::AtLeast, 0.8);
                printGoalRow("load generator's ceiling, 64 stations", figure(c.perSecond, "%.0f/s"),
                             figure(e.perSecond, "bare echo %.0f/s"), c.perSecond / e.perSecond,
                             Goal::AtLeast, 1.5);
            });
        }
    }
    std::puts("");
    for (const auto& goal : goals)
        goal();
    return 0;
}
