#pragma once

#include <QList>
#include <QString>

class MeetDatabase;

// A choice of a drop-down list that stands for a row: its text and its id.
struct IdChoice {
    qint64 id = 0;
    QString text;
};

// The lists of the meet that the console's drop-down lists offer. Each returns an
// empty list when the meet file cannot be read.
namespace MeetChoices {

// Every Level of Levels in level order (a level of several events is listed
// once per event, as the meet-management program keeps it).
QStringList levels(MeetDatabase& db);
// Every session number in number order.
QStringList sessionNumbers(MeetDatabase& db);
// Every gym's official name in name order, carrying its gymid.
QList<IdChoice> gyms(MeetDatabase& db);
// The age groups of one level ("" for every level) by lowest age, carrying ageid.
QList<IdChoice> ageDivisions(MeetDatabase& db, const QString& level);
// "A", "B", "C", "D".
QStringList squads();

} // namespace MeetChoices
