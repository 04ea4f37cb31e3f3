#pragma once

#include "resultscolumns.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// One gymnast of a session who is not scratched, with her finals, all-around
// and places within her level and age division.
struct GymnastResult {
    QString num;
    QString firstName;
    QString lastName;
    qint64 gymId = 0;
    QString gym; // the gym's short name
    QString level;
    QString squad;
    QVariant order;    // her place in her squad's running order, as stored
    QVariant birthday; // as stored
    QString division;  // empty when she falls in no age division, or the meet awards none
    ResultScores scores;
    ResultPlaces places;
    // The events whose score is held for review: it counts in no place, and
    // neither does the all-around it is part of.
    QStringList review;
    // The events whose score is under inquiry: it counts as it stands until
    // the meet referee decides.
    QStringList inquiry;

    QString name() const { return firstName + u' ' + lastName; }
};

// One gym's team in a session and level: per event the sum of its best
// finals, the team all-around the sum of the four, and the places.
struct TeamResult {
    qint64 gymId = 0;
    QString gym;
    ResultScores scores;
    ResultPlaces places;
};
