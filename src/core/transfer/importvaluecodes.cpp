#include "importvaluecodes.h"

#include "transfervalues.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace ImportValueCodes {

namespace {

using T = MeetSchema::ColumnType;

bool isEventsTextOrNull(int position) {
    // Score, keypad and mini ids and the scoreboard layout columns of Events
    // (1-based positions 11-22, 24-34 and 36-41).
    return (position >= 11 && position <= 22) || (position >= 24 && position <= 34) ||
           (position >= 36 && position <= 41);
}

Converted refuse(const MeetSchema::Column& column, QStringView text, const QString& what) {
    return {{}, u"%1: \"%2\" %3"_s.arg(column.name, text, what)};
}

// Plain decimal text ("9.275", "-12", "10"), the form nearly every number of a
// transfer file takes, is read without the general number parser; anything
// else (a sign "+", an exponent, a lone point) takes the general way.

// Digits, with at most one point between digits when `allowPoint`; no sign.
bool isPlainDecimal(QStringView text, bool allowPoint) {
    bool digitBefore = false;
    bool point = false;
    bool digitAfter = false;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= u'0' && c <= u'9') {
            (point ? digitAfter : digitBefore) = true;
        } else if (c == u'.' && allowPoint && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digitBefore && (!point || digitAfter);
}

std::optional<double> plainDouble(QStringView text) {
    constexpr qsizetype MaxLength = 40;
    const QStringView unsignedPart =
        !text.isEmpty() && text.front() == u'-' ? text.sliced(1) : text;
    if (text.size() > MaxLength || !isPlainDecimal(unsignedPart, true))
        return std::nullopt;
    char ascii[MaxLength];
    for (qsizetype i = 0; i < text.size(); ++i)
        ascii[i] = char(text[i].unicode());
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + text.size(), value);
    if (error != std::errc() || end != ascii + text.size())
        return std::nullopt;
    return value;
}

std::optional<qlonglong> plainInteger(QStringView text) {
    constexpr qsizetype MaxDigits = 18; // cannot overflow
    const bool negative = !text.isEmpty() && text.front() == u'-';
    const QStringView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > MaxDigits || !isPlainDecimal(digits, false))
        return std::nullopt;
    qlonglong value = 0;
    for (const QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return negative ? -value : value;
}

Converted number(const MeetSchema::Column& column, QStringView raw) {
    const QStringView text = raw.trimmed();
    if (text.isEmpty())
        return {};
    if (column.type == T::Text)
        return {raw.toString(), {}}; // a number column in all but type: kept as written
    if (column.type == T::Double) {
        if (const std::optional<double> plain = plainDouble(text))
            return {*plain, {}};
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return refuse(column, raw, u"is not a number"_s);
        return {value, {}};
    }
    qlonglong value = 0;
    if (const std::optional<qlonglong> plain = plainInteger(text)) {
        value = *plain;
    } else {
        bool ok = false;
        value = text.toLongLong(&ok);
        if (!ok) {
            const double asDouble = text.toDouble(&ok);
            if (!ok || !std::isfinite(asDouble))
                return refuse(column, raw, u"is not a number"_s);
            if (asDouble != std::floor(asDouble))
                return refuse(column, raw, u"is not a whole number"_s);
            if (std::fabs(asDouble) > 1e18)
                return refuse(column, raw, u"is out of range"_s);
            value = qlonglong(asDouble);
        }
    }
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return refuse(column, raw, u"is out of range"_s);
    return {value, {}};
}

Converted flag(const MeetSchema::Column& column, QStringView raw) {
    const QStringView text = raw.trimmed();
    if (text.isEmpty() || text.compare(u"False", Qt::CaseInsensitive) == 0)
        return {0, {}};
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return {1, {}};
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok); // -1 is how the other program stores True
    if (ok)
        return {value != 0 ? 1 : 0, {}};
    return refuse(column, raw, u"is neither True nor False"_s);
}

Converted date(const MeetSchema::Column& column, QStringView raw) {
    if (raw.trimmed().isEmpty())
        return {};
    if (auto stored = TransferValues::parseDate(raw))
        return {*stored, {}};
    return refuse(column, raw, u"is not a date"_s);
}

} // namespace

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

Converted convert(Code code, const MeetSchema::Column& column, QStringView text) {
    switch (code) {
    case Code::Number:
        return number(column, text);
    case Code::Flag:
        return flag(column, text);
    case Code::Date:
        return date(column, text);
    case Code::TextOrNull:
        return {text.isEmpty() ? u"Null"_s : text.toString(), {}};
    case Code::Text:
    case Code::EscapedText:
        break;
    }
    // A null QString would be bound as SQL Null; an empty text stays an empty text.
    return {text.isEmpty() ? u""_s : text.toString(), {}};
}

} // namespace ImportValueCodes
