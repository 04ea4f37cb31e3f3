#pragma once

#include "results/gymnastresult.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct PrintedResults;

// The announcer's awards list: per award group (session, level and age
// division), per event and for the all-around, the places 1 to K in the order
// they are announced, the last awarded place first. Gymnasts with equal
// scores share a place, as on the results.
class AwardsList {
public:
    static constexpr int DefaultPlaces = 3;

    struct Award {
        int place = 0;
        GymnastResult gymnast;
        double score = 0;
    };
    // One event's (or the all-around's) awards within a group.
    struct Event {
        QString name; // "Vault" ... "Floor", "AA"
        QList<Award> awards;
    };
    struct Group {
        QString sessionId;
        QString sessionTitle;
        QString title; // "Level 4 - Junior"
        QString level;
        QString division;
        QList<Event> events;
    };

    // The awards of `printed` down to place `places` (1 or more).
    AwardsList(const PrintedResults& printed, int places);

    const QList<Group>& groups() const { return mGroups; }

    // On paper, each group's events one after the other; empty, with the
    // reason, when the PDF could not be made.
    QByteArray pdf(QString* error = nullptr) const;
    // One row per award, in announcing order.
    QByteArray csv() const;

private:
    const PrintedResults& mPrinted;
    QList<Group> mGroups;
};
