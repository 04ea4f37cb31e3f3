#include "importvaluecodes.h"

#include "transfervalues.h"

#include <cmath>
#include <limits>

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

Converted refuse(const MeetSchema::Column& column, const QString& text, const QString& what) {
    return {{}, u"%1: \"%2\" %3"_s.arg(column.name, text, what)};
}

Converted number(const MeetSchema::Column& column, const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return {};
    if (column.type == T::Text)
        return {raw, {}}; // a number column in all but type: kept as written
    if (column.type == T::Double) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return refuse(column, raw, u"is not a number"_s);
        return {value, {}};
    }
    bool ok = false;
    qlonglong value = text.toLongLong(&ok);
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
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return refuse(column, raw, u"is out of range"_s);
    return {value, {}};
}

Converted flag(const MeetSchema::Column& column, const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty() || text.compare(u"False"_s, Qt::CaseInsensitive) == 0)
        return {0, {}};
    if (text.compare(u"True"_s, Qt::CaseInsensitive) == 0)
        return {1, {}};
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok); // -1 is how the other program stores True
    if (ok)
        return {value != 0 ? 1 : 0, {}};
    return refuse(column, raw, u"is neither True nor False"_s);
}

Converted date(const MeetSchema::Column& column, const QString& raw) {
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

Converted convert(Code code, const MeetSchema::Column& column, const QString& text) {
    switch (code) {
    case Code::Number:
        return number(column, text);
    case Code::Flag:
        return flag(column, text);
    case Code::Date:
        return date(column, text);
    case Code::TextOrNull:
        return {text.isEmpty() ? u"Null"_s : text, {}};
    case Code::Text:
    case Code::EscapedText:
        break;
    }
    // A null QString would be bound as SQL Null; an empty text stays an empty text.
    return {text.isNull() ? u""_s : text, {}};
}

} // namespace ImportValueCodes
