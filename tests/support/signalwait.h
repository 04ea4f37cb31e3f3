#pragma once

#include <QDeadlineTimer>
#include <QSignalSpy>

// Waits until `done()` holds, at most `timeoutMs`, waking on each `signal` of
// `sender` rather than on a timer; returns `done()`.
template <typename Sender, typename Signal, typename Done>
bool waitOnSignal(const Sender* sender, Signal signal, Done done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired()) {
        QSignalSpy spy(sender, signal);
        spy.wait(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return done();
}
