#pragma once

#include <QString>
#include <QVariant>

// The score as the scoreboard and the score boxes show it: three decimals.
// Judges often type a score without its point: up to four digits carry an
// implied point after the first one ("05" is 0.500, "953" is 9.530, "8125"
// is 8.125); five or more such digits are no score (empty). Two digits of 10
// or more stay a number ("95" is 95.000). Text that is no number gives the
// empty text.
QString formatScore(const QString& score);

// A score as three decimals; a value halfway between two thousandths rounds
// away from zero (9.1025 is 9.103), whatever binary noise it carries.
QString scoreText(double value);

// A Null database value counts as 0 (an integer); anything else is kept.
QVariant nullToZero(const QVariant& value);

// A stored value as stations read it: numbers in their shortest decimal form
// ("9.35", "10"), text as it is, Null as the empty text.
QString storedValueText(const QVariant& value);
