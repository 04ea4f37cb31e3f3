#pragma once

#include "meettable.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <memory>
#include <optional>

class MeetDatabase;
class SqliteStatement;

// The ScoreHistory table: every change of a stored score, appended in the
// transaction of the change and never changed or removed (the engine refuses
// both). It is the meet's record for the meet referee: who changed which
// score, when, from what to what. Tallvane's own table: the transfer file
// never carries it. Failures come back as false or std::nullopt with the
// reason in lastError().
class ScoreHistoryTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("ScoreHistory");

    // What an entry records.
    static inline const QString Score = QStringLiteral("score");           // a first final
    static inline const QString Correction = QStringLiteral("correction"); // over a stored final
    static inline const QString Test = QStringLiteral("test"); // tries the displays; stores nothing
    static inline const QString Secondary = QStringLiteral("secondary"); // a judge's own score
    static inline const QString Removal = QStringLiteral("removal"); // out of the scoreboard queue
    static inline const QString Hold = QStringLiteral("hold");       // kept off the displays
    static inline const QString Release = QStringLiteral("release"); // let go to the displays
    static inline const QString Inquiry = QStringLiteral("inquiry"); // an inquiry filed
    static inline const QString Decision = QStringLiteral("decision"); // an inquiry decided
    // Who made a change that came from no station.
    static inline const QString Operator = QStringLiteral("operator");

    // The judges' scores (1 to 4), start value, adjustment and B score of one
    // attempt, as they were sent.
    static constexpr int AttemptValues = 7;
    using Attempt = std::array<QString, AttemptValues>;

    struct Entry {
        qint64 seq = 0; // set when appended
        QString time;   // local time to the millisecond, see timeText()
        QString kind;
        QString num;
        QString event;
        QVariant before; // the event's final before the change; Null when none
        QVariant after;  // and after it
        // "operator", or the station: event, judge number and name, address
        // and whether it came over TCP or from a browser.
        QString source;
        QString note;
        Attempt first;
        Attempt second;  // Vault only: the second vault
        QString message; // a station's message as it was sent
    };

    // Which entries to read; empty texts take every one.
    struct Filter {
        QString num;
        QString event;
        QString session; // gymnasts of that session
        QString kind;
    };

    explicit ScoreHistoryTable(MeetDatabase& db);
    ~ScoreHistoryTable();
    ScoreHistoryTable(const ScoreHistoryTable&) = delete;
    ScoreHistoryTable& operator=(const ScoreHistoryTable&) = delete;

    // The text of a time as entries keep it: "yyyy-MM-dd HH:mm:ss.zzz".
    static QString timeText(const QDateTime& time);

    // Adds the table to a meet file that lacks it (inside the caller's
    // transaction); a table that is there but is not the history as Tallvane
    // writes it is reported, never replaced.
    bool ensure();
    // Whether the meet file holds a history at all (older files do not, until
    // they are opened for a meet).
    std::optional<bool> exists();

    // Appends one entry with one prepared statement, kept for the life of this
    // object, and sets its seq.
    bool append(Entry& entry);

    // Entries in the order they were made; with `afterSeq`, only those made
    // after that entry.
    std::optional<QList<Entry>> entries(const Filter& filter, qint64 afterSeq = 0);
    // The seq of the newest entry; 0 while there is none.
    std::optional<qint64> lastSeq();

private:
    std::shared_ptr<SqliteStatement> mInsert;
};
