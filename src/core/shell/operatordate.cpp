#include "operatordate.h"

#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace OperatorDate {

namespace {

std::optional<QDateTime> tryFormats(const QString& text, const QStringList& formats) {
    for (const QString& format : formats) {
        const QDateTime dateTime = QDateTime::fromString(text, format);
        if (dateTime.isValid())
            return dateTime;
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return QDateTime(date, QTime(0, 0));
    }
    return std::nullopt;
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
    if (auto found = tryFormats(text, formats))
        return found;
    return std::nullopt;
}

QString toStorage(const QDateTime& value) {
    if (value.time() == QTime(0, 0))
        return value.date().toString(u"yyyy-MM-dd"_s);
    return value.toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

std::optional<QDateTime> fromStorage(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return std::nullopt;
    const QString text = stored.toString().trimmed();
    for (const QString& format :
         {u"yyyy-MM-dd HH:mm:ss"_s, u"yyyy-MM-ddTHH:mm:ss"_s, u"yyyy-MM-dd HH:mm"_s}) {
        const QDateTime dateTime = QDateTime::fromString(text, format);
        if (dateTime.isValid())
            return dateTime;
    }
    const QDate date = QDate::fromString(text, u"yyyy-MM-dd"_s);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    return std::nullopt;
}

QString toDisplay(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return {};
    const auto value = fromStorage(stored);
    if (!value)
        return stored.toString();
    const QLocale locale;
    if (value->time() == QTime(0, 0))
        return locale.toString(value->date(), QLocale::ShortFormat);
    return locale.toString(*value, QLocale::ShortFormat);
}

} // namespace OperatorDate
