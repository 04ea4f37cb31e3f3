#include "formatscore.h"

#include "shell/numbertext.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

bool toNumber(const QString& text, double* value) {
    const std::optional<double> number = finiteNumber(text);
    if (!number)
        return false;
    *value = *number;
    return true;
}

} // namespace

QString formatScore(const QString& score) {
    double value = 0;
    if (score.isEmpty() || !toNumber(score, &value))
        return {};
    if (value == 10)
        return u"10.000"_s;
    // Digits without a point, below 10 or three digits or more, were typed
    // without their point; only two digits of 10 or more are a number. A sign
    // or an exponent is no such short-hand.
    const bool digitsOnly =
        std::all_of(score.cbegin(), score.cend(), [](QChar c) { return c.isDigit(); });
    if (digitsOnly && (value < 10 || score.size() >= 3)) {
        switch (score.size()) {
        case 1:
            return scoreText(value);
        case 2:
            return score.left(1) + u'.' + score.mid(1, 1) + u"00"_s;
        case 3:
            return score.left(1) + u'.' + score.mid(1, 2) + u'0';
        case 4:
            return score.left(1) + u'.' + score.right(3);
        default:
            return {};
        }
    }
    return scoreText(value);
}

QString scoreText(double value) {
    // Sums of scores carry binary noise (9.1025 is stored as 9.10249999...):
    // a nudge far below a thousandth settles which side of the half it is on.
    const double thousandths = value * 1000;
    const double rounded = std::round(thousandths + (thousandths >= 0 ? 1e-6 : -1e-6));
    const double result = rounded / 1000;
    return QString::number(result == 0 ? 0.0 : result, 'f', 3);
}

QVariant nullToZero(const QVariant& value) {
    return value.isNull() ? QVariant(0) : value;
}

QString storedValueText(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}
