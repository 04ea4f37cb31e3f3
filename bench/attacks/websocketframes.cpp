#include "websocketframes.h"

namespace WebSocketFrames {

namespace {

std::string head(Opcode opcode, std::uint64_t length, const unsigned char (&mask)[4]) {
    std::string out;
    out += char(0x80 | opcode);
    if (length < 126) {
        out += char(0x80 | length);
    } else if (length < 65536) {
        out += char(0x80 | 126);
        out += char(length >> 8);
        out += char(length & 0xff);
    } else {
        out += char(0x80 | 127);
        for (int shift = 56; shift >= 0; shift -= 8)
            out += char((length >> shift) & 0xff);
    }
    out.append(reinterpret_cast<const char*>(mask), 4);
    return out;
}

} // namespace

std::string upgradeRequest(std::uint16_t port, std::string_view path) {
    const std::string host = "127.0.0.1:" + std::to_string(port);
    return "GET " + std::string(path) + " HTTP/1.1\r\nHost: " + host + "\r\nOrigin: http://" +
           host +
           "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

bool open(RawSocket& socket, std::uint16_t port, std::string_view path, std::int64_t deadlineMs) {
    std::string answer;
    return socket.send(upgradeRequest(port, path), deadlineMs) &&
           socket.readUntil(answer, "\r\n\r\n", deadlineMs) &&
           answer.compare(0, 12, "HTTP/1.1 101") == 0;
}

std::string frame(Opcode opcode, std::string_view payload) {
    static constexpr unsigned char Mask[4] = {0x37, 0xfa, 0x21, 0x3d};
    std::string out = head(opcode, payload.size(), Mask);
    for (std::size_t i = 0; i < payload.size(); ++i)
        out += char(payload[i] ^ char(Mask[i % 4]));
    return out;
}

std::string frameHead(Opcode opcode, std::uint64_t length) {
    static constexpr unsigned char Zero[4] = {0, 0, 0, 0};
    return head(opcode, length, Zero);
}

bool readText(RawSocket& socket, std::string& buffer, std::string& text, std::int64_t deadlineMs) {
    for (;;) {
        // A whole server frame (never masked) at the front of the buffer?
        if (buffer.size() >= 2) {
            const auto byte = [&buffer](std::size_t i) {
                return std::uint64_t(std::uint8_t(buffer[i]));
            };
            std::uint64_t length = byte(1) & 0x7f;
            std::size_t offset = 2;
            if (length == 126 && buffer.size() >= 4) {
                length = byte(2) << 8 | byte(3);
                offset = 4;
            } else if (length == 127 && buffer.size() >= 10) {
                length = 0;
                for (std::size_t i = 2; i < 10; ++i)
                    length = length << 8 | byte(i);
                offset = 10;
            }
            if ((length < 126 || offset > 2) && buffer.size() >= offset + length) {
                const int opcode = int(byte(0) & 0x0f);
                std::string payload = buffer.substr(offset, std::size_t(length));
                buffer.erase(0, offset + std::size_t(length));
                if (opcode == Text) {
                    text = std::move(payload);
                    return true;
                }
                continue;
            }
        }
        const std::size_t before = buffer.size();
        if (!socket.readSome(buffer, deadlineMs) && buffer.size() == before)
            return false;
        if (buffer.size() == before && nowMs() >= deadlineMs)
            return false;
    }
}

} // namespace WebSocketFrames
