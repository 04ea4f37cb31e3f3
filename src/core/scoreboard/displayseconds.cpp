#include "displayseconds.h"

using namespace Qt::Literals::StringLiterals;

const QStringList& DisplaySeconds::choices() {
    static const QStringList all{u"15"_s, u"20"_s, u"25"_s, u"30"_s, u"35"_s, u"40"_s,
                                 u"45"_s, u"55"_s, u"60"_s, u"65"_s, u"70"_s};
    return all;
}

bool DisplaySeconds::setCurrentText(const QString& text) {
    if (!choices().contains(text))
        return false;
    if (text != mCurrent) {
        mCurrent = text;
        Q_EMIT changed(text);
    }
    return true;
}
