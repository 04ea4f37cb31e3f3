#include "storeddate.h"

using namespace Qt::Literals::StringLiterals;

std::optional<StoredDate> StoredDate::parse(const QString& stored) {
    const QString text = stored.trimmed();
    const QDate date = QDate::fromString(text.left(10), u"yyyy-MM-dd"_s);
    if (!date.isValid())
        return std::nullopt;
    if (text.size() == 10)
        return StoredDate{date};
    if (text.size() < 16 || (text[10] != u' ' && text[10] != u'T'))
        return std::nullopt;
    const QTime time = QTime::fromString(text.mid(11), Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return StoredDate{date, time};
}

std::optional<StoredDate> StoredDate::fromValue(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return std::nullopt;
    return parse(stored.toString());
}

QString StoredDate::text() const {
    const QString day = date.toString(u"yyyy-MM-dd"_s);
    if (time == QTime(0, 0))
        return day;
    return day + u' ' + time.toString(u"HH:mm:ss"_s);
}
