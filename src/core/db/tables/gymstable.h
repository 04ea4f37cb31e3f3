#pragma once

#include "meettable.h"

#include <QList>
#include <QString>

#include <optional>

class MeetDatabase;

// The Gyms table: the clubs the gymnasts come from, by their id. Every
// statement on the table is here. Failures come back as std::nullopt with
// the reason in lastError().
class GymsTable : public MeetTable {
public:
    struct Gym {
        qint64 id = 0;
        QString shortName;
        QString officialName;
    };

    explicit GymsTable(MeetDatabase& db);

    // By official name, letter case ignored.
    std::optional<QList<Gym>> all();
};
