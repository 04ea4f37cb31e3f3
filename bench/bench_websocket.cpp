// Browser stations against TCP stations of the same scoring server, in the same
// run: "CLIENTBEAT" -> "BEATRESPONSE" and "SENDSCORE" -> "SCORECONFIRM|0"
// round trips over loopback with 1 and 64 logged-in stations (28 judges
// score). The TCP figure is the floor: the same station protocol, the same
// server, the same loopback, with the plainest framing there is (a line per
// message); a WebSocket adds a frame header and nothing else need differ.
//
// Both transports are measured under the same conditions, in the same
// moments: a score is confirmed only once its disk sync is done, and on a
// shared disk a sync's time moves far more from one moment to the next than
// the transports differ (and a loaded machine's CPU does the same to a beat).
// So in each round both transports' stations are logged in together and
// their trips interleaved, each transport sending the same requests (the same
// gymnasts and events in the same order):
// - one station of each takes turns trip by trip, T W W T T W W T ... (a
//   slow spell falls on both alike, and a steady drift cancels out);
// - 64 stations of each take turns in blocks of 500 trips, in the same order,
//   each block ending when its last reply is in (beating stations log in as
//   displays: a beat is answered alike for any station);
// - 28 judges fill every seat (an event and a judge number), so the row's
//   seats are shared out, every event's judges to the transports in turn, and
//   all 28 score at once: each commit carries both transports' scores, and
//   a slow sync delays both alike. (A block of one transport's 28 judges
//   would take a slow sync, which holds all 28 trips of its commit, alone.)
// A p99 is noisy, so each row is measured in five rounds, which transport
// leads alternating, and each row shows the median of the rounds' ratios
// with their spread. Where the transports take turns, each row also shows
// the process's CPU time a trip on each (clients and server together: both
// clients write each message at once), which the machine's load moves far
// less than a p99.
#include "db/meetdatabase.h"
#include "goalrow.h"
#include "judging/meetserver.h"
#include "shell/appstate.h"
#include "spread.h"
#include "web/webserver.h"
#include "websocket/stationclients.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int BeatTrips = 10'000;
// 20 trips beyond the p99 of a round: a lone slow sync does not decide it.
constexpr int ScoreTrips = 2'000;
constexpr int Gymnasts = 64;
constexpr int Seats = 28; // four events, seven judges each
constexpr int Rounds = 5;
// A row and round that takes longer than this has stalled.
constexpr int StallMs = 60'000;
const QString Events[4] = {QStringLiteral("Vault"), QStringLiteral("Bars"), QStringLiteral("Beam"),
                           QStringLiteral("Floor")};

using Step = std::function<void()>;
using Request = std::function<QString(int station, int seat, int n)>;

// Runs `step` from the event loop, never inside a socket's signal: a step may
// delete the socket.
void later(Step step) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(step));
}

enum Transport { Tcp, Web };

// A judge's seat is its event and number: seat s judges Events[s % 4] as
// judge s / 4 + 1. A display's seat is only its name.
QString eventOf(int seat) {
    return Events[seat % 4];
}

struct Row {
    const char* what;
    int stations;
    bool judges; // judges send scores; displays beat
    int trips;   // a transport's trips in a round
    // Trips of one block; 0: the row's seats are shared out between the
    // transports, whose stations all run at once.
    int block;
    std::vector<double> webP99, tcpP99, ratios;
    std::vector<double> webCpu, tcpCpu; // per trip, where the transports take turns
    double seconds = 0;                 // all its rounds took

    bool shared() const { return block == 0; }
    // The seats of a transport's stations.
    std::vector<int> seats(Transport transport) const {
        std::vector<int> seats;
        for (int seat = 0; seat < stations; ++seat) {
            // Shared, every event's numbers go to the transports in turn.
            if (shared() && (seat / 4 + seat % 4) % 2 != transport)
                continue;
            // Beside the TCP judges, the WebSocket ones take the next numbers.
            seats.push_back(
                judges && !shared() && transport == Web ? seat + 4 * ((stations + 3) / 4) : seat);
        }
        return seats;
    }
    // The request of a transport's `i`th station, its `n`th: the same
    // gymnasts in the same order for both transports.
    Request request() const {
        if (!judges)
            return [](int, int, int) {
                return u"CLIENTBEAT"_s;
            };
        return [](int i, int seat, int n) {
            return u"SENDSCORE|%1|4|1|%2|9.1|9.2|9.3|9.0||||10|0|9.15|9.150|0"_s
                .arg((i + n) % Gymnasts + 1)
                .arg(eventOf(seat));
        };
    }
    QString reply() const { return judges ? u"SCORECONFIRM"_s : u"BEATRESPONSE"_s; }
};

