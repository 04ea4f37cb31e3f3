#pragma once

// The client side of a WebSocket over a RawSocket: the upgrade request and
// the frames a browser sends (masked), built by hand so that the probe can
// send what no browser would.

#include "rawsocket.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace WebSocketFrames {

enum Opcode : int { Text = 1, Binary = 2, Close = 8, Ping = 9 };

// Sends the upgrade request for `path` as a page of the server would
// (Origin and Host are the server's own address) and waits for "101".
bool open(RawSocket& socket, std::uint16_t port, std::string_view path, std::int64_t deadlineMs);
// The upgrade request alone, for connections that are never completed.
std::string upgradeRequest(std::uint16_t port, std::string_view path);

// One whole masked frame.
std::string frame(Opcode opcode, std::string_view payload);
// The head of a masked frame of `length` bytes whose mask is zero, so that
// the payload that follows is sent as it is.
std::string frameHead(Opcode opcode, std::uint64_t length);

// The next text frame's payload into `text`, reading into `buffer` as
// needed and skipping other frames; false when none came before the deadline.
bool readText(RawSocket& socket, std::string& buffer, std::string& text, std::int64_t deadlineMs);

} // namespace WebSocketFrames
