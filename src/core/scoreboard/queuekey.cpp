#include "queuekey.h"

#include "db/storeddate.h"

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate DayZero(1899, 12, 30);
const QString StoredFormat = u"yyyy-MM-dd HH:mm:ss"_s;
} // namespace

QString queueKey(const QDateTime& queueTime) {
    const qint64 day = DayZero.daysTo(queueTime.date());
    const int seconds = queueTime.time().msecsSinceStartOfDay() / 1000;
    const qint64 fraction = qRound64(double(seconds) * 10000000.0 / 86400.0);
    return QString::number(day) + u"%1"_s.arg(fraction, 7, 10, QChar(u'0'));
}

QString queueTimeText(const QDateTime& queueTime) {
    return queueTime.toString(StoredFormat);
}

QDateTime queueTimeFromText(const QString& text) {
    const auto stored = StoredDate::parse(text);
    return stored ? stored->dateTime() : QDateTime();
}
