#include "gymnastage.h"

int gymnastAge(const QVariant& birthday, const QDate& reference) {
    if (birthday.isNull())
        return 0;
    QDate born = birthday.toDate();
    if (!born.isValid())
        born = QDate::fromString(birthday.toString().left(10), Qt::ISODate);
    if (!born.isValid() || !reference.isValid())
        return 0;
    int years = reference.year() - born.year();
    if (reference.month() < born.month() ||
        (reference.month() == born.month() && reference.day() < born.day()))
        --years;
    return years;
}
