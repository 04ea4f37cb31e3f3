#include "websocketframes.h"

#include <QCryptographicHash>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace WebSocketFrames {

namespace {

constexpr quint8 Final = 0x80;
constexpr quint8 TextFrame = 0x1;
constexpr quint8 BinaryFrame = 0x2;
constexpr qsizetype MaxHeader = 10;

// Writes the header of a final, unmasked frame so that it ends at `end`;
// returns its length. The length takes the fewest bytes that hold it.
qsizetype putHeader(char* end, quint8 opcode, qsizetype length) {
    if (length < 126) {
        end[-2] = char(Final | opcode);
        end[-1] = char(length);
        return 2;
    }
    if (length <= 0xffff) {
        end[-4] = char(Final | opcode);
        end[-3] = char(126);
        qToBigEndian<quint16>(quint16(length), end - 2);
        return 4;
    }
    end[-10] = char(Final | opcode);
    end[-9] = char(127);
    qToBigEndian<quint64>(quint64(length), end - 8);
    return 10;
}

// The payload is written after room for the longest header; the header goes
// just before it and the room it does not use is dropped from the front,
// which moves no byte.
QByteArray framed(QByteArray frame, quint8 opcode, qsizetype length) {
    const qsizetype header = putHeader(frame.data() + MaxHeader, opcode, length);
    frame.truncate(MaxHeader + length);
    frame.remove(0, MaxHeader - header);
    return frame;
}

} // namespace

QByteArray opening(QByteArrayView key) {
    // The proof the protocol asks for: the key with its fixed suffix, hashed.
    const QByteArray proof =
        QCryptographicHash::hash(
            QByteArray(key.toByteArray() + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11"),
            QCryptographicHash::Sha1)
            .toBase64();
    return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Accept: " +
           proof + "\r\n\r\n";
}

QByteArray text(QStringView message) {
    QStringEncoder utf8(QStringEncoder::Utf8);
    QByteArray frame(MaxHeader + utf8.requiredSpace(message.size()), Qt::Uninitialized);
    char* payload = frame.data() + MaxHeader;
    const qsizetype length = utf8.appendToBuffer(payload, message) - payload;
    return framed(std::move(frame), TextFrame, length);
}

QByteArray binary(QByteArrayView message) {
    QByteArray frame(MaxHeader + message.size(), Qt::Uninitialized);
    if (!message.isEmpty())
        std::memcpy(frame.data() + MaxHeader, message.data(), size_t(message.size()));
    return framed(std::move(frame), BinaryFrame, message.size());
}

QByteArray control(quint8 opcode, QByteArrayView payload) {
    const QByteArrayView kept = payload.first(std::min<qsizetype>(payload.size(), 125));
    QByteArray frame(2 + kept.size(), Qt::Uninitialized);
    putHeader(frame.data() + 2, opcode, kept.size());
    if (!kept.isEmpty())
        std::memcpy(frame.data() + 2, kept.data(), size_t(kept.size()));
    return frame;
}

} // namespace WebSocketFrames
