#pragma once

#include "gymnastresult.h"
#include "judging/agedivisions.h"

#include <QList>
#include <QString>

class MeetDatabase;

// The results of one session: its gymnasts who are not scratched, grouped by
// level and age division (the groups that receive awards) and placed within
// their group per event and for the all-around, and the team scores of each
// level.
class SessionResults {
public:
    static constexpr int DefaultCountingScores = 3;

    // The gymnasts of one level and age division, best all-around first,
    // those without one after them in number order.
    struct Group {
        QString level;
        QString division;
        QList<GymnastResult> gymnasts;
    };

    // Reads and places the session. False, with the reason, when the meet file
    // cannot be read. A session without gymnasts has no groups.
    bool read(MeetDatabase& db, const QString& session, QString* error = nullptr);

    QString session() const { return mSession; }
    const QList<Group>& groups() const { return mGroups; }
    // Every gymnast of the session, group by group.
    QList<GymnastResult> gymnasts() const;
    // The meet's age groups as the session was read with them.
    const AgeDivisions& divisions() const { return mDivisions; }
    // The session's levels in the groups' order.
    QStringList levels() const;

    // The teams of one level, best team all-around first: per event the sum of
    // the `counting` best finals of each gym's gymnasts (fewer when the gym has
    // fewer), the team all-around the sum of the four. Gymnasts without a gym
    // form no team.
    QList<TeamResult> teams(const QString& level, int counting = DefaultCountingScores) const;

private:
    void placeGroups(QList<GymnastResult> gymnasts, const QList<int>& divisionOrder);

    QString mSession;
    QList<Group> mGroups;
    AgeDivisions mDivisions;
};
