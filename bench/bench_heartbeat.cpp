// Round trips "CLIENTBEAT" -> "BEATRESPONSE" over loopback through the scoring
// server, with 1 and with 64 logged-in stations, against a bare QTcpServer that
// answers every line at once, measured in the same run.

#include "db/meetdatabase.h"
#include "judging/meetserver.h"
#include "server/scoringserver.h"
#include "shell/appstate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int RoundTrips = 20'000;

struct Figures {
    double p50Us = 0;
    double p99Us = 0;
    double perSecond = 0;
};

// The baseline: answers each line with "BEATRESPONSE\n", nothing else.
class EchoServer : public QObject {
public:
    EchoServer() {
        connect(&mServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = mServer.nextPendingConnection()) {
                socket->setParent(this);
                socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                connect(socket, &QTcpSocket::readyRead, this, [socket] {
                    const QByteArray bytes = socket->readAll();
                    for (qsizetype i = 0; i < bytes.count('\n'); ++i)
                        socket->write("BEATRESPONSE\n");
                    socket->flush();
                });
            }
        });
        mServer.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return mServer.serverPort(); }

private:
    QTcpServer mServer;
};

// Stations that log in, then each keep one CLIENTBEAT in flight until the
// total is reached. Everything is driven by the event loop, which the
// in-process server shares.
class Load : public QObject {
public:
    Load(quint16 port, int stations, const QString& pin, int roundTrips)
        : mRemaining(roundTrips)
        , mWaitingForLogin(stations) {
        mLatencies.reserve(size_t(roundTrips));
        mSent.assign(size_t(stations), 0);
        for (int i = 0; i < stations; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            QTcpSocket* raw = socket.get();
            const QByteArray login =
                u"JUDGEAUTH|Vault|Bench %1|%2|1|%1\n"_s.arg(i + 1).arg(pin).toLatin1();
            connect(raw, &QTcpSocket::connected, this, [raw, login] {
                raw->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                raw->write(login);
                raw->flush();
            });
            connect(raw, &QTcpSocket::readyRead, this, [this, i, raw] { read(size_t(i), raw); });
            mSockets.push_back(std::move(socket));
        }
        for (auto& socket : mSockets)
            socket->connectToHost(QHostAddress::LocalHost, port);
    }

    Figures run() {
        QCoreApplication::exec();
        const double seconds = double(mClock.nsecsElapsed() - mStart) / 1e9;
        std::sort(mLatencies.begin(), mLatencies.end());
        auto at = [this](double q) {
            return double(mLatencies[size_t(q * double(mLatencies.size() - 1))]) / 1000.0;
        };
        return {at(0.50), at(0.99), double(mLatencies.size()) / seconds};
    }

private:
    void read(size_t i, QTcpSocket* socket) {
        while (socket->canReadLine()) {
            const QByteArray line = socket->readLine();
            if (!mClock.isValid()) {
                if (!line.startsWith("AUTHRESP|0") && !line.startsWith("BEATRESPONSE")) {
                    std::fprintf(stderr, "log-in refused: %s", line.constData());
                    QCoreApplication::exit(1);
                    return;
                }
                if (--mWaitingForLogin == 0)
                    startTraffic();
                continue;
            }
            mLatencies.push_back(mClock.nsecsElapsed() - mSent[i]);
            if (--mRemaining <= 0) {
                QCoreApplication::exit(0);
                return;
            }
            send(i);
        }
    }

    void startTraffic() {
        mClock.start();
        mStart = mClock.nsecsElapsed();
        for (size_t i = 0; i < mSockets.size(); ++i)
            send(i);
    }

    void send(size_t i) {
        mSent[i] = mClock.nsecsElapsed();
        mSockets[i]->write("CLIENTBEAT\n");
        mSockets[i]->flush();
    }

    std::vector<std::unique_ptr<QTcpSocket>> mSockets;
    std::vector<qint64> mSent;
    std::vector<qint64> mLatencies;
    QElapsedTimer mClock;
    qint64 mStart = 0;
    int mRemaining;
    int mWaitingForLogin;
};

bool makeMeet(const QString& path) {
    if (!MeetDatabase::createMeetDatabase(path))
        return false;
    MeetDatabase db;
    return db.open(path) &&
           db.execute(u"INSERT INTO Meets(MeetID, Name, Num_Judges) VALUES(1, 'Bench', 4)"_s) &&
           db.execute(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 1, 'AM')"_s);
}

void report(int stations, const Figures& server, const Figures& echo) {
    std::printf("%2d station(s)  p50 %8.1f us (echo %7.1f, x%.2f)  p99 %8.1f us (echo %7.1f, "
                "x%.2f)  %9.0f msg/s (echo %9.0f, x%.2f)\n",
                stations, server.p50Us, echo.p50Us, server.p50Us / echo.p50Us, server.p99Us,
                echo.p99Us, server.p99Us / echo.p99Us, server.perSecond, echo.perSecond,
                server.perSecond / echo.perSecond);
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
    AppState state(dir.path());
    state.loadSettings();
    state.setPin(u"3917"_s);
    state.setPortNumber(u"0"_s);
    QString error;
    if (!state.openMeetFile(meet, &error)) {
        std::fprintf(stderr, "bench_heartbeat: %s\n", qPrintable(error));
        return 1;
    }
    MeetServer meetServer(state);
    ScoringServer& server = meetServer.server();
    if (!meetServer.start().ok()) {
        std::fputs("bench_heartbeat: the server did not start\n", stderr);
        return 1;
    }
    server.heartbeats().stop(); // only the measured traffic
    EchoServer echo;

    std::puts("CLIENTBEAT -> BEATRESPONSE round trips over loopback; ratios are scoring server "
              "/ bare echo server");
    for (int stations : {1, 64}) {
        const int trips = RoundTrips;
        const Figures echoFigures = Load(echo.port(), stations, u"3917"_s, trips).run();
        const Figures serverFigures =
            Load(quint16(server.port()), stations, u"3917"_s, trips).run();
        report(stations, serverFigures, echoFigures);
        server.shutdown();
        server.start();
        server.heartbeats().stop();
    }
    return 0;
}
