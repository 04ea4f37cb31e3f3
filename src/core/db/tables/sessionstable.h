#pragma once

#include "meettable.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

class MeetDatabase;

// The Sessions table: one row per session of the meet, named by its number.
// Every statement on the table is here; an edit is recorded with the meet's
// changes. Failures come back as false or std::nullopt with the reason in
// lastError().
class SessionsTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("Sessions");

    struct Entry {
        QString number;
        QString description;
    };
    enum class Order { Number, Description };

    // What the operator edits of a session.
    struct Details {
        QString number;
        QString description;
        QVariant date; // as stored
        QString openWarmup;
        QString timedWarmup;
        QString marchIn;
        QString awards;
    };

    explicit SessionsTable(MeetDatabase& db);

    std::optional<QList<Entry>> all(Order order = Order::Number);
    // Empty optional inside when there is no such session.
    std::optional<std::optional<Entry>> entry(const QString& number);
    std::optional<std::optional<Details>> details(const QString& number);
    bool save(const Details& edited);
};
