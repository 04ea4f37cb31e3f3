#include "pinthrottle.h"

namespace {

// Addresses are few on a gym's network; beyond this many, stale ones are swept.
constexpr qsizetype SweepAbove = 1024;

void dropOlderThan(QList<qint64>& times, qint64 start) {
    while (!times.isEmpty() && times.first() <= start)
        times.removeFirst();
}

} // namespace

PinThrottle::PinThrottle(Clock clock)
    : mClock(std::move(clock)) {
    mElapsed.start();
}

qint64 PinThrottle::now() const {
    return mClock ? mClock() : mElapsed.elapsed();
}

bool PinThrottle::mayCheck(const QString& address) {
    const qint64 time = now();
    const auto found = mAddresses.constFind(address);
    if (found != mAddresses.cend() && time < found->blockedUntil)
        return false;
    if (time >= mGuessingUntil || mTrusted.contains(address))
        return true;
    if (time >= mNextGuessCheck) {
        mNextGuessCheck = time + GuessCheckMs;
        return true;
    }
    // Each refused guess keeps the guard up.
    mGuessingUntil = time + WindowMs;
    return false;
}

PinThrottle::WrongPin PinThrottle::recordWrongPin(const QString& address) {
    const qint64 time = now();
    WrongPin result;
    mTrusted.remove(address);

    dropOlderThan(mWrongInAll, time - WindowMs);
    mWrongInAll.append(time);
    if (time < mGuessingUntil) {
        mGuessingUntil = time + WindowMs;
    } else if (mWrongInAll.size() > MaxWrongPinsInAll) {
        mGuessingUntil = time + WindowMs;
        mNextGuessCheck = time + GuessCheckMs;
        result.guessingStarted = int(mWrongInAll.size());
    }

    if (mAddresses.size() > SweepAbove)
        forgetStale(time);
    Record& record = mAddresses[address];
    if (time < record.blockedUntil)
        return result;
    dropOlderThan(record.wrongPins, time - WindowMs);
    record.wrongPins.append(time);
    if (record.wrongPins.size() >= MaxWrongPins) {
        record.wrongPins.clear();
        record.blockedUntil = time + BlockMs;
        result.addressBlocked = true;
    }
    return result;
}

void PinThrottle::recordSuccess(const QString& address) {
    mAddresses.remove(address);
    mTrusted.insert(address);
}

void PinThrottle::forgetStale(qint64 time) {
    mAddresses.removeIf([time](const QHash<QString, Record>::iterator& it) {
        const bool recent = !it->wrongPins.isEmpty() && it->wrongPins.last() > time - WindowMs;
        return time >= it->blockedUntil && !recent;
    });
}
