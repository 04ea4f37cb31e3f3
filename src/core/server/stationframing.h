#pragma once

#include <QByteArray>
#include <QList>
#include <QStringView>

// Cuts one connection's received bytes into messages, without any socket.
//
// A connection starts in legacy mode: every read is one whole message and sent
// messages go out exactly as written, which is what the existing stations
// expect. The first received line feed switches the connection to line mode for
// good: input is split at LF (a CR before it is dropped), a partial line waits
// for the rest, and every sent message ends with LF.
class StationFraming {
public:
    enum class Mode { Legacy, Line };

    // Pending input beyond this means the peer is not speaking the protocol.
    static constexpr qsizetype DefaultMaxPending = 1024 * 1024;

    struct Result {
        QList<QByteArray> messages; // complete messages, in order
        bool overflow = false;      // too much pending input: close the connection
    };

    explicit StationFraming(qsizetype maxPending = DefaultMaxPending)
        : mMaxPending(maxPending) {}

    // Takes the bytes of one read. Empty lines carry no message and are skipped.
    Result feed(QByteArrayView bytes);

    // The bytes to write for one outgoing message.
    QByteArray frame(QByteArrayView message) const;

    // Whether a text would reach a station that reads lines as more than one
    // message.
    static bool holdsLineBreak(QStringView text) {
        return text.contains(u'\n') || text.contains(u'\r');
    }

    Mode mode() const { return mMode; }
    qsizetype pendingBytes() const { return mPending.size(); }

private:
    void takeLines(Result& result);

    qsizetype mMaxPending;
    Mode mMode = Mode::Legacy;
    QByteArray mPending;
};
