#include "transfervalues.h"

#include "db/storeddate.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace TransferValues {

namespace {

// M/D/YYYY alone, the form nearly every date of a transfer file takes, read
// without the general date parser. Leading zeros, times and anything unusual
// take the general way.
std::optional<QString> plainDate(QStringView text) {
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'/') {
            if (++part > 2)
                return std::nullopt;
            continue;
        }
        if (c < u'0' || c > u'9' || (c == u'0' && digits[part] == 0) || ++digits[part] > 4)
            return std::nullopt;
        parts[part] = parts[part] * 10 + (c - u'0');
    }
    if (part != 2 || digits[0] == 0 || digits[0] > 2 || digits[1] == 0 || digits[1] > 2 ||
        digits[2] != 4)
        return std::nullopt;
    const QDate date(parts[2], parts[0], parts[1]);
    if (!date.isValid())
        return std::nullopt;
    char16_t iso[10] = {};
    const auto put = [&iso](int at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            iso[at + i] = char16_t(u'0' + value % 10);
    };
    put(0, parts[2], 4);
    iso[4] = u'-';
    put(5, parts[0], 2);
    iso[7] = u'-';
    put(8, parts[1], 2);
    return QString(reinterpret_cast<const QChar*>(iso), 10);
}

// "YYYY-MM-DD" alone, as nearly every stored date is, written as M/D/YYYY
// without the general date parser; anything else takes the general way.
std::optional<QString> plainStoredDate(QStringView stored) {
    if (stored.size() != 10)
        return std::nullopt;
    char bytes[10];
    for (qsizetype i = 0; i < 10; ++i) {
        if (stored[i].unicode() >= 0x80)
            return std::nullopt;
        bytes[i] = char(stored[i].unicode());
    }
    char text[10];
    const char* end = writePlainStoredDate(text, QByteArrayView(bytes, 10));
    if (!end)
        return std::nullopt;
    return QString::fromLatin1(text, end - text);
}

// A score with at most three decimals, the bulk of a meet's numbers: the
// integer n with n / 1000 == value (in doubles) gives the digits directly.
// Why they are the digits printf's %.15G writes: n / 1000 is the decimal D
// whose nearest double is `value`, so the two differ by at most half a unit in
// the last place of `value` (at most |value| * 2^-53), less than half a unit in
// the 15th significant digit; with |value| < 1e11, D has at most 14 significant
// digits, so it is the value rounded to 15 digits, and its exponent (-3 ... 10)
// is one %G writes without an exponent, trailing zeros and point dropped.
char* writeThousandths(char* out, double value) {
    if (!(std::fabs(value) < 1e11))
        return nullptr;
    const double scaled = std::nearbyint(value * 1000);
    if (scaled / 1000 != value)
        return nullptr;
    auto n = static_cast<long long>(scaled);
    if (n < 0) {
        *out++ = '-';
        n = -n;
    }
    out = std::to_chars(out, out + 20, n / 1000).ptr;
    int fraction = int(n % 1000);
    if (fraction != 0) {
        *out++ = '.';
        *out++ = char('0' + fraction / 100);
        fraction %= 100;
        if (fraction != 0) {
            *out++ = char('0' + fraction / 10);
            fraction %= 10;
            if (fraction != 0)
                *out++ = char('0' + fraction);
        }
    }
    return out;
}

} // namespace

QString padRecordNumber(qint64 number) {
    return QString::number(number).rightJustified(4, u'0');
}

QString formatDouble(double value) {
    QByteArray text;
    appendDouble(text, value);
    return QString::fromLatin1(text);
}

void appendDouble(QByteArray& out, double value) {
    char text[DoubleRoom];
    out.append(text, writeDouble(text, value) - text);
}

char* writeDouble(char* out, double value) {
    if (value == 0) {
        *out = '0'; // also for -0
        return out + 1;
    }
    if (char* end = writeThousandths(out, value))
        return end;
    // The shortest digits that read back as the value: when there are at most
    // 15 of them they are also the value rounded to 15 digits (no tie can
    // arise), which the standard library then writes as printf's %.15G does.
    // Longer ones take Qt's rounding, which breaks ties away from zero.
    if (!std::isfinite(value) || shortestDigitCount(value) > 15) {
        const QByteArray qt = QString::number(value, 'g', 15).toUpper().toLatin1();
        std::memcpy(out, qt.constData(), size_t(qt.size()));
        return out + qt.size();
    }
    char* written = std::to_chars(out, out + DoubleRoom, value, std::chars_format::general, 15).ptr;
    // The exponent as the meet-management program writes it: 1E+20.
    std::replace(out, written, 'e', 'E');
    return written;
}

