// Browser stations against TCP stations of the same scoring server, in the same
// run: "CLIENTBEAT" -> "BEATRESPONSE" and "SENDSCORE" -> "SCORECONFIRM|0"
// round trips over loopback with 1 and 64 logged-in stations (28 judges
// score). The TCP figure is the floor: the same station protocol, the same
// server, the same loopback, with the plainest framing there is (a line per
// message); a WebSocket adds a frame header and nothing else need differ. A
// p99 is noisy, so each pair is measured in five rounds, and each row shows
// the median of the rounds' ratios with their spread.
#include "db/meetdatabase.h"
#include "goalrow.h"
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
constexpr int Rounds = 5;
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

struct Row {
    const char* what;
    int stations;
    std::vector<double> webP99, tcpP99, ratios;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void report(const Row& row) {
    const auto [low, high] = std::minmax_element(row.ratios.begin(), row.ratios.end());
    std::printf("%-28s %2d station(s)  p99 %8.1f us (TCP %8.1f)  ratio x%.2f, rounds x%.2f to "
                "x%.2f:",
                row.what, row.stations, median(row.webP99), median(row.tcpP99), median(row.ratios),
                *low, *high);
    for (double ratio : row.ratios)
        std::printf(" %.2f", ratio);
    std::printf("\n");
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

    std::puts("Round trips over loopback through the scoring server; ratios are WebSocket / TCP "
              "p99, medians of 5 rounds");
    const int judges64 = std::min(64, MostJudges);
    std::vector<Row> rows{{"CLIENTBEAT -> BEATRESPONSE", 1, {}, {}, {}},
                          {"SENDSCORE -> SCORECONFIRM", 1, {}, {}, {}},
                          {"CLIENTBEAT -> BEATRESPONSE", 64, {}, {}, {}},
                          {"SENDSCORE -> SCORECONFIRM", judges64, {}, {}, {}}};
    // Each pair is measured back to back; a restart forgets the log-ins.
    const auto again = [&] {
        meet.shutdown();
        meet.start();
        server.stopHeartbeats();
    };
    const auto pair = [&](Row& row, int trips, const std::function<QString(int, int)>& request,
                          const QString& reply) {
        const Figures tcpFigures = measure(tcp, row.stations, trips, request, reply);
        again();
        const Figures webFigures = measure(ws, row.stations, trips, request, reply);
        again();
        row.tcpP99.push_back(tcpFigures.p99Us);
        row.webP99.push_back(webFigures.p99Us);
        row.ratios.push_back(webFigures.p99Us / tcpFigures.p99Us);
    };
    for (int round = 0; round < Rounds; ++round) {
        pair(rows[0], BeatTrips, beat, u"BEATRESPONSE"_s);
        pair(rows[1], ScoreTrips, score, u"SCORECONFIRM"_s);
        pair(rows[2], BeatTrips, beat, u"BEATRESPONSE"_s);
        pair(rows[3], ScoreTrips, score, u"SCORECONFIRM"_s);
    }
    for (const Row& row : rows)
        report(row);
    for (const Row& row : rows) {
        const std::string path = std::string("WebSocket ") + row.what + " p99, " +
                                 std::to_string(row.stations) +
                                 (row.stations == 1 ? " station" : " stations");
        const auto [low, high] = std::minmax_element(row.ratios.begin(), row.ratios.end());
        printGoalRow(path, figure(median(row.webP99), "%.0f us"),
                     figure(median(row.tcpP99), "TCP %.0f us") +
                         figure(*low, " (ratios of 5 rounds %.2f") + figure(*high, " to %.2f)"),
                     median(row.ratios), Goal::AtMost, 1.3);
    }
    web.close();
    meet.shutdown();
    return 0;
}
