#pragma once

#include "meettable.h"

#include <QList>
#include <QString>

#include <optional>

class MeetDatabase;

// The ScoreInquiries table: the inquiries filed against gymnasts' scores, by
// gymnast number and event, with who filed each and when, and, once the meet
// referee has decided, the decision, when and why. An event of a gymnast has
// at most one open inquiry. Tallvane's own table: the transfer file never
// carries it. Failures come back as false or std::nullopt with the reason in
// lastError().
class ScoreInquiriesTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("ScoreInquiries");

    struct Inquiry {
        QString num;
        QString event;
        QString filedBy;
        QString filedAt;  // as the score history writes times
        QString decision; // empty while the inquiry is open
        QString decidedAt;
        QString reason;

        bool isOpen() const { return decision.isEmpty(); }
        bool operator==(const Inquiry&) const = default;
    };

    explicit ScoreInquiriesTable(MeetDatabase& db);

    // Adds the table to a meet file that lacks it (inside the caller's transaction).
    bool ensure();

    // Files an inquiry; false with lastError() when the event has one open already.
    bool file(const Inquiry& inquiry);
    // Closes the open inquiry of the event; false, with an empty lastError(),
    // when none is open.
    bool decide(const QString& num, const QString& event, const QString& decision,
                const QString& decidedAt, const QString& reason);
    // The open inquiry of the event, if any.
    std::optional<std::optional<Inquiry>> openOf(const QString& num, const QString& event);
    // Every inquiry, open and decided, in the order they were filed; of the
    // gymnasts of one session only when `session` is given. Empty for a meet
    // file without the table.
    std::optional<QList<Inquiry>> all(const QString& session = {});

private:
    std::optional<bool> exists();
};
