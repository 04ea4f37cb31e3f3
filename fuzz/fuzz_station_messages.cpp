// Feeds arbitrary bytes through the station framing and the message dispatcher
// of a running scoring server on a real meet file. Each line of the input is one
// message; its first byte picks one of four stations, so inputs can hold whole
// conversations (log-in, queries, scores, confirmations).
#include "fuzzapp.h"
#include "judging/stationservicesfactory.h"
#include "server/scoringserver.h"
#include "server/stationframing.h"
#include "server/stationservices.h"
#include "shell/appstate.h"
#include "shell/codepage1252.h"
#include "shell/operatoralerts.h"
#include "tempmeet.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct Harness {
    TempMeet temp;
    AppState state{temp.folder()};
    OperatorAlerts alerts;
    // The server only points at the services: it goes first at exit, while
    // they are still there for its shutdown.
    std::unique_ptr<StationServices> services;
    std::unique_ptr<ScoringServer> server;

    Harness() {
        state.loadSettings();
        state.setPin(QStringLiteral("3917"));
        state.setPortNumber(QStringLiteral("0"));
        QString error;
        if (!state.openMeetFile(temp.createSampleMeet(), &error)) {
            std::fprintf(stderr, "meet: %s\n", qPrintable(error));
            std::abort();
        }
        server = std::make_unique<ScoringServer>(state, alerts);
        services = createStationServices(*server, state, alerts);
        server->setServices(services.get());
        if (!server->start().ok())
            std::abort();
    }
};

Harness& harness() {
    ensureFuzzApplication();
    static Harness h;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Harness& h = harness();
    StationFraming framing;
    framing.feed("\n"); // line mode: the input is a conversation of lines
    QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    input.append('\n');
    const auto result = framing.feed(input);
    for (const QByteArray& line : result.messages) {
        const ConnectionId station = 1 + static_cast<unsigned char>(line.front()) % 4;
        h.server->handleMessage(station, Cp1252::decode(line.mid(1)));
    }
    // Timers of the display loops and heartbeats get their turn between inputs.
    QCoreApplication::processEvents();
    return 0;
}
