#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Follows the frames a client sends on a WebSocket from the raw bytes, ahead
// of the socket library, to stop what it lets through or learns of too late:
// a frame the client did not mask, a frame or a fragmented message over its
// limit (told by its header, before its payload is held anywhere), a data
// frame where only control frames are wanted. It counts the pings, which the
// library answers by itself. It holds no payload: only the bytes of the
// header being read.
class WebSocketFrameScanner {
public:
    struct Limits {
        qint64 maxFrame = 0;      // payload bytes of one frame
        qint64 maxMessage = 0;    // payload bytes of one message, all its fragments
        bool controlOnly = false; // a text or binary frame is a breach
    };
    struct Result {
        int pings = 0;  // pings whose header was read
        QString breach; // why the connection must end; empty while all is well
    };

    explicit WebSocketFrameScanner(const Limits& limits)
        : mLimits(limits) {}

    // Takes the next bytes the client sent, in order. After a breach the rest
    // is not looked at.
    Result feed(QByteArrayView bytes);

private:
    // How long the header in mHeader is, once its first two bytes are in.
    qsizetype headerLength() const;
    QString frameBreach(quint8 opcode, bool final, quint64 length);

    Limits mLimits;
    QByteArray mHeader;       // the header read so far
    quint64 mPayloadLeft = 0; // payload bytes of the current frame still to pass
    qint64 mMessage = 0;      // payload bytes of the unfinished data message
    bool mBroken = false;
};
