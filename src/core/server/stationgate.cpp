#include "stationgate.h"

#include <limits>

StationGate::StationGate(QObject* parent)
    : QObject(parent) {
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, &StationGate::closeLateOnes);
}

bool StationGate::admit(ConnectionId connection, const QString& address) {
    forget(connection);
    const int waiting = mWaitingPerAddress.value(address);
    if (waiting >= mMaxPerAddress) {
        if (!mRefusalsReported.contains(address)) {
            mRefusalsReported.insert(address);
            Q_EMIT addressRefused(address, waiting);
        }
        return false;
    }
    while (mWaiting.size() >= qMax(1, mMaxWaiting))
        letOldestGo();
    ++mWaitingPerAddress[address];
    mWaiting.insert(connection, {address, QDeadlineTimer(mLoginTimeoutMs), ++mAdmitted});
    // Deadlines come in order, unless the time limit was shortened meanwhile.
    if (!mTimer.isActive() || mTimer.remainingTime() > mLoginTimeoutMs)
        armTimer();
    return true;
}

void StationGate::letOldestGo() {
    auto oldest = mWaiting.cbegin();
    for (auto it = mWaiting.cbegin(); it != mWaiting.cend(); ++it) {
        if (it->order < oldest->order)
            oldest = it;
    }
    const ConnectionId connection = oldest.key();
    forget(connection);
    if (!mShareFullReported) {
        mShareFullReported = true;
        Q_EMIT shareFull(mMaxWaiting);
    }
    Q_EMIT oldestLetGo(connection);
}

void StationGate::noteLeft() {
    if (mWaiting.size() <= mMaxWaiting / 2)
        mShareFullReported = false;
}

void StationGate::loggedIn(ConnectionId connection) {
    forget(connection);
    noteLeft();
}

void StationGate::closed(ConnectionId connection) {
    forget(connection);
    noteLeft();
}

void StationGate::clear() {
    mWaiting.clear();
    mWaitingPerAddress.clear();
    mRefusalsReported.clear();
    mShareFullReported = false;
    mTimer.stop();
}

void StationGate::forget(ConnectionId connection) {
    const auto found = mWaiting.constFind(connection);
    if (found == mWaiting.constEnd())
        return;
    const QString address = found->address;
    mWaiting.erase(found);
    if (--mWaitingPerAddress[address] <= 0)
        mWaitingPerAddress.remove(address);
    if (mWaitingPerAddress.value(address) < mMaxPerAddress)
        mRefusalsReported.remove(address);
}

void StationGate::closeLateOnes() {
    QList<ConnectionId> late;
    for (auto it = mWaiting.cbegin(); it != mWaiting.cend(); ++it) {
        if (it->deadline.hasExpired())
            late.append(it.key());
    }
    for (ConnectionId connection : late) {
        forget(connection);
        Q_EMIT loginTimedOut(connection);
    }
    noteLeft();
    armTimer();
}

void StationGate::armTimer() {
    if (mWaiting.isEmpty()) {
        mTimer.stop();
        return;
    }
    qint64 earliest = std::numeric_limits<qint64>::max();
    for (const Waiting& waiting : std::as_const(mWaiting))
        earliest = qMin(earliest, waiting.deadline.remainingTime());
    mTimer.start(int(qBound(qint64(0), earliest, qint64(mLoginTimeoutMs))));
}
