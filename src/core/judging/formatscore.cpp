#include "formatscore.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

bool toNumber(const QString& text, double* value) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

QString threeDecimals(double value) {
    return QString::number(value, 'f', 3);
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
            return threeDecimals(value);
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
    return threeDecimals(value);
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
