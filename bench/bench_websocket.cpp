// Browser stations against TCP stations of the same scoring server, in the same
// run: "CLIENTBEAT" -> "BEATRESPONSE" and "SENDSCORE" -> "SCORECONFIRM|0"
// round trips over loopback with 1 and 64 logged-in stations. The TCP figure
// is the floor: a WebSocket station should cost at most 1.5 times as much.

#include "db/meetdatabase.h"
#include "judging/meetserver.h"
#include "shell/appstate.h"
#include "web/webserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int BeatTrips = 10'000;
constexpr int ScoreTrips = 1'000;
constexpr int Gymnasts = 64;
constexpr int MostJudges = 28; // four panels of seven
const QString Events[4] = {QStringLiteral("Vault"), QStringLiteral("Bars"), QStringLiteral("Beam"),
                           QStringLiteral("Floor")};

struct Figures {
    double p50Us = 0;
    double p99Us = 0;
};

// One station's connection, TCP (line mode) or WebSocket: one message a call.
class Client {
public:
    virtual ~Client() = default;
    virtual void send(const QString& text) = 0;
    std::function<void(const QString&)> received;
    std::function<void()> connected;
};

class TcpClient : public Client {
public:
    explicit TcpClient(quint16 port) {
        QObject::connect(&mSocket, &QTcpSocket::connected, &mSocket, [this] {
            mSocket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
            connected();
        });
        QObject::connect(&mSocket, &QTcpSocket::readyRead, &mSocket, [this] {
            while (mSocket.canReadLine())
                received(QString::fromLatin1(mSocket.readLine().chopped(1)));
        });
        mSocket.connectToHost(QHostAddress::LocalHost, port);
    }
    void send(const QString& text) override {
        mSocket.write(text.toLatin1() + '\n');
        mSocket.flush();
    }

private:
    QTcpSocket mSocket;
};

class WebClient : public Client {
public:
    explicit WebClient(quint16 port) {
        QObject::connect(&mSocket, &QWebSocket::connected, &mSocket, [this] { connected(); });
        QObject::connect(&mSocket, &QWebSocket::textMessageReceived, &mSocket,
                         [this](const QString& text) { received(text); });
        mSocket.open(QUrl(u"ws://127.0.0.1:%1/station"_s.arg(port)));
    }
    void send(const QString& text) override { mSocket.sendTextMessage(text); }

private:
    QWebSocket mSocket;
};

// Stations that log in, then each keep one request in flight until the total
// is reached; the replies that end a round trip start with `reply`.
Figures measure(const std::function<std::unique_ptr<Client>()>& connect, int stations, int trips,
                const std::function<QString(int, int)>& request, const QString& reply) {
    std::vector<std::unique_ptr<Client>> clients;
    std::vector<qint64> sent(size_t(stations), 0);
    std::vector<qint64> latencies;
    latencies.reserve(size_t(trips));
    QElapsedTimer clock;
    int waiting = stations;
    int remaining = trips;
    int next = 0;
    auto send = [&](int i) {
        sent[size_t(i)] = clock.nsecsElapsed();
        clients[size_t(i)]->send(request(i, next++));
    };
    for (int i = 0; i < stations; ++i) {
        clients.push_back(connect());
        Client& client = *clients.back();
        client.connected = [&client, i] {
            // Seven judges a panel; the stations beyond them are displays.
            client.send(i < MostJudges ? u"JUDGEAUTH|%1|Bench %2|3917|1|%3"_s.arg(Events[i % 4])
                                             .arg(i + 1)
                                             .arg(i / 4 + 1)
                                       : u"DISPLAYAUTH|Bench %1|3917|all"_s.arg(i + 1));
        };
        client.received = [&, i](const QString& text) {
            if (text.startsWith(u"AUTHRESP|"_s)) {
                if (!text.startsWith(u"AUTHRESP|0"_s)) {
                    std::fprintf(stderr, "log-in refused: %s\n", qPrintable(text));
                    QCoreApplication::exit(1);
                } else if (--waiting == 0) {
                    clock.start();
                    for (int s = 0; s < stations; ++s)
                        send(s);
                }
                return;
            }
            if (!text.startsWith(reply))
                return;
            latencies.push_back(clock.nsecsElapsed() - sent[size_t(i)]);
            if (--remaining <= 0)
                QCoreApplication::exit(0);
            else
                send(i);
        };
    }
    QCoreApplication::exec();
    std::sort(latencies.begin(), latencies.end());
    auto at = [&latencies](double q) {
        return latencies.empty()
                   ? 0.0
                   : double(latencies[size_t(q * double(latencies.size() - 1))]) / 1000.0;
    };
    return {at(0.50), at(0.99)};
}

