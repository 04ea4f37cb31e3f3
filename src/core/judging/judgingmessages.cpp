#include "judgingmessages.h"

using namespace Qt::Literals::StringLiterals;

namespace JudgingMessages {

namespace {
const QString GymnastFoundPrefix = u"GYMNASTQUERYRESP|0|"_s;
}

QString scoreConfirmed() {
    return u"SCORECONFIRM|0"_s;
}

QString secondaryScore(const QString& num, const QString& score, const QString& secondVault) {
    return u"SECONDARYSCORE|"_s + num + u'|' + score + u'|' + secondVault;
}

QString gymnastFound(const QStringList& values) {
    return GymnastFoundPrefix + values.join(u'|');
}

QString gymnastNotFound(const QString& num) {
    return u"GYMNASTQUERYRESP|1|Gymnast "_s + num + u" not found"_s;
}

bool isGymnastFound(const QString& reply) {
    return reply.startsWith(GymnastFoundPrefix);
}

QString squadList(const QStringList& items) {
    QString text = u"SQUADLIST|"_s + QString::number(items.size()) + u'|';
    for (const QString& item : items)
        text += item + u'|';
    return text + u'0';
}

} // namespace JudgingMessages
