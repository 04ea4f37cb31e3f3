#include "timestamptext.h"

using namespace Qt::Literals::StringLiterals;

namespace {

void putDigits(char16_t*& at, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        at[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    at += width;
}

} // namespace

QString timestampText(const QDateTime& moment, bool withMilliseconds) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    // Years of other widths, and invalid moments, are Qt's to write.
    if (!moment.isValid() || !date.isValid() || !time.isValid() || date.year() < 1000 ||
        date.year() > 9999)
        return moment.toString(withMilliseconds ? u"yyyy-MM-dd HH:mm:ss.zzz"_s
                                                : u"yyyy-MM-dd HH:mm:ss"_s);
    QString text(withMilliseconds ? 23 : 19, Qt::Uninitialized);
    char16_t* at = reinterpret_cast<char16_t*>(text.data());
    putDigits(at, date.year(), 4);
    *at++ = u'-';
    putDigits(at, date.month(), 2);
    *at++ = u'-';
    putDigits(at, date.day(), 2);
    *at++ = u' ';
    putDigits(at, time.hour(), 2);
    *at++ = u':';
    putDigits(at, time.minute(), 2);
    *at++ = u':';
    putDigits(at, time.second(), 2);
    if (withMilliseconds) {
        *at++ = u'.';
        putDigits(at, time.msec(), 3);
    }
    return text;
}