bool makeMeet(const QString& path) {
    MeetDatabase db;
    bool ok = MeetDatabase::createMeetDatabase(path) && db.open(path) && db.beginTransaction() &&
              db.execute(u"INSERT INTO Meets(MeetID, Name, Num_Judges) VALUES(1, 'Bench', 4)"_s) &&
              db.execute(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 1, 'AM')"_s);
    for (int i = 1; ok && i <= Gymnasts; ++i)
        ok = db.execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, \"Session\", "
                        "Squad) VALUES(1, ?, 'Bench', 'Gymnast', '1', 'A')"_s,
                        {QString::number(i)});
    return ok && db.commit();
}

void report(const char* what, int stations, const Figures& web, const Figures& tcp) {
    std::printf("%-28s %2d station(s)  p50 %8.1f us (TCP %8.1f, x%.2f)  p99 %8.1f us (TCP "
                "%8.1f, x%.2f)%s\n",
                what, stations, web.p50Us, tcp.p50Us, web.p50Us / tcp.p50Us, web.p99Us, tcp.p99Us,
                web.p99Us / tcp.p99Us, web.p99Us <= 1.5 * tcp.p99Us ? "" : "  OVER 1.5x");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString meetFile = dir.filePath(u"bench.tallvane"_s);
    if (!dir.isValid() || !makeMeet(meetFile)) {
        std::fputs("bench_websocket: cannot create the meet file\n", stderr);
        return 1;
    }
    AppState state(dir.path());
    state.loadSettings();
    state.setPin(u"3917"_s);
    state.setPortNumber(u"0"_s);
    QString error;
    if (!state.openMeetFile(meetFile, &error)) {
        std::fprintf(stderr, "bench_websocket: %s\n", qPrintable(error));
        return 1;
    }
    MeetServer meet(state);
    ScoringServer& server = meet.server();
    // Every station of the benchmark connects from 127.0.0.1 at once.
    server.setLoginLimits(64, 64);
    WebServer web(meet.stations());
    if (!meet.start().ok() || !web.listenOn(0)) {
        std::fputs("bench_websocket: the server did not start\n", stderr);
        return 1;
    }
    server.stopHeartbeats(); // only the measured traffic
    const quint16 webPort = web.port();
    // A restart listens on another free port.
    const auto tcp = [&server] {
        return std::make_unique<TcpClient>(quint16(server.port()));
    };
    const auto ws = [webPort] {
        return std::make_unique<WebClient>(webPort);
    };
    const auto beat = [](int, int) {
        return u"CLIENTBEAT"_s;
    };
    const auto score = [](int station, int n) {
        return u"SENDSCORE|%1|4|1|%2|9.1|9.2|9.3|9.0||||10|0|9.15|9.150|0"_s
            .arg((station + n) % Gymnasts + 1)
            .arg(Events[station % 4]);
    };

    std::puts("Round trips over loopback through the scoring server; ratios are WebSocket / TCP");
    for (int stations : {1, 64}) {
        // Each pair is measured back to back; a restart forgets the log-ins.
        const auto again = [&] {
            meet.shutdown();
            meet.start();
            server.stopHeartbeats();
        };
        const Figures tcpBeat = measure(tcp, stations, BeatTrips, beat, u"BEATRESPONSE"_s);
        again();
        const Figures webBeat = measure(ws, stations, BeatTrips, beat, u"BEATRESPONSE"_s);
        again();
        report("CLIENTBEAT -> BEATRESPONSE", stations, webBeat, tcpBeat);
        // Only judges score.
        const int judges = std::min(stations, MostJudges);
        const Figures tcpScore = measure(tcp, judges, ScoreTrips, score, u"SCORECONFIRM"_s);
        again();
        const Figures webScore = measure(ws, judges, ScoreTrips, score, u"SCORECONFIRM"_s);
        again();
        report("SENDSCORE -> SCORECONFIRM", judges, webScore, tcpScore);
    }
    web.close();
    meet.shutdown();
    return 0;
}
