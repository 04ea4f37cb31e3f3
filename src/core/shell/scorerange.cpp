#include "scorerange.h"

#include "db/tallvanesettings.h"
#include "numbertext.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<double> numberOf(const QString& text) {
    return finiteNumber(text.trimmed());
}

} // namespace

ScoreRange ScoreRange::ofMeet(MeetDatabase& db, QString* error) {
    TallvaneSettings settings(db);
    const std::optional<QString> stored = settings.value(SettingName);
    if (!stored) {
        if (error)
            *error = settings.lastError();
        return ScoreRange();
    }
    const std::optional<double> maximum = parseMaximum(*stored);
    if (!maximum) {
        if (error)
            *error = u"the stored maximum score \"%1\" is no valid maximum"_s.arg(*stored);
        return ScoreRange();
    }
    if (error)
        error->clear();
    return ScoreRange(*maximum);
}

bool ScoreRange::store(MeetDatabase& db, double maximum, QString* error) {
    TallvaneSettings settings(db);
    if (settings.setValue(SettingName, ScoreRange(maximum).maximumText()))
        return true;
    if (error)
        *error = settings.lastError();
    return false;
}

std::optional<double> ScoreRange::parseMaximum(const QString& text) {
    const std::optional<double> value = numberOf(text);
    if (!value || *value <= 0 || *value > HighestMaximum)
        return std::nullopt;
    return value;
}

QString ScoreRange::maximumText() const {
    return QString::number(mMaximum, 'g', 15);
}

QString ScoreRange::problem(const QString& what, const QString& text) const {
    const std::optional<double> score = numberOf(text);
    if (!score || contains(*score))
        return {};
    const QString shown = QString::number(*score, 'f', 3);
    if (*score < 0)
        return u"%1: %2 is below 0."_s.arg(what, shown);
    return u"%1: %2 is above the maximum score of %3."_s.arg(what, shown, maximumText());
}
