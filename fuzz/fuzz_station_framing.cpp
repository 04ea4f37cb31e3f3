// Cuts arbitrary bytes into reads of arbitrary sizes and feeds them to one
// connection's framing, with a small input limit so that overflows happen.
// Besides crashes it checks the framing's promises: a connection never leaves
// line mode, a line-mode message holds no line feed, pending input stays within
// the limit (and is dropped on overflow), and every message sent in line mode
// ends with exactly one line feed.
#include "server/stationframing.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_station_framing: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte sets the limit, then each read is a length byte and its bytes.
    const qsizetype limit = 1 + data[0] % 64;
    StationFraming framing(limit);
    std::size_t at = 1;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        const QByteArrayView read(reinterpret_cast<const char*>(data + at + 1), qsizetype(length));
        at += 1 + length;
        const bool wasLine = framing.mode() == StationFraming::Mode::Line;
        const StationFraming::Result result = framing.feed(read);
        const bool isLine = framing.mode() == StationFraming::Mode::Line;
        if (wasLine && !isLine)
            fail("a line-mode connection went back to legacy mode");
        if (isLine)
            for (const QByteArray& message : result.messages)
                if (message.contains('\n') || message.isEmpty())
                    fail("a line-mode message is empty or holds a line feed");
        if (framing.pendingBytes() > limit || (result.overflow && framing.pendingBytes() != 0))
            fail("pending input beyond the limit");
        const QByteArray framed = framing.frame(read);
        if (isLine ? framed != read.toByteArray() + '\n' : framed != read.toByteArray())
            fail("a sent message is framed wrongly");
    }
    return 0;
}
