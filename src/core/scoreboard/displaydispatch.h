#pragma once

#include "displaytimings.h"
#include "eventdisplayloop.h"

#include <QObject>

#include <array>
#include <memory>

// The four event loops feeding the score displays side by side, with the
// operator's pause / start of each and of all four.
class DisplayDispatch : public QObject {
    Q_OBJECT

public:
    DisplayDispatch(const EventDisplayLoop::Collaborators& collaborators,
                    const DisplayTimings& timings = {}, QObject* parent = nullptr);

    // Vault, Bars, Beam, Floor; nullptr for any other name.
    EventDisplayLoop* loop(const QString& event) const;
    EventDisplayLoop* loop(int index) const { return mLoops[index].get(); }

    // "CONFIRMSCORE": fields 1 gymnast number, 2 event name.
    void confirmScore(const QStringList& fields);

    void startAll();
    void pauseAll();
    // Server stop: every timer stops.
    void stopAll();

private:
    std::array<std::unique_ptr<EventDisplayLoop>, 4> mLoops;
};
