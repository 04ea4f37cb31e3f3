#include "displaydispatch.h"

#include "db/meetevents.h"

DisplayDispatch::DisplayDispatch(const EventDisplayLoop::Collaborators& collaborators,
                                 const DisplayTimings& timings, QObject* parent)
    : QObject(parent) {
    for (int i = 0; i < 4; ++i)
        mLoops[i] =
            std::make_unique<EventDisplayLoop>(MeetEvents::names()[i], collaborators, timings);
}

EventDisplayLoop* DisplayDispatch::loop(const QString& event) const {
    const int number = MeetEvents::number(event);
    return number == 0 ? nullptr : mLoops[number - 1].get();
}

void DisplayDispatch::confirmScore(const QStringList& fields) {
    if (fields.size() < 3)
        return;
    if (EventDisplayLoop* target = loop(fields[2]))
        target->confirmScore(fields[1]);
}

void DisplayDispatch::startAll() {
    for (const auto& each : mLoops)
        each->start();
}

void DisplayDispatch::pauseAll() {
    for (const auto& each : mLoops)
        each->pause();
}

void DisplayDispatch::stopAll() {
    for (const auto& each : mLoops)
        each->stop();
}