int shortestDigitCount(double value) {
    char text[64];
    const char* end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    int digits = 0;
    for (const char* p = text; p < end && *p != 'e'; ++p)
        digits += (*p >= '0' && *p <= '9') ? 1 : 0;
    return digits;
}

char* writePlainStoredDate(char* out, QByteArrayView stored) {
    if (stored.size() != 10 || stored[4] != '-' || stored[7] != '-' || stored[0] == '0')
        return nullptr;
    const auto number = [stored](qsizetype at, qsizetype size) {
        int value = 0;
        for (const char c : stored.sliced(at, size)) {
            if (c < '0' || c > '9')
                return -1;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    if (year < 0 || month < 0 || day < 0 || !QDate::isValid(year, month, day))
        return nullptr;
    const auto put = [&out](int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            out[i] = char('0' + value % 10);
        out += width;
    };
    put(month, month < 10 ? 1 : 2);
    *out++ = '/';
    put(day, day < 10 ? 1 : 2);
    *out++ = '/';
    put(year, 4);
    return out;
}

std::optional<QString> formatStoredDate(const QString& stored) {
    if (auto plain = plainStoredDate(stored))
        return plain;
    const auto parts = StoredDate::parse(stored);
    if (!parts)
        return std::nullopt;
    const QLocale c = QLocale::c();
    QString text = c.toString(parts->date, u"M/d/yyyy"_s);
    if (parts->time != QTime(0, 0))
        text += u' ' + c.toString(parts->time, u"h:mm:ss AP"_s);
    return text;
}

std::optional<QString> parseDate(QStringView raw) {
    if (auto plain = plainDate(raw))
        return plain;
    const QString text = raw.toString().simplified();
    if (auto iso = StoredDate::parse(text))
        return iso->text();
    const qsizetype space = text.indexOf(u' ');
    const QString datePart = space < 0 ? text : text.left(space);
    const QLocale c = QLocale::c();
    const QDate date = c.toDate(datePart, u"M/d/yyyy"_s);
    // Qt reads a sign into the year; a date of the meet has a year of our era.
    if (!date.isValid() || date.year() < 1)
        return std::nullopt;
    QTime time(0, 0);
    if (space >= 0) {
        const QString timePart = text.mid(space + 1).toUpper();
        for (const QString& format :
             {u"h:mm:ss AP"_s, u"h:mm AP"_s, u"H:mm:ss"_s, u"H:mm"_s, u"h:mm:ssAP"_s}) {
            time = c.toTime(timePart, format);
            if (time.isValid())
                break;
        }
        if (!time.isValid())
            return std::nullopt;
    }
    return StoredDate{date, time}.text();
}

QString valueText(MeetSchema::ColumnType type, const QVariant& stored) {
    using T = MeetSchema::ColumnType;
    if (!stored.isValid() || stored.isNull())
        return {};
    switch (type) {
    case T::Boolean: {
        bool ok = false;
        const qlonglong number = stored.toLongLong(&ok);
        if (ok)
            return number != 0 ? u"True"_s : u"False"_s;
        break;
    }
    case T::Double:
        if (stored.typeId() == QMetaType::Double || stored.typeId() == QMetaType::LongLong ||
            stored.typeId() == QMetaType::Int) {
            const double value = stored.toDouble();
            if (std::isfinite(value))
                return formatDouble(value);
        }
        break;
    case T::Long:
        if (stored.typeId() == QMetaType::LongLong || stored.typeId() == QMetaType::Int)
            return QString::number(stored.toLongLong());
        if (stored.typeId() == QMetaType::Double) {
            const double value = stored.toDouble();
            if (std::isfinite(value))
                return formatDouble(value);
        }
        break;
    case T::Date:
        if (auto text = formatStoredDate(stored.toString()))
            return *text;
        break;
    case T::Text:
        break;
    }
    const QString text = stored.toString();
    return text == u"Null"_s ? QString() : text;
}

} // namespace TransferValues
