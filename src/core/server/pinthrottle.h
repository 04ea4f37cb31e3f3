#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <limits>

// Keeps the four-digit station PIN from being found by trying every value.
//
// One address: after too many wrong PINs within a minute, its log-ins are
// refused without looking at the PIN for a while.
//
// All addresses together: more wrong PINs within a minute than a meet's
// mistyping explains mean someone is guessing, from as many addresses as they
// like. Until a minute passes without a wrong or refused PIN, the PINs of
// addresses that have not logged in before are looked at once in a while for
// all of them together, so the guesses checked stay few however many
// addresses send them; the others are refused unchecked. An address that has
// logged in with the right PIN (a judge's tablet that dropped its connection)
// is checked at once, so the judges keep working; a wrong PIN costs it that.
class PinThrottle {
public:
    // Milliseconds on a steady clock; tests pass their own.
    using Clock = std::function<qint64()>;

    static constexpr int MaxWrongPins = 5;
    static constexpr qint64 WindowMs = 60'000;
    static constexpr qint64 BlockMs = 60'000;
    static constexpr int MaxWrongPinsInAll = 5;
    static constexpr qint64 GuessCheckMs = 10'000;

    struct WrongPin {
        bool addressBlocked = false; // this one starts the address's block
        int guessingStarted = 0; // this one shows someone guessing: the wrong PINs in the minute
    };

    explicit PinThrottle(Clock clock = {});

    // Whether a log-in's PIN from `address` is to be looked at now. A check
    // granted to an address that has not logged in while someone is guessing
    // is the one such check of its turn.
    bool mayCheck(const QString& address);
    WrongPin recordWrongPin(const QString& address);
    // A right PIN forgets the address's earlier mistakes and trusts it.
    void recordSuccess(const QString& address);

    bool isGuessing() const { return now() < mGuessingUntil; }

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
    QSet<QString> mTrusted;
    QList<qint64> mWrongInAll; // times within the window, oldest first
    qint64 mGuessingUntil = std::numeric_limits<qint64>::min();
    qint64 mNextGuessCheck = 0;
};
