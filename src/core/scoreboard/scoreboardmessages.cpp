#include "scoreboardmessages.h"

#include "queueentry.h"

using namespace Qt::Literals::StringLiterals;

namespace ScoreboardMessages {

QString setScore(const QString& event, const QueueEntry& entry) {
    return u"SETSCORE|"_s + event + u'|' + entry.num + u'|' + entry.gymnastName + u'|' +
           entry.score + u'|' + QString::number(entry.displaySeconds * 1000) +
           (entry.corrected ? u"|1"_s : u"|0"_s);
}

QString startWarmup(const QString& duration) {
    return u"STARTTIMER|TIMEDWARMUP|"_s + duration;
}

QString stopWarmup() {
    return u"STOPTIMER|0"_s;
}

QByteArray adFile(QByteArrayView bytes) {
    return "RECEIVE_AD_FILE|" + bytes.toByteArray() + "/\\/\\ENDOFFILE/\\/\\";
}

} // namespace ScoreboardMessages
