#include "numbertext.h"

#include <QString>

#include <charconv>
#include <cmath>

namespace {

// A sign, digits and at most one point between digits, in ASCII: the forms
// that std::from_chars and QString::toDouble() read alike, both correctly
// rounded. Empty when `text` is anything else.
std::optional<double> plainDecimal(QStringView text) {
    constexpr qsizetype MaxPlain = 32;
    if (text.isEmpty() || text.size() > MaxPlain)
        return std::nullopt;
    char narrowed[MaxPlain];
    qsizetype at = 0;
    if (text[0] == u'-')
        narrowed[at++] = '-';
    const qsizetype firstDigit = at;
    bool point = false;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c == u'.' && !point && at > firstDigit && at + 1 < text.size()) {
            point = true;
        } else if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        narrowed[at] = char(c);
    }
    if (at == firstDigit)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(narrowed, narrowed + at, value);
    if (error != std::errc() || end != narrowed + at)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> finiteNumber(QStringView text) {
    std::optional<double> value = plainDecimal(text);
    if (!value) {
        bool ok = false;
        value = text.toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (!std::isfinite(*value))
        return std::nullopt;
    return value;
}
