#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// Keeps the four-digit station PIN from being found by trying every value:
// after too many wrong PINs from one address within a minute, that address's
// log-ins are refused without looking at the PIN for a while.
class PinThrottle {
public:
    // Milliseconds on a steady clock; tests pass their own.
    using Clock = std::function<qint64()>;

    static constexpr int MaxWrongPins = 5;
    static constexpr qint64 WindowMs = 60'000;
    static constexpr qint64 BlockMs = 60'000;

    explicit PinThrottle(Clock clock = {});

    bool isBlocked(const QString& address);
    // Counts one wrong PIN. True when this one starts a block.
    bool recordWrongPin(const QString& address);
    // A right PIN forgets the address's earlier mistakes.
    void recordSuccess(const QString& address) { mAddresses.remove(address); }

private:
    struct Record {
        QList<qint64> wrongPins; // times within the window, oldest first
        qint64 blockedUntil = 0;
    };

    qint64 now() const;
    void forgetStale(qint64 now);

    Clock mClock;
    QElapsedTimer mElapsed;
    QHash<QString, Record> mAddresses;
};
