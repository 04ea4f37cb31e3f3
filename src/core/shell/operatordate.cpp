#include "operatordate.h"

#include "db/storeddate.h"

#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace OperatorDate {

namespace {

bool hasTwoDigitYear(const QString& format) {
    return format.contains(u"yy"_s) && !format.contains(u"yyyy"_s);
}

// Qt reads a two-digit year as 19yy. Operators mean the nearest century, as the
// desktop does: 00-29 are 2000-2029, 30-99 are 1930-1999. Without this a date
// shown as 3/14/26 would be stored back as 1926.
QDateTime windowed(QDateTime value, const QString& format) {
    if (hasTwoDigitYear(format) && value.date().year() < 1930)
        value = value.addYears(100);
    return value;
}

std::optional<QDateTime> tryFormats(const QString& text, const QStringList& formats) {
    for (const QString& format : formats) {
        const QDateTime dateTime = QDateTime::fromString(text, format);
        if (dateTime.isValid())
            return windowed(dateTime, format);
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return windowed(QDateTime(date, QTime(0, 0)), format);
    }
    return std::nullopt;
}

QString fullYears(const QString& format) {
    return hasTwoDigitYear(format) ? QString(format).replace(u"yy"_s, u"yyyy"_s) : format;
}

// A locale whose short form has a two-digit year also accepts the full year
// typed in the same pattern (14.03.2026 as well as 14.03.26).
QStringList withFullYears(const QStringList& formats) {
    QStringList all;
    for (const QString& format : formats) {
        if (hasTwoDigitYear(format))
            all.append(fullYears(format));
        all.append(format);
    }
    return all;
}

} // namespace

std::optional<QDateTime> parse(const QString& raw) {
    const QString text = raw.simplified();
    if (text.isEmpty())
        return std::nullopt;
    const QLocale locale;
    QStringList formats{locale.dateFormat(QLocale::ShortFormat),
                        locale.dateFormat(QLocale::LongFormat),
                        locale.dateTimeFormat(QLocale::ShortFormat),
                        locale.dateTimeFormat(QLocale::LongFormat),
                        u"yyyy-MM-dd"_s,
                        u"yyyy-MM-dd HH:mm:ss"_s,
                        u"yyyy-MM-ddTHH:mm:ss"_s,
                        u"yyyy-MM-dd HH:mm"_s,
                        u"M/d/yyyy"_s,
                        u"M/d/yyyy h:mm:ss AP"_s,
                        u"M/d/yyyy h:mm AP"_s,
                        u"M/d/yyyy H:mm:ss"_s,
                        u"M/d/yyyy H:mm"_s};
    if (auto found = tryFormats(text, withFullYears(formats)))
        return found;
    return std::nullopt;
}

QStringList examples(const QDate& date) {
    const QLocale locale;
    QStringList forms{locale.toString(date, fullYears(locale.dateFormat(QLocale::ShortFormat))),
                      locale.toString(date, locale.dateFormat(QLocale::LongFormat)),
                      date.toString(u"yyyy-MM-dd"_s), date.toString(u"M/d/yyyy"_s)};
    forms.removeDuplicates();
    return forms;
}

QString toStorage(const QDateTime& value) {
    return StoredDate::of(value).text();
}

std::optional<QDateTime> fromStorage(const QVariant& stored) {
    if (const auto date = StoredDate::fromValue(stored))
        return date->dateTime();
    return std::nullopt;
}

QString toDisplay(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return {};
    const auto value = fromStorage(stored);
    if (!value)
        return stored.toString();
    // The short form with the whole year: a two-digit year would read back in
    // another century (2030 shown as "30" comes back as 1930).
    const QLocale locale;
    if (value->time() == QTime(0, 0))
        return locale.toString(value->date(), fullYears(locale.dateFormat(QLocale::ShortFormat)));
    return locale.toString(*value, fullYears(locale.dateTimeFormat(QLocale::ShortFormat)));
}

} // namespace OperatorDate
