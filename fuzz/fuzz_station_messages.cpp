// Feeds arbitrary bytes through the station framing and the message dispatcher
// of a running meet server on a real meet file. Each line of the input is one
// message; its first byte picks one of four stations, so inputs can hold whole
// conversations (log-in, queries, scores, confirmations).
//
// The meet is opened and the server started once per process, in a data folder
// on a memory file system where there is one; after each input the tables that
// stations change are put back as they were and the stations logged out, so
// every input starts from the same meet.
#include "fuzzapp.h"
#include "judging/meetserver.h"
#include "server/stationframing.h"
#include "shell/appstate.h"
#include "shell/codepage1252.h"
#include "tempmeet.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// The tables a station's messages can change.
const QStringList ChangedTables{u"Gymnasts"_s, u"ScoreBoardQueue"_s, u"Connections"_s};

void check(bool ok, const char* what, MeetDatabase& db) {
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", what, qPrintable(db.lastError()));
        std::abort();
    }
}

// A data folder in memory keeps the meet's disk syncs out of the measure.
std::unique_ptr<TempMeet> makeTempMeet() {
    if (QDir(u"/dev/shm"_s).exists())
        qputenv("TMPDIR", "/dev/shm");
    return std::make_unique<TempMeet>();
}

struct Harness {
    std::unique_ptr<TempMeet> temp = makeTempMeet();
    AppState state{temp->folder()};
    std::unique_ptr<MeetServer> meet;

    Harness() {
        state.loadSettings();
        state.setPin(u"3917"_s);
        state.setPortNumber(u"0"_s);
        QString error;
        if (!state.openMeetFile(temp->createSampleMeet(), &error)) {
            std::fprintf(stderr, "meet: %s\n", qPrintable(error));
            std::abort();
        }
        MeetDatabase& db = state.meetDb();
        check(db.execute(u"ATTACH DATABASE ':memory:' AS pristine"_s), "attach", db);
        for (const QString& table : ChangedTables)
            check(db.execute(u"CREATE TABLE pristine.%1 AS SELECT * FROM main.%1"_s.arg(table)),
                  "copy", db);
        meet = std::make_unique<MeetServer>(state);
        if (!meet->start().ok())
            std::abort();
    }

    // Puts the meet back as it was before the input.
    void restore() {
        MeetDatabase& db = state.meetDb();
        check(db.beginTransaction(), "begin", db);
        for (const QString& table : ChangedTables) {
            check(db.execute(u"DELETE FROM main.%1"_s.arg(table)), "clear", db);
            check(db.execute(u"INSERT INTO main.%1 SELECT * FROM pristine.%1"_s.arg(table)),
                  "restore", db);
        }
        check(db.commit(), "commit", db);
        meet->server().registry().clearLists();
        QString error;
        if (!meet->services().queue().reload(&error)) {
            std::fprintf(stderr, "queue: %s\n", qPrintable(error));
            std::abort();
        }
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
        h.meet->server().handleMessage(station, Cp1252::decode(line.mid(1)));
    }
    // Timers of the display loops and heartbeats get their turn between inputs.
    QCoreApplication::processEvents();
    h.restore();
    return 0;
}
