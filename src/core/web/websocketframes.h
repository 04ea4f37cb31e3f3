#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// What a server sends on a WebSocket: the answer to the opening, and the frames, each built whole
// in one buffer (header and payload together, unmasked as a server's frames are), ready to be
// written to the connection in one write.
namespace WebSocketFrames {

inline constexpr quint8 Close = 0x8;
inline constexpr quint8 Pong = 0xa;

// The answer that opens a WebSocket to a client whose opening carried
// `key` (its Sec-WebSocket-Key): "101 Switching Protocols" and the key's proof.
QByteArray opening(QByteArrayView key);

// One text message, encoded in UTF-8 straight into the frame.
QByteArray text(QStringView message);
// One binary message, its bytes as they are.
QByteArray binary(QByteArrayView message);
// A control frame (Close, Pong) with its payload of at most 125 bytes.
QByteArray control(quint8 opcode, QByteArrayView payload);

} // namespace WebSocketFrames
