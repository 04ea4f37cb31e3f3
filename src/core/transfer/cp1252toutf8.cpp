#include "cp1252toutf8.h"

#include "shell/codepage1252.h"

#include <algorithm>
#include <array>

namespace Cp1252ToUtf8 {

namespace {

// The UTF-8 of each byte from 0x80 on: its length, then its bytes.
struct Sequence {
    qsizetype size = 0;
    std::array<char, 3> bytes{};
};

const std::array<Sequence, 128>& sequences() {
    // Built the first time (thread-safe) from the code page's own decoding.
    static const std::array<Sequence, 128> table = [] {
        std::array<Sequence, 128> all{};
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = char(b);
            const QByteArray utf8 = Cp1252::decode(QByteArrayView(&byte, 1)).toUtf8();
            Sequence& s = all[size_t(b - 0x80)];
            s.size =
                std::min<qsizetype>(utf8.size(), 3); // every character of the page takes 2 or 3
            std::copy_n(utf8.constData(), s.size, s.bytes.begin());
        }
        return all;
    }();
    return table;
}

} // namespace

void convert(QByteArrayView cp1252, QByteArray& utf8) {
    // No character takes more than three bytes.
    utf8.resize(cp1252.size() * 3);
    const std::array<Sequence, 128>& table = sequences();
    char* out = utf8.data();
    for (const char c : cp1252) {
        const auto b = uchar(c);
        if (b < 0x80) {
            *out++ = c;
            continue;
        }
        const Sequence& s = table[b - 0x80];
        out = std::copy_n(s.bytes.begin(), s.size, out);
    }
    utf8.resize(out - utf8.constData());
}

} // namespace Cp1252ToUtf8
