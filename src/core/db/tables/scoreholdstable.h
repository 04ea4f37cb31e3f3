#pragma once

#include "meettable.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class MeetDatabase;

// The ScoreHolds table: the scores held for the meet referee's review, by
// gymnast number and event. A held score is stored and confirmed like any
// other, but goes to no display and counts in no place until it is released.
// Tallvane's own table: the transfer file never carries it. Failures come
// back as false or std::nullopt with the reason in lastError().
class ScoreHoldsTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("ScoreHolds");

    struct Held {
        QString num;
        QString event;
        QString since; // when it was held, as the score history writes times

        bool operator==(const Held&) const = default;
    };

    explicit ScoreHoldsTable(MeetDatabase& db);

    // Adds the table to a meet file that lacks it (inside the caller's transaction).
    bool ensure();

    // Holds the score; holding a held one again changes nothing.
    bool hold(const Held& held);
    // False, with an empty lastError(), when it was not held.
    bool release(const QString& num, const QString& event);
    // Every held score, oldest hold first; empty for a meet file without the table.
    std::optional<QList<Held>> all();
};
