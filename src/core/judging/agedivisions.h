#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class MeetDatabase;

// The meet's age groups and the one rule that puts a gymnast in them, used
// wherever an age group is shown: the judges' gymnast answer, the manual
// entry window and the results. A group belongs to one level and is either a
// range of ages, counted as calendar years between the birth year and the
// year the meet starts (not the day it is asked), or a range of birth dates
// (both ends included, open-ended without an end date). Where groups of a
// level overlap, a gymnast's division is the one with the lowest age.
class AgeDivisions {
public:
    struct Division {
        QString name; // empty: no age division
        qint64 ageId = 0;
        int order = 0; // the groups' order by lowest age; no division comes last
    };

    struct Group {
        qint64 ageId = 0;
        QString level;
        QString name;
        QVariant lowAge, highAge; // Null: no bound
        QDate from, to;           // valid from: a range of birth dates

        bool byBirthDates() const { return from.isValid(); }
    };

    // False, with the reason, when the meet file cannot be read.
    bool load(MeetDatabase& db, QString* error = nullptr);

    // Whether the meet awards by age division (its "Use Age Divisions").
    bool used() const { return mUsed; }
    // The day ages are counted on; invalid when the meet has no start date.
    QDate meetStart() const { return mMeetStart; }

    // The division of a gymnast of `level` born on `birthday`.
    Division of(const QString& level, const QVariant& birthday) const;
    // Whether such a gymnast falls in `group`.
    bool contains(const Group& group, const QString& level, const QVariant& birthday) const;
    // The group with `ageId`, or null.
    const Group* group(qint64 ageId) const;

    // A stored date ("YYYY-MM-DD", maybe with a time); invalid for Null or no date.
    static QDate storedDate(const QVariant& value);

private:
    bool fallsIn(const Group& group, const QString& level, const QDate& birthday) const;

    QList<Group> mGroups;
    QDate mMeetStart;
    bool mUsed = true;
};
