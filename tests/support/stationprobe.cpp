#include "stationprobe.h"

#include "signalwait.h"

using namespace Qt::Literals::StringLiterals;

bool StationProbe::waitConnected(int timeoutMs) {
    waitOnSignal(
        this, &StationProbe::stateChanged,
        [this] { return isConnected() || state() == QAbstractSocket::UnconnectedState; },
        timeoutMs);
    return isConnected();
}

bool StationProbe::waitDisconnected(int timeoutMs) {
    return waitOnSignal(
        this, &StationProbe::stateChanged,
        [this] { return state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

void StationProbe::take(const QString& message) {
    if (message.startsWith(u"HEARTBEAT|"_s)) {
        ++mHeartbeatsSeen;
        if (mAnswerHeartbeats) {
            send(message);
            return;
        }
    }
    mMessages.append(message);
    Q_EMIT messageArrived(message);
}

QString StationProbe::next(int timeoutMs) {
    waitOnSignal(
        this, &StationProbe::messageArrived, [this] { return !mMessages.isEmpty(); }, timeoutMs);
    return mMessages.isEmpty() ? QString() : mMessages.takeFirst();
}

QString StationProbe::ask(const QString& text, int timeoutMs) {
    send(text);
    return next(timeoutMs);
}

QString StationProbe::loginJudge(const QString& event, const QString& judgeName, const QString& pin,
                                 const QString& mode, const QString& number) {
    if (!waitConnected())
        return {};
    return ask(u"JUDGEAUTH|%1|%2|%3|%4|%5"_s.arg(event, judgeName, pin, mode, number));
}

QString StationProbe::loginJudge(const QString& event, int number, const QString& pin) {
    return loginJudge(event, u"Judge %1"_s.arg(number), pin, u"1"_s, QString::number(number));
}

QString StationProbe::loginDisplay(const QString& name, const QString& pin, const QString& event) {
    if (!waitConnected())
        return {};
    return ask(u"DISPLAYAUTH|%1|%2|%3"_s.arg(name, pin, event));
}
