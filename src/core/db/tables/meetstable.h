#pragma once

#include "meettable.h"

#include <QString>
#include <QVariant>

#include <optional>

class MeetDatabase;

// The Meets table: its one row is the meet's header. Every statement on the
// table is here; a change is recorded with the meet's changes (a new start
// date changes every session's results: ages count from it). Failures come
// back as false or std::nullopt with the reason in lastError().
class MeetsTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("Meets");

    struct Header {
        QString name;
        QString facility;
        QString address1;
        QString address2;
        QString city;
        QString state;
        QString zip;
        QString phone;
        QString fax;
        QVariant startDate; // as stored
        QVariant endDate;
        QVariant numJudges;
        QString director;
        bool useAgeDivisions = false;
        QString proNumber;
        QString sanction;
    };

    // What the operator changes of the header; dates as stored.
    struct Edit {
        QVariant startDate;
        QVariant endDate;
        std::optional<int> numJudges; // kept when empty
    };
    enum class Saved { Yes, NoMeet, Failed };

    explicit MeetsTable(MeetDatabase& db);

    // Empty optional inside when the file holds no meet header.
    std::optional<std::optional<Header>> header();
    // The meet's name; empty without a header.
    std::optional<QString> meetName();
    Saved save(const Edit& edit);
};
