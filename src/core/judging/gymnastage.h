#pragma once

#include <QDate>
#include <QVariant>

// A gymnast's age in whole years on `reference`: the year difference, one
// less when the birthday has not come yet that year (a 29 February birthday
// counts from 1 March in other years). A birthday that is no date gives 0.
int gymnastAge(const QVariant& birthday, const QDate& reference);
