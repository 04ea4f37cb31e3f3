#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class MeetDatabase;

// The age divisions of a meet: which age group of her level a gymnast falls
// in, by the rule of the Results tab's division filter. A group is either a
// range of ages, counted as calendar years between the birth year and the
// year the meet starts, or a range of birth dates (both ends included,
// open-ended without an end date). Where groups overlap, the one with the
// lowest age wins. A meet that does not use age divisions has none.
class AgeDivisions {
public:
    struct Division {
        QString name;  // empty: no age division
        int order = 0; // the groups' order by lowest age; no division comes last
    };

    // False, with the reason, when the meet file cannot be read.
    bool load(MeetDatabase& db, QString* error = nullptr);

    Division of(const QString& level, const QVariant& birthday) const;

    // A stored date ("YYYY-MM-DD", maybe with a time); invalid for Null or no date.
    static QDate storedDate(const QVariant& value);

private:
    struct Group {
        QString level;
        QString name;
        QVariant lowAge, highAge; // Null: no bound
        QDate from, to;           // valid from: a range of birth dates
    };

    bool contains(const Group& group, const QDate& birthday) const;

    QList<Group> mGroups;
    QDate mMeetStart;
};
