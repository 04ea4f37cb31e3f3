#pragma once

#include "db/tables/scoreinquiriestable.h"
#include "results/sessionresults.h"
#include "shell/papersize.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

class MeetDatabase;

// What a printed or exported results list holds: the meet, when it was
// printed, and one or more sessions, each narrowed to one level or whole.
struct PrintedResults {
    struct Session {
        QString id;
        QString description;
        std::shared_ptr<const SessionResults> results;
        QStringList levels; // the levels printed, in order
        // The inquiries against printed gymnasts' scores, open and decided.
        QList<ScoreInquiriesTable::Inquiry> inquiries;
    };

    QString meetName;
    QDateTime printedAt;
    PaperSize::Size paper = PaperSize::Size::A4;
    int countingScores = SessionResults::DefaultCountingScores;
    QList<Session> sessions;

    // Gathers the results of one session (every session for an empty `session`),
    // of one level when `level` is given, for the paper chosen in the settings. False, with the
    // reason, when the meet file cannot be read, the session is not in the meet or nothing is left
    // to print.
    static bool gather(MeetDatabase& db, const QString& session, const QString& level,
                       PrintedResults& printed, QString* error);

    // "Session 2 - Saturday PM"; the description alone when it starts with
    // the session's number ("Session 2 - Saturday PM" again, not "Session 2 -
    // Session 2 - Saturday PM").
    static QString sessionTitle(const Session& session);
    // "Level 4 - Junior", or "Level 4" for gymnasts of no age division.
    static QString groupTitle(const SessionResults::Group& group);
    // Three decimals; the empty text for no score.
    static QString scoreText(const std::optional<double>& score);
};
