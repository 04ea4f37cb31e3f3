#include "eventdisplayloop.h"

#include "displayconnections.h"
#include "displayseconds.h"
#include "scoreboardmessages.h"
#include "scorequeue.h"
#include "shell/operatoralerts.h"

using namespace Qt::Literals::StringLiterals;

EventDisplayLoop::EventDisplayLoop(const QString& event, const Collaborators& collaborators,
                                   const DisplayTimings& timings, QObject* parent)
    : QObject(parent)
    , mEvent(event)
    , mCollaborators(collaborators)
    , mTimings(timings) {
    mDisplayTimer.setSingleShot(true);
    mWatchdog.setSingleShot(true);
    connect(&mDisplayTimer, &QTimer::timeout, this, [this] {
        if (mRunning)
            processQueue();
    });
    // No display confirmed: the score stands for its display time as if it
    // had been, then the oldest waiting score (perhaps the same) goes again.
    connect(&mWatchdog, &QTimer::timeout, this, [this] {
        armAfterShown(mOffered ? mOffered->displaySeconds
                               : mCollaborators.displaySeconds.seconds());
    });
    connect(&mCollaborators.queue, &ScoreQueue::shownMarkFailed, this,
            [this](const QueueEntry& entry, const QString& error) {
                if (entry.event.compare(mEvent, Qt::CaseInsensitive) == 0)
                    mCollaborators.alerts.raise(
                        u"Gymnast %1's %2 score could not be marked as shown: %3"_s.arg(
                            OperatorAlerts::stationValue(entry.num), mEvent, error));
            });
}

void EventDisplayLoop::setRunning(bool running) {
    if (running == mRunning)
        return;
    mRunning = running;
    Q_EMIT runningChanged(running);
}

void EventDisplayLoop::start() {
    setRunning(true);
    mDisplayTimer.start(mTimings.startDelayMs);
}

void EventDisplayLoop::pause() {
    setRunning(false);
    mDisplayTimer.stop();
}

void EventDisplayLoop::togglePause() {
    if (mRunning)
        pause();
    else
        start();
}

void EventDisplayLoop::stop() {
    mDisplayTimer.stop();
    mWatchdog.stop();
    mOffered.reset();
}

void EventDisplayLoop::armAfterShown(int displaySeconds) {
    mDisplayTimer.start(displaySeconds * mTimings.msPerDisplaySecond + mTimings.pauseAfterShownMs);
}

void EventDisplayLoop::processQueue() {
    mDisplayTimer.stop();
    if (!mRunning)
        return;
    QString error;
    std::optional<QueueEntry> next = mCollaborators.queue.nextWaiting(mEvent, &error);
    if (!error.isEmpty())
        mCollaborators.alerts.raise(
            u"The %1 scoreboard queue could not be read: %2"_s.arg(mEvent, error));
    if (!next) {
        mDisplayTimer.start(mTimings.idlePollMs);
        return;
    }
    // The displays are told the display time chosen now.
    next->displaySeconds = mCollaborators.displaySeconds.seconds();
    mWatchdog.start(mTimings.watchdogMs);
    const QString text = ScoreboardMessages::setScore(mEvent, *next);
    if (mCollaborators.displays.send(mCollaborators.link, text, &error) < 0)
        mCollaborators.alerts.raise(
            u"The %1 score could not be sent to the displays: %2"_s.arg(mEvent, error));
    mOffered = next;
    Q_EMIT scoreOffered(*next);
}

void EventDisplayLoop::confirmScore(const QString& num) {
    std::optional<QueueEntry> shown;
    const bool wasOffered = mOffered && mOffered->num == num;
    if (wasOffered) {
        shown = mOffered;
        mOffered.reset();
    } else if (mRecentlyShown.contains(num)) {
        return; // another display confirming a score already taken out
    } else {
        // A score this loop did not offer (from before a restart): it has
        // been shown all the same.
        QString error;
        shown = mCollaborators.queue.waitingRow(num, mEvent, &error);
        if (!error.isEmpty())
            mCollaborators.alerts.raise(
                u"Gymnast %1's %2 confirmation could not be matched: %3"_s.arg(
                    OperatorAlerts::stationValue(num), mEvent, error));
        if (!shown)
            return;
        shown->displaySeconds = mCollaborators.displaySeconds.seconds();
    }
    mCollaborators.queue.markShownSoon(*shown);
    // Displays answer in a round's time: a few scores back is far enough.
    constexpr qsizetype Remembered = 16;
    mRecentlyShown.removeOne(num);
    if (mRecentlyShown.size() >= Remembered)
        mRecentlyShown.removeFirst();
    mRecentlyShown.append(num);
    mShown = shown;
    Q_EMIT scoreShown(*shown);
    if (wasOffered || !mOffered) {
        mWatchdog.stop();
        armAfterShown(shown->displaySeconds);
    }
}
