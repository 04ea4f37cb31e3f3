#include "meetevents.h"

using namespace Qt::Literals::StringLiterals;

namespace MeetEvents {

const QStringList& names() {
    static const QStringList all{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};
    return all;
}

QString name(int eventNumber) {
    return names().value(eventNumber - 1);
}

int number(QStringView name) {
    const qsizetype index = names().indexOf(name);
    return index < 0 ? 0 : int(index) + 1;
}

QString column(int eventNumber, QStringView suffix) {
    return u'E' + QString::number(eventNumber) + suffix;
}

} // namespace MeetEvents
