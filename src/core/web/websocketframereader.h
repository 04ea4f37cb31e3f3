#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Reads the frames a client sends on a WebSocket from the raw bytes of its
// connection, without any socket: each complete message, ping and close is
// handed back in order, unmasked. It holds a client to the protocol and to
// its limits: every frame masked, no reserved bits or opcodes, control frames
// whole and at most 125 bytes, fragments in order, a frame and a message no
// larger than their limits (told by the header, before the payload is held
// anywhere), text in UTF-8, and no message at all where only control frames
// are wanted. A breach ends the reading: nothing after it is looked at.
class WebSocketFrameReader {
public:
    struct Limits {
        qint64 maxFrame = 0;      // payload bytes of one frame
        qint64 maxMessage = 0;    // payload bytes of one message, all its fragments
        bool controlOnly = false; // a text or binary frame is a breach
    };
    struct Event {
        enum Kind { Text, Binary, Ping, Close };
        Kind kind = Text;
        QString text;     // a Text message
        QByteArray bytes; // a Binary message, a ping's or a close's payload
    };
    struct Result {
        QList<Event> events; // in the order they came
        QString breach;      // why the connection must end; empty while all is well
    };

    explicit WebSocketFrameReader(const Limits& limits)
        : mLimits(limits) {}

    // Takes the next bytes the client sent, in order. After a breach or a
    // close nothing more is read.
    Result feed(QByteArrayView bytes);

private:
    qsizetype headerLength() const;
    // Checks the header just read and starts its frame; the breach or empty.
    QString startFrame();
    // The current frame is complete: its event, if any, goes to `result`.
    QString endFrame(Result& result);

    Limits mLimits;
    QByteArray mHeader;       // the header read so far
    quint8 mOpcode = 0;       // of the current frame
    bool mFinal = false;      // of the current frame
    char mMask[4] = {};       // of the current frame
    quint64 mPayloadLeft = 0; // payload bytes of the current frame still to come
    quint64 mPayloadRead = 0; // payload bytes of the current frame taken
    bool mInFrame = false;    // a header was read; its payload is coming
    quint8 mMessageKind = 0;  // Text or Binary while a fragmented message is open, else 0
    QByteArray mMessage;      // payload of the open message
    QByteArray mControl;      // payload of the current control frame
    bool mDone = false;       // breached or closed
};
