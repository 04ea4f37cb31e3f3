// Feeds arbitrary bytes through the station framing and the message dispatcher
// of a running meet server on a real meet file. Each line of the input is one
// message; its first byte picks one of four stations, so inputs can hold whole
// conversations (log-in, queries, scores, confirmations).
//
// The meet is opened and the server started once per process; after each input
// the meet is put back as it was (FuzzMeet).
#include "fuzzapp.h"
#include "fuzzmeet.h"
#include "server/stationframing.h"
#include "shell/codepage1252.h"

#include <QCoreApplication>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzMeet& h = fuzzHarness<FuzzMeet>();
    StationFraming framing;
    framing.feed("\n"); // line mode: the input is a conversation of lines
    QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    input.append('\n');
    const auto result = framing.feed(input);
    for (const QByteArray& line : result.messages) {
        const ConnectionId station = 1 + static_cast<unsigned char>(line.front()) % 4;
        h.meet().server().handleMessage(station, Cp1252::decode(line.mid(1)));
    }
    // Timers of the display loops and heartbeats get their turn between inputs.
    QCoreApplication::processEvents();
    h.restore();
    return 0;
}
