#include "codepage1252.h"

#include <QHash>

#include <array>

namespace Cp1252 {

namespace {

// 0x80 ... 0x9F; the rest of the code page equals Latin-1.
constexpr char16_t High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Every byte's character, so decoding takes no decision per byte.
constexpr std::array<char16_t, 256> Decoded = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] = b >= 0x80 && b < 0xA0 ? High[b - 0x80] : char16_t(b);
    return table;
}();

const QHash<char16_t, char>& reverseHigh() {
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int i = 0; i < 32; ++i)
            t.insert(High[i], char(0x80 + i));
        return t;
    }();
    return table;
}

} // namespace

QString decode(QByteArrayView bytes) {
    // Outside 0x80-0x9F the code page is Latin-1, which Qt converts fastest;
    // nearly every text holds none of those bytes.
    bool latin1 = true;
    for (const char c : bytes)
        latin1 &= uchar(uchar(c) - 0x80) >= 0x20;
    if (latin1)
        return QString::fromLatin1(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = Decoded[in[i]];
    return text;
}

QByteArray encode(QStringView text, bool* lossless) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bool exact = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes[i] = char(c);
            continue;
        }
        const auto found = reverseHigh().constFind(c);
        if (found != reverseHigh().constEnd()) {
            bytes[i] = found.value();
        } else {
            bytes[i] = '?';
            exact = false;
        }
    }
    if (lossless)
        *lossless = exact;
    return bytes;
}

} // namespace Cp1252
