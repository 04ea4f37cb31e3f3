#include "importvaluecodes.h"

#include "shell/codepage1252.h"
#include "transfervalues.h"

#include <QDate>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace ImportValueCodes {

namespace {

using T = MeetSchema::ColumnType;
using Kind = Converted::Kind;

bool isEventsTextOrNull(int position) {
    // Score, keypad and mini ids and the scoreboard layout columns of Events
    // (1-based positions 11-22, 24-34 and 36-41).
    return (position >= 11 && position <= 22) || (position >= 24 && position <= 34) ||
           (position >= 36 && position <= 41);
}

Converted refuse(const MeetSchema::Column& column, QByteArrayView text, const QString& what) {
    return {.error = u"%1: \"%2\" %3"_s.arg(column.name, Cp1252::decode(text), what)};
}

Converted integer(qint64 value) {
    return {.kind = Kind::Integer, .integer = value};
}

Converted real(double value) {
    return {.kind = Kind::Real, .real = value};
}

Converted text(QByteArrayView value) {
    return {.kind = Kind::Text, .source = value};
}

// A date's ISO text, which is ASCII.
Converted isoText(QStringView iso) {
    Converted converted;
    converted.kind = Kind::Text;
    if (iso.size() > qsizetype(converted.iso.size()))
        return converted; // no date reads as that long: never reached
    for (qsizetype i = 0; i < iso.size(); ++i)
        converted.iso[size_t(i)] = char(iso[i].unicode());
    converted.isoSize = iso.size();
    return converted;
}

// White space as Qt trims it from the decoded text: the ASCII controls tab to
// carriage return, the space, and the no-break space (0xA0); no other byte of
// the code page decodes to white space.
bool isSpace(char c) {
    const auto b = uchar(c);
    return b == 0x20 || (b >= 0x09 && b <= 0x0D) || b == 0xA0;
}

QByteArrayView trimmed(QByteArrayView text) {
    if (text.isEmpty() || (!isSpace(text.front()) && !isSpace(text.back())))
        return text; // as nearly every value is
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Plain decimal text ("9.275", "-12", "10"), the form nearly every number of a
// transfer file takes, is read straight from the bytes; anything else (a sign
// "+", an exponent, a lone point, a letter beyond ASCII) takes the general way.

// A plain decimal read in one pass: an optional "-", digits, and when
// allowed one point between digits.
struct Decimal {
    quint64 digits = 0;  // the digits as an integer, exact while `significant` <= 19
    int significant = 0; // digits from the first that is not 0 on
    int decimals = 0;    // digits after the point
    int length = 0;      // digits in all
    bool negative = false;
};

std::optional<Decimal> plainDecimal(QByteArrayView text, bool allowPoint) {
    Decimal d;
    const char* p = text.begin();
    const char* const end = text.end();
    if (p < end && *p == '-') {
        d.negative = true;
        ++p;
    }
    bool point = false;
    bool digitBefore = false;
    bool digitAfter = false;
    for (; p < end; ++p) {
        const char c = *p;
        if (isDigit(c)) {
            (point ? digitAfter : digitBefore) = true;
            ++d.length;
            d.decimals += point ? 1 : 0;
            if (d.digits == 0 && c == '0')
                continue; // zeros before the first other digit add nothing
            d.digits = d.digits * 10 + quint64(c - '0');
            ++d.significant;
        } else if (c == '.' && allowPoint && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digitBefore || (point && !digitAfter))
        return std::nullopt;
    return d;
}

// Powers of ten a double holds exactly.
constexpr std::array<double, 23> ExactPowersOfTen = [] {
    std::array<double, 23> powers{};
    double power = 1;
    for (double& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

std::optional<double> plainDouble(QByteArrayView text) {
    constexpr qsizetype MaxLength = 40;
    const std::optional<Decimal> d =
        text.size() > MaxLength ? std::nullopt : plainDecimal(text, true);
    if (!d)
        return std::nullopt;
    // At most 15 digits make an integer that a double holds exactly; divided
    // by an exact power of ten, it rounds once, correctly, to the same double
    // as the general reading gives.
    if (d->significant <= 15 && d->decimals < int(ExactPowersOfTen.size())) {
        const double value = double(d->digits) / ExactPowersOfTen[size_t(d->decimals)];
        return d->negative ? -value : value;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value);
    if (error != std::errc() || end != text.end())
        return std::nullopt;
    return value;
}

std::optional<qint64> plainInteger(QByteArrayView text) {
    constexpr int MaxDigits = 18; // cannot overflow
    const std::optional<Decimal> d = plainDecimal(text, false);
    if (!d || d->length > MaxDigits)
        return std::nullopt;
    const auto value = qint64(d->digits);
    return d->negative ? -value : value;
}

Converted number(const MeetSchema::Column& column, QByteArrayView raw) {
    const QByteArrayView bytes = trimmed(raw);
    if (bytes.isEmpty())
        return {};
    if (column.type == T::Text)
        return text(raw); // a number column in all but type: kept as written
    if (column.type == T::Double) {
        if (const std::optional<double> plain = plainDouble(bytes))
            return real(*plain);
        bool ok = false;
        const double value = Cp1252::decode(bytes).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return refuse(column, raw, u"is not a number"_s);
        return real(value);
    }
    qint64 value = 0;
    if (const std::optional<qint64> plain = plainInteger(bytes)) {
        value = *plain;
    } else {
        const QString decoded = Cp1252::decode(bytes);
        bool ok = false;
        value = decoded.toLongLong(&ok);
        if (!ok) {
            const double asDouble = decoded.toDouble(&ok);
            if (!ok || !std::isfinite(asDouble))
                return refuse(column, raw, u"is not a number"_s);
            if (asDouble != std::floor(asDouble))
                return refuse(column, raw, u"is not a whole number"_s);
            if (std::fabs(asDouble) > 1e18)
                return refuse(column, raw, u"is out of range"_s);
            value = qint64(asDouble);
        }
    }
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return refuse(column, raw, u"is out of range"_s);
    return integer(value);
}

// `text` equals the lower-case ASCII word `word` in any letter case. No byte
// of the code page beyond ASCII folds to an ASCII letter.
bool equalsIgnoringCase(QByteArrayView text, QByteArrayView word) {
    if (text.size() != word.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c) != word[i])
            return false;
    }
    return true;
}

Converted flag(const MeetSchema::Column& column, QByteArrayView raw) {
    const QByteArrayView bytes = trimmed(raw);
    if (bytes.isEmpty() || equalsIgnoringCase(bytes, "false"))
        return integer(0);
    if (equalsIgnoringCase(bytes, "true"))
        return integer(1);
    bool ok = false;
    const qint64 value =
        Cp1252::decode(bytes).toLongLong(&ok); // -1 is how the other program stores True
    if (ok)
        return integer(value != 0 ? 1 : 0);
    return refuse(column, raw, u"is neither True nor False"_s);
}

// M/D/YYYY alone, the form nearly every date of a transfer file takes, read
// from the bytes. Leading zeros, times and anything unusual take the general way.
std::optional<Converted> plainDate(QByteArrayView text) {
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (const char c : text) {
        if (c == '/') {
            if (++part > 2)
                return std::nullopt;
            continue;
        }
        if (!isDigit(c) || (c == '0' && digits[part] == 0) || ++digits[part] > 4)
            return std::nullopt;
        parts[part] = parts[part] * 10 + (c - '0');
    }
    if (part != 2 || digits[0] == 0 || digits[0] > 2 || digits[1] == 0 || digits[1] > 2 ||
        digits[2] != 4)
        return std::nullopt;
    if (!QDate(parts[2], parts[0], parts[1]).isValid())
        return std::nullopt;
    Converted converted;
    converted.kind = Kind::Text;
    const auto put = [&converted](int at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            converted.iso[size_t(at + i)] = char('0' + value % 10);
    };
    put(0, parts[2], 4);
    converted.iso[4] = '-';
    put(5, parts[0], 2);
    converted.iso[7] = '-';
    put(8, parts[1], 2);
    converted.isoSize = 10;
    return converted;
}

Converted date(const MeetSchema::Column& column, QByteArrayView raw) {
    if (trimmed(raw).isEmpty())
        return {};
    if (std::optional<Converted> plain = plainDate(raw))
        return *plain;
    if (auto stored = TransferValues::parseDate(Cp1252::decode(raw)))
        return isoText(*stored);
    return refuse(column, raw, u"is not a date"_s);
}

} // namespace

QVariant Converted::variant() const {
    switch (kind) {
    case Kind::Null:
        break;
    case Kind::Integer:
        return QVariant(qlonglong(integer));
    case Kind::Real:
        return QVariant(real);
    case Kind::Text:
        // An empty text stays an empty text, never a null one (which is Null).
        return QVariant(text().isEmpty() ? u""_s : Cp1252::decode(text()));
    }
    return {};
}

Code codeOf(const MeetSchema::Table& table, int column) {
    const MeetSchema::Column& c = table.columns.at(column);
    switch (c.type) {
    case T::Long:
    case T::Double:
        return Code::Number;
    case T::Boolean:
        return Code::Flag;
    case T::Date:
        return Code::Date;
    case T::Text:
        break;
    }
    if (table.name == u"Events"_s && isEventsTextOrNull(column + 1))
        return Code::TextOrNull;
    if (table.name == u"Gymnasts"_s) {
        if (c.name == u"First_Name"_s || c.name == u"Last_Name"_s)
            return Code::EscapedText;
        if (c.name == u"Session"_s)
            return Code::Number;
    }
    return Code::Text;
}

Converted convert(Code code, const MeetSchema::Column& column, QByteArrayView value) {
    // Most values of a file are empty: an empty number or date is Null, an
    // empty flag False.
    if (value.isEmpty() && code == Code::Flag)
        return integer(0);
    if (value.isEmpty() && (code == Code::Number || code == Code::Date))
        return {};
    switch (code) {
    case Code::Number:
        return number(column, value);
    case Code::Flag:
        return flag(column, value);
    case Code::Date:
        return date(column, value);
    case Code::TextOrNull:
        return text(value.isEmpty() ? QByteArrayView("Null") : value);
    case Code::Text:
    case Code::EscapedText:
        break;
    }
    return text(value);
}

} // namespace ImportValueCodes
