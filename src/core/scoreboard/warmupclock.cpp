#include "warmupclock.h"

#include "displayconnections.h"
#include "queuegridmodel.h"
#include "scoreboardmessages.h"

using namespace Qt::Literals::StringLiterals;

WarmupClock::WarmupClock(DisplayConnections& displays, StationLink& link,
                         const QueueGridModel& queue, QObject* parent)
    : QObject(parent)
    , mDisplays(displays)
    , mLink(link)
    , mQueue(queue) {}

const QStringList& WarmupClock::durations() {
    static const QStringList all{u"02:00"_s, u"05:00"_s, u"10:00"_s, u"15:00"_s,
                                 u"20:00"_s, u"25:00"_s, u"30:00"_s};
    return all;
}

bool WarmupClock::setDuration(const QString& text) {
    if (!durations().contains(text))
        return false;
    mDuration = text;
    return true;
}

QString WarmupClock::sendWarmupTime() {
    if (mQueue.hasScores())
        return QueueNotEmpty;
    QString error;
    if (mDisplays.send(mLink, ScoreboardMessages::startWarmup(mDuration), &error,
                       DisplayConnections::List::ReadAgain) < 0)
        return u"The warm-up clock could not be started: "_s + error;
    return {};
}

QString WarmupClock::sendWarmupStop() {
    QString error;
    if (mDisplays.send(mLink, ScoreboardMessages::stopWarmup(), &error,
                       DisplayConnections::List::ReadAgain) < 0)
        return u"The warm-up clock could not be stopped: "_s + error;
    return {};
}

QString WarmupClock::timeOfDayDigits(const QTime& time) {
    return time.toString(u"HHmmss"_s);
}
