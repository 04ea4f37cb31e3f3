#pragma once

#include "db/tables/scoreinquiriestable.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

class MeetDatabase;
class ScoreHistoryTable;

// Inquiries against gymnasts' scores, as the operator records them for the
// meet referee: who filed one and when, and the decision, "Score stands" or a
// new score entered by hand, with its reason. Each step is stored together
// with its entry in the score history, in one transaction. An open inquiry
// marks the score "Under inquiry" on the results pages and in the queue; the
// score itself counts as it stands until it is decided.
class ScoreInquiries {
public:
    static inline const QString ScoreStands = QStringLiteral("Score stands");
    static inline const QString NewScore = QStringLiteral("New score");
    // The minutes after a score was shown within which an inquiry is expected,
    // unless the meet sets its own (TallvaneSettings, InquiryMinutes).
    static constexpr int DefaultMinutes = 10;
    static inline const QString MinutesSetting = QStringLiteral("InquiryMinutes");

    explicit ScoreInquiries(MeetDatabase& db);

    int timeLimitMinutes();
    bool setTimeLimitMinutes(int minutes);

    // Whole minutes since the gymnast's score for the event went to the
    // displays; std::nullopt when it has not been shown (or the queue cannot
    // be read).
    std::optional<qint64> minutesSinceShown(const QString& num, const QString& event,
                                            const QDateTime& now);

    // Files an inquiry against the stored score; refused, with lastError(),
    // for a gymnast or event without a score or one with an inquiry open.
    // `late` notes in the history that it came past the time limit.
    bool file(const QString& num, const QString& event, const QString& filedBy, bool late,
              const QDateTime& now);
    // The meet referee lets the score stand.
    bool decideScoreStands(const QString& num, const QString& event, const QString& reason,
                           const QDateTime& now);

    // The operator's new score for the event decides its open inquiry, if
    // one is open, inside the caller's transaction: the history gets the
    // decision with the finals before and after. False with `error` when it
    // could not be written.
    static bool decideByNewScore(MeetDatabase& db, ScoreHistoryTable& history, const QString& num,
                                 const QString& event, const QVariant& before, double after,
                                 const QString& reason, const QString& time, QString* error);

    QString lastError() const { return mError; }

private:
    bool failed(const QString& error);
    // The stored final of the event; a Null variant when there is none.
    std::optional<QVariant> storedFinal(const QString& num, const QString& event);

    MeetDatabase& mDb;
    QString mError;
};
