#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>

// The pings of one WebSocket client over the last few seconds. Every ping is
// answered, by us or by the socket library: a client that pings more often
// than a live page would is cut off before the answers pile up.
class PingWindow {
public:
    static constexpr int MaxPings = 20;
    static constexpr int WindowMs = 10'000;

    PingWindow() { mClock.start(); }

    // Counts `pings` that came now; false once more than MaxPings came within
    // the window.
    bool take(int pings = 1);
    // Why such a client is cut off.
    static QString breach();

private:
    QElapsedTimer mClock;
    QList<qint64> mTimes; // of recent pings, oldest first
};