// One transport's stations of a row: they log in, then run blocks of trips,
// each station keeping one request in flight.
class Fleet {
public:
    Fleet(Transport transport, const Row& row, quint16 port, const QElapsedTimer& clock)
        : mTransport(transport)
        , mPort(port)
        , mSeats(row.seats(transport))
        , mStations(int(mSeats.size()))
        , mJudges(row.judges)
        , mRequest(row.request())
        , mReply(row.reply())
        , mClock(clock)
        , mSent(mSeats.size(), -1) {
        mLatencies.reserve(size_t(row.trips));
    }

    const std::vector<qint64>& latencies() const { return mLatencies; }
    // The process's CPU time over this fleet's blocks, per trip (us).
    double cpuPerTripUs() const {
        return mLatencies.empty() ? 0.0
                                  : double(mCpu) * 1e6 / CLOCKS_PER_SEC / double(mLatencies.size());
    }

    void logIn(Step done) {
        mDone = std::move(done);
        mArriving = mStations;
        for (int i = 0; i < mStations; ++i) {
            if (mTransport == Tcp)
                mClients.push_back(std::make_unique<TcpClient>(mPort));
            else
                mClients.push_back(std::make_unique<WebClient>(mPort));
            Client& client = *mClients.back();
            client.connected = [this, &client, i] {
                client.send(logInText(mSeats[size_t(i)]));
            };
            client.received = [this, i](const QString& text) {
                receive(i, text);
            };
        }
    }

    void run(int trips, Step done) {
        mDone = std::move(done);
        mLeft = trips;
        mCpuStart = std::clock();
        for (int i = 0; i < mStations && mLeft > 0; ++i)
            send(i);
    }

private:
    QString logInText(int seat) const {
        const QString name = (mTransport == Tcp ? u"Bench T%1"_s : u"Bench W%1"_s).arg(seat + 1);
        return mJudges ? u"JUDGEAUTH|%1|%2|3917|1|%3"_s.arg(eventOf(seat), name).arg(seat / 4 + 1)
                       : u"DISPLAYAUTH|%1|3917|all"_s.arg(name);
    }

    void send(int i) {
        --mLeft;
        ++mInFlight;
        mSent[size_t(i)] = mClock.nsecsElapsed();
        mClients[size_t(i)]->send(mRequest(i, mSeats[size_t(i)], mNext++));
    }

    void receive(int i, const QString& text) {
        if (text.startsWith(u"AUTHRESP|"_s)) {
            if (!text.startsWith(u"AUTHRESP|0"_s)) {
                std::fprintf(stderr, "bench_websocket: log-in refused: %s\n", qPrintable(text));
                QCoreApplication::exit(1);
            } else if (--mArriving == 0) {
                later(std::exchange(mDone, {}));
            }
            return;
        }
        qint64& sent = mSent[size_t(i)];
        if (sent < 0 || !text.startsWith(mReply))
            return;
        mLatencies.push_back(mClock.nsecsElapsed() - std::exchange(sent, -1));
        --mInFlight;
        if (mLeft > 0)
            send(i);
        else if (mInFlight == 0) {
            mCpu += std::clock() - mCpuStart;
            later(std::exchange(mDone, {}));
        }
    }

    const Transport mTransport;
    const quint16 mPort;
    const std::vector<int> mSeats;
    const int mStations;
    const bool mJudges;
    const Request mRequest;
    const QString mReply;
    const QElapsedTimer& mClock;
    std::vector<std::unique_ptr<Client>> mClients;
    std::vector<qint64> mSent; // per station, while its request is in flight
    std::vector<qint64> mLatencies;
    Step mDone;
    int mArriving = 0;
    int mLeft = 0;
    int mInFlight = 0;
    int mNext = 0;
    std::clock_t mCpuStart = 0;
    std::clock_t mCpu = 0;
};

double p99(std::vector<qint64> latencies) {
    if (latencies.empty())
        return 0.0;
    std::sort(latencies.begin(), latencies.end());
    return double(latencies[size_t(0.99 * double(latencies.size() - 1))]) / 1000.0;
}

