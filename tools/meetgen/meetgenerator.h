#pragma once

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QVariantList>

// Makes up a whole meet: header, competition groups and levels, age groups,
// sessions with squads A-D and running orders, judges, gyms with their coaches
// and gymnasts. The same options always give the same meet.
namespace MeetGenerator {

struct Options {
    int gymnasts = 60;
    quint32 seed = 2026;
    bool scores = false; // fill in scores, as after the meet
};

// Rows per meet-data table, each row holding the stored values in column order.
using MeetRows = QHash<QString, QList<QVariantList>>;

MeetRows build(const Options& options);

// Writes the meet as a transfer file. False, with the reason, on a write error.
bool write(const MeetRows& meet, QIODevice* device, QString* error = nullptr);

} // namespace MeetGenerator
