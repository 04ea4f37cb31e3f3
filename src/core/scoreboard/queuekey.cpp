#include "queuekey.h"

#include "db/storeddate.h"
#include "db/timestamptext.h"

#include <iterator>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate DayZero(1899, 12, 30);

// "yyyy-MM-dd HH:mm:ss" exactly, as queueTimeText() writes it, with a valid
// date and time; empty for anything else.
std::optional<QDateTime> writtenQueueTime(QStringView text) {
    static constexpr char16_t Form[] = u"dddd-dd-dd dd:dd:dd";
    constexpr qsizetype Length = std::size(Form) - 1;
    if (text.size() != Length)
        return std::nullopt;
    for (qsizetype i = 0; i < Length; ++i) {
        const char16_t c = text[i].unicode();
        if (Form[i] == u'd' ? (c < u'0' || c > u'9') : c != Form[i])
            return std::nullopt;
    }
    const auto digits = [text](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i)
            value = value * 10 + (text[i].unicode() - u'0');
        return value;
    };
    const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
    const QTime time(digits(11, 2), digits(14, 2), digits(17, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}
} // namespace

QString queueKey(const QDateTime& queueTime) {
    const qint64 day = DayZero.daysTo(queueTime.date());
    const int seconds = queueTime.time().msecsSinceStartOfDay() / 1000;
    const qint64 fraction = qRound64(double(seconds) * 10000000.0 / 86400.0);
    return QString::number(day) + u"%1"_s.arg(fraction, 7, 10, QChar(u'0'));
}

QString queueTimeText(const QDateTime& queueTime) {
    return timestampText(queueTime, false);
}

QDateTime queueTimeFromText(const QString& text) {
    // Every queue row this program wrote reads back by its digits alone; any
    // other form, or a date or time that is no valid one, is read in full.
    if (const std::optional<QDateTime> written = writtenQueueTime(text))
        return *written;
    const auto stored = StoredDate::parse(text);
    return stored ? stored->dateTime() : QDateTime();
}