// One round of a row, `lead` first where the transports take turns. False
// when the round failed.
bool race(Row& row, Transport lead, const std::array<quint16, 2>& ports) {
    QElapsedTimer clock;
    clock.start();
    std::array<std::unique_ptr<Fleet>, 2> fleets;
    for (Transport transport : {Tcp, Web})
        fleets[transport] = std::make_unique<Fleet>(transport, row, ports[transport], clock);

    // Every step ends by starting the next (the fleets call back from the
    // event loop).
    std::vector<Step> plan;
    size_t at = 0;
    const Step next = [&] {
        if (at < plan.size())
            plan[at++]();
        else
            QCoreApplication::exit(0);
    };
    plan.push_back([&] { fleets[lead]->logIn(next); });
    plan.push_back([&] { fleets[1 - lead]->logIn(next); });
    if (row.shared()) {
        plan.push_back([&] {
            auto both = std::make_shared<int>(2);
            for (const auto& fleet : fleets)
                fleet->run(row.trips, [both, &next] {
                    if (--*both == 0)
                        next();
                });
        });
    }
    for (int k = 0; !row.shared() && k < 2 * (row.trips / row.block); ++k) {
        // T W W T T W W T ...: block k is the lead's when (k + 1) / 2 is even.
        const Transport mine = ((k + 1) / 2) % 2 == 0 ? lead : Transport(1 - lead);
        plan.push_back([&, mine] { fleets[mine]->run(row.block, next); });
    }
    QTimer stall;
    stall.setSingleShot(true);
    QObject::connect(&stall, &QTimer::timeout, &stall, [] {
        std::fputs("bench_websocket: a round stalled\n", stderr);
        QCoreApplication::exit(1);
    });
    stall.start(StallMs);
    next();
    if (QCoreApplication::exec() != 0)
        return false;
    row.seconds += double(clock.elapsed()) / 1000.0;
    const double tcp = p99(fleets[Tcp]->latencies());
    const double web = p99(fleets[Web]->latencies());
    row.tcpP99.push_back(tcp);
    row.webP99.push_back(web);
    row.ratios.push_back(web / tcp);
    if (!row.shared()) {
        row.tcpCpu.push_back(fleets[Tcp]->cpuPerTripUs());
        row.webCpu.push_back(fleets[Web]->cpuPerTripUs());
    }
    return true;
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

void report(const Row& row) {
    const auto [low, high] = std::minmax_element(row.ratios.begin(), row.ratios.end());
    std::printf("%-28s %2d station(s)  p99 %8.1f us (TCP %8.1f)  ratio x%.2f, rounds x%.2f to "
                "x%.2f:",
                row.what, row.stations, median(row.webP99), median(row.tcpP99), median(row.ratios),
                *low, *high);
    for (double ratio : row.ratios)
        std::printf(" %.2f", ratio);
    std::printf(" (%.1f s)\n", row.seconds);
    if (!row.shared())
        std::printf("%-42s CPU a trip %6.1f us (TCP %6.1f)  ratio x%.2f\n", "", median(row.webCpu),
                    median(row.tcpCpu), median(row.webCpu) / median(row.tcpCpu));
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
    // Every station of the benchmark, both transports', connects from 127.0.0.1 at once.
    server.setLoginLimits(128, 128);
    WebServer web(meet.stations());
    if (!meet.start().ok() || !web.listenOn(0)) {
        std::fputs("bench_websocket: the server did not start\n", stderr);
        return 1;
    }
    server.stopHeartbeats(); // only the measured traffic

    std::puts("Round trips over loopback through the scoring server, TCP and WebSocket trips "
              "interleaved; ratios are WebSocket / TCP p99, medians of 5 rounds");
    std::vector<Row> rows{
        {"CLIENTBEAT -> BEATRESPONSE", 1, false, BeatTrips, 1, {}, {}, {}, {}, {}, 0},
        {"SENDSCORE -> SCORECONFIRM", 1, true, ScoreTrips, 1, {}, {}, {}, {}, {}, 0},
        {"CLIENTBEAT -> BEATRESPONSE", 64, false, BeatTrips, 500, {}, {}, {}, {}, {}, 0},
        {"SENDSCORE -> SCORECONFIRM", Seats, true, ScoreTrips, 0, {}, {}, {}, {}, {}, 0}};
    for (int round = 0; round < Rounds; ++round) {
        for (Row& row : rows) {
            // A restart listens on another free port and forgets the log-ins.
            const std::array<quint16, 2> ports{quint16(server.port()), web.port()};
            if (!race(row, round % 2 == 0 ? Tcp : Web, ports))
                return 1;
            meet.shutdown();
            meet.start();
            server.stopHeartbeats();
        }
    }
    for (const Row& row : rows)
        report(row);
    for (const Row& row : rows) {
        const std::string path = std::string("WebSocket ") + row.what + " p99, " +
                                 std::to_string(row.stations) +
                                 (row.stations == 1 ? " station"
                                  : row.shared()    ? " stations, half of them WebSocket"
                                                    : " stations");
        const auto [low, high] = std::minmax_element(row.ratios.begin(), row.ratios.end());
        printGoalRow(
            path, figure(median(row.webP99), "%.0f us"),
            figure(median(row.tcpP99), "TCP %.0f us") +
                figure(*low, (" (ratios of " + std::to_string(Rounds) + " rounds %.2f").c_str()) +
                figure(*high, " to %.2f)"),
            median(row.ratios), Goal::AtMost, 1.3);
    }
    web.close();
    meet.shutdown();
    return 0;
}
