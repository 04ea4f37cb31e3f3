#pragma once

#include "meettable.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class MeetDatabase;

// The Levels and Age Groups tables: what a gymnast competes in. Every
// statement on them is here. Failures come back as std::nullopt with the
// reason in lastError().
class DivisionTables : public MeetTable {
public:
    struct AgeGroup {
        qint64 ageId = 0;
        QString level;
        QString name;
        QVariant lowAge; // Null: no bound
        QVariant highAge;
        QVariant startDate; // birth dates, as stored
        QVariant endDate;
    };

    explicit DivisionTables(MeetDatabase& db);

    // By name, letter case ignored.
    std::optional<QStringList> levels();
    // By lowest age (those without one last), then first birth date and id;
    // with a level, only its groups (letter case ignored).
    std::optional<QList<AgeGroup>> ageGroups(const std::optional<QString>& level = {});
};
