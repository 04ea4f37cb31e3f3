#include "gymnastage.h"

#include "db/storeddate.h"

int gymnastAge(const QVariant& birthday, const QDate& reference) {
    const auto stored = StoredDate::fromValue(birthday);
    if (!stored || !reference.isValid())
        return 0;
    const QDate born = stored->date;
    int years = reference.year() - born.year();
    if (reference.month() < born.month() ||
        (reference.month() == born.month() && reference.day() < born.day()))
        --years;
    return years;
}
