#include "pinthrottle.h"

namespace {

// Addresses are few on a gym's network; beyond this many, stale ones are swept.
constexpr qsizetype SweepAbove = 1024;

} // namespace

PinThrottle::PinThrottle(Clock clock)
    : mClock(std::move(clock)) {
    mElapsed.start();
}

qint64 PinThrottle::now() const {
    return mClock ? mClock() : mElapsed.elapsed();
}

bool PinThrottle::isBlocked(const QString& address) {
    const auto found = mAddresses.constFind(address);
    return found != mAddresses.cend() && now() < found->blockedUntil;
}

bool PinThrottle::recordWrongPin(const QString& address) {
    const qint64 time = now();
    if (mAddresses.size() > SweepAbove)
        forgetStale(time);
    Record& record = mAddresses[address];
    if (time < record.blockedUntil)
        return false;
    while (!record.wrongPins.isEmpty() && record.wrongPins.first() <= time - WindowMs)
        record.wrongPins.removeFirst();
    record.wrongPins.append(time);
    if (record.wrongPins.size() < MaxWrongPins)
        return false;
    record.wrongPins.clear();
    record.blockedUntil = time + BlockMs;
    return true;
}

void PinThrottle::forgetStale(qint64 time) {
    mAddresses.removeIf([time](const QHash<QString, Record>::iterator& it) {
        const bool recent = !it->wrongPins.isEmpty() && it->wrongPins.last() > time - WindowMs;
        return time >= it->blockedUntil && !recent;
    });
}
