#include "utf8tocp1252.h"

#include "shell/codepage1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace Utf8ToCp1252 {

namespace {

// The highest character the code page holds, U+2122 (the trade mark sign).
constexpr char32_t Last = 0x2122;

// The code page's byte of every character up to Last, 0 where it has none.
// Taken from the decoder, so the two cannot disagree.
const std::array<std::uint8_t, Last + 1>& bytesOf() {
    static const std::array<std::uint8_t, Last + 1> table = [] {
        std::array<std::uint8_t, Last + 1> t{};
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = char(b);
            const char16_t c = Cp1252::decode(QByteArrayView(&byte, 1)).at(0).unicode();
            if (c <= Last)
                t[c] = std::uint8_t(b);
        }
        return t;
    }();
    return table;
}

bool continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

char* convert(QByteArrayView utf8, char* out) {
    const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* const end = in + utf8.size();
    const auto& table = bytesOf();
    while (in < end) {
        // Eight ASCII bytes at a time, the usual case.
        if (end - in >= 8) {
            std::uint64_t block;
            std::memcpy(&block, in, 8);
            if ((block & 0x8080808080808080ULL) == 0) {
                std::memcpy(out, in, 8);
                in += 8;
                out += 8;
                continue;
            }
        }
        const unsigned char lead = *in;
        if (lead < 0x80) {
            *out++ = char(lead);
            ++in;
            continue;
        }
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF && end - in >= 2 && continuation(in[1])) {
            c = char32_t(lead & 0x1F) << 6 | (in[1] & 0x3F);
            in += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF && end - in >= 3 && continuation(in[1]) &&
                   continuation(in[2])) {
            c = char32_t(lead & 0x0F) << 12 | char32_t(in[1] & 0x3F) << 6 | (in[2] & 0x3F);
            in += 3;
            // Overlong forms stay below U+0800; none of the code page's characters
            // is a surrogate, so those fall out below.
            if (c < 0x800)
                return nullptr;
        } else {
            return nullptr;
        }
        if (c > Last || table[c] == 0)
            return nullptr;
        *out++ = char(table[c]);
    }
    return out;
}

} // namespace Utf8ToCp1252
