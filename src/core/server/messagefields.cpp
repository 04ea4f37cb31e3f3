#include "messagefields.h"

using namespace Qt::Literals::StringLiterals;

MessageFields::MessageFields(QStringView message) {
    qsizetype start = 0;
    for (qsizetype bar = message.indexOf(u'|'); bar >= 0; bar = message.indexOf(u'|', start)) {
        mFields.append(message.sliced(start, bar - start));
        start = bar + 1;
    }
    mFields.append(message.sliced(start));
}

QString MessageFields::text(qsizetype index) const {
    if (index < 0 || index >= mFields.size())
        return {};
    // An empty field is an empty text, never a null one.
    const QStringView field = mFields[index];
    return field.isEmpty() ? QString(u""_s) : field.toString();
}

QStringList MessageFields::toList() const {
    QStringList list;
    list.reserve(mFields.size());
    for (qsizetype i = 0; i < mFields.size(); ++i)
        list.append(text(i));
    return list;
}
