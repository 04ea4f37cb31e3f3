#include "scorestore.h"

#include "scoreinquiries.h"

#include "db/dbsavepoint.h"
#include "db/dbtransaction.h"
#include "db/meetevents.h"
#include "db/tables/gymnaststable.h"
#include "db/tables/scorehistorytable.h"
#include "formatscore.h"
#include "scoreboard/scorequeue.h"
#include "shell/numbertext.h"

#include <QDateTime>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<double> number(const QString& text) {
    return finiteNumber(text);
}

double asNumber(const QVariant& value) {
    return nullToZero(value).toDouble();
}

// Gathers the columns a score writes into a gymnast's row, refusing a
// non-empty value that is no number.
class RowUpdate {
public:
    // An empty text stores Null.
    void numberOrNull(const QString& column, const QString& text) {
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty())
            return set(column, QVariant());
        const std::optional<double> value = number(trimmed);
        if (!value) {
            if (mError.isEmpty())
                mError = u"the value \"%1\" for %2 is not a number"_s.arg(text, column);
            return;
        }
        set(column, *value);
    }
    void set(const QString& column, const QVariant& value) { mColumns.append({column, value}); }
    QString error() const { return mError; }
    const QList<std::pair<QString, QVariant>>& columns() const { return mColumns; }

private:
    QList<std::pair<QString, QVariant>> mColumns;
    QString mError;
};

// The Gymnasts columns of one attempt at an event, named once for every score.
struct AttemptColumns {
    QString final;
    QString start;
    QString adjustment;
    QString bScore;
    std::array<QString, SubmittedScore::MaxJudges> judges;
};

// Events 1 to 4 and the second vault.
const AttemptColumns& attemptColumns(int eventNumber) {
    static const auto named = [] {
        std::array<AttemptColumns, MeetEvents::SecondVault + 1> all;
        for (int event = 1; event < int(all.size()); ++event) {
            AttemptColumns& columns = all[size_t(event)];
            columns.final = MeetEvents::column(event, u"Final");
            columns.start = MeetEvents::column(event, u"Start");
            columns.adjustment = MeetEvents::column(event, u"Adj");
            columns.bScore = MeetEvents::column(event, u"BScore");
            for (int judge = 0; judge < SubmittedScore::MaxJudges; ++judge)
                columns.judges[size_t(judge)] =
                    MeetEvents::column(event, QString(u"S"_s + QString::number(judge + 1)));
        }
        return all;
    }();
    return named[size_t(eventNumber)];
}

// The event columns of a score, from its values as sent; the final as a
// number. Empty with `outcome.error` set when a value is no number or the
// event is unknown. A test score writes no columns.
std::optional<double> eventColumns(const SubmittedScore& score, RowUpdate& update,
                                   ScoreOutcome& outcome) {
    const int event = MeetEvents::number(score.event);
    if (event == 0) {
        outcome.error = u"\"%1\" is not an event"_s.arg(score.event);
        return std::nullopt;
    }
    const std::optional<double> final = number(score.finalText.trimmed());
    if (score.testScore)
        return final.value_or(0);
    if (!final) {
        outcome.error = u"the final score \"%1\" is not a number"_s.arg(score.finalText);
        return std::nullopt;
    }
    const bool vault = event == MeetEvents::Vault;
    const AttemptColumns& columns = attemptColumns(event);
    const AttemptColumns& secondVault = attemptColumns(MeetEvents::SecondVault);
    update.set(columns.final, *final);
    update.numberOrNull(columns.start, score.first.start);
    update.numberOrNull(columns.adjustment, score.first.adjustment);
    if (vault) {
        update.numberOrNull(secondVault.start, score.second.start);
        update.numberOrNull(secondVault.adjustment, score.second.adjustment);
    }
    update.numberOrNull(columns.bScore, score.first.bScore);
    if (vault) {
        // The second vault's panel score is informative only: one that is
        // no number is stored as Null rather than refusing the score.
        const std::optional<double> bScore = number(score.second.bScore);
        update.set(secondVault.bScore, bScore ? QVariant(*bScore) : QVariant());
    }
    for (int judge = 0; judge < SubmittedScore::MaxJudges; ++judge) {
        update.numberOrNull(columns.judges[size_t(judge)], score.first.judges[judge]);
        if (vault)
            update.numberOrNull(secondVault.judges[size_t(judge)], score.second.judges[judge]);
    }
    outcome.error = update.error();
    return outcome.error.isEmpty() ? final : std::nullopt;
}

// The all-around adds the other events' stored finals to the new one, and the
// all-around adjustment when it is a number.
double allAround(const GymnastsTable::BeforeScore& gymnast, int event, double final) {
    double total = final;
    for (int other = 1; other <= 4; ++other) {
        if (other != event)
            total += asNumber(gymnast.finals[size_t(other - 1)]);
    }
    bool adjustmentIsNumber = false;
    const double adjustment = nullToZero(gymnast.allAroundAdjustment).toDouble(&adjustmentIsNumber);
    return adjustmentIsNumber ? total + adjustment : total;
}

ScoreHistoryTable::Attempt attemptValues(const SubmittedScore::Attempt& attempt) {
    ScoreHistoryTable::Attempt values;
    std::copy(attempt.judges.cbegin(), attempt.judges.cend(), values.begin());
    values[SubmittedScore::MaxJudges] = attempt.start;
    values[SubmittedScore::MaxJudges + 1] = attempt.adjustment;
    values[SubmittedScore::MaxJudges + 2] = attempt.bScore;
    return values;
}

// The history's entry for a score, with the event's final before it.
ScoreHistoryTable::Entry historyEntry(const ScoreRequest& request, const QVariant& before,
                                      std::optional<double> after, const QString& time) {
    const SubmittedScore& score = request.score;
    ScoreHistoryTable::Entry entry;
    entry.time = time;
    entry.kind = request.secondary ? ScoreHistoryTable::Secondary
                 : score.testScore ? ScoreHistoryTable::Test
                 : before.isNull() ? ScoreHistoryTable::Score
                                   : ScoreHistoryTable::Correction;
    entry.num = score.num;
    entry.event = score.event;
    entry.before = before;
    if (after)
        entry.after = *after;
    entry.source = request.source;
    entry.note = request.note;
    if (!request.secondary) {
        entry.first = attemptValues(score.first);
        entry.second = attemptValues(score.second);
    }
    entry.message = request.message;
    return entry;
}

// A batch whose transaction is gone stores nothing: every score that was
// written in it is reported unstored.
void unstoreAll(QList<ScoreOutcome>& outcomes, const QString& error) {
    for (ScoreOutcome& outcome : outcomes) {
        if (outcome.stored || outcome.error.isEmpty()) {
            outcome.stored = false;
            outcome.error = error;
            outcome.toShow.reset();
        }
    }
}

} // namespace

ScoreStore::ScoreStore(MeetDatabase& db, ScoreQueue& queue, History history)
    : mDb(db)
    , mQueue(queue)
    , mHistory(history) {}

ScoreOutcome ScoreStore::store(const SubmittedScore& score, bool queueForScoreboard) {
    ScoreRequest request;
    request.score = score;
    request.queueForScoreboard = queueForScoreboard;
    request.source = ScoreHistoryTable::Operator;
    return store(QList<ScoreRequest>{request}).constFirst();
}

QList<ScoreOutcome> ScoreStore::store(const QList<ScoreRequest>& scores) {
    QList<ScoreOutcome> outcomes(scores.size());
    for (qsizetype i = 0; i < scores.size(); ++i) {
        const SubmittedScore& score = scores[i].score;
        outcomes[i].num = score.num;
        outcomes[i].event = score.event;
        outcomes[i].finalText = score.finalText;
        outcomes[i].testScore = score.testScore;
    }
    DbTransaction transaction(mDb);
    if (!transaction.isActive()) {
        unstoreAll(outcomes, mDb.lastError());
        return outcomes;
    }
    // The scores shown since the last commit are marked in this one.
    mQueue.writeShownMarks();
    // One statement and one time for the batch: its scores are committed together.
    ScoreHistoryTable history(mDb);
    BatchTime time;
    time.at = mQueue.now();
    time.historyText = ScoreHistoryTable::timeText(time.at);
    for (qsizetype i = 0; i < scores.size(); ++i) {
        if (write(scores[i], outcomes[i], history, time) == Written::TransactionLost) {
            const QString error =
                u"the database undid the whole transaction: "_s + outcomes[i].error;
            outcomes[i].error.clear();
            unstoreAll(outcomes, error);
            return outcomes;
        }
    }
    if (!transaction.commit())
        unstoreAll(outcomes, mDb.lastError());
    return outcomes;
}

ScoreStore::Written ScoreStore::write(const ScoreRequest& request, ScoreOutcome& outcome,
                                      ScoreHistoryTable& history, const BatchTime& time) {
    RowUpdate update;
    const std::optional<double> final =
        request.secondary ? std::optional<double>() : eventColumns(request.score, update, outcome);
    if (!final && !request.secondary)
        return Written::No;

    DbSavepoint savepoint(mDb);
    const auto failed = [&savepoint, &outcome](const QString& error) {
        outcome.error = error;
        return savepoint.undo() ? Written::No : Written::TransactionLost;
    };
    if (!savepoint.isActive())
        return failed(mDb.lastError());
    const auto recorded = [&](const QVariant& before, std::optional<double> after) {
        if (mHistory == History::LeftOut)
            return true;
        ScoreHistoryTable::Entry entry = historyEntry(request, before, after, time.historyText);
        return history.append(entry);
    };
    if (request.secondary) {
        if (!recorded({}, {}))
            return failed(u"the score history could not be written: "_s + history.lastError());
        if (!savepoint.release())
            return failed(mDb.lastError());
        outcome.stored = true;
        return Written::Yes;
    }
    GymnastsTable gymnasts(mDb);
    const auto found = gymnasts.beforeScore(outcome.num);
    if (!found)
        return failed(gymnasts.lastError());
    const GymnastsTable::BeforeScore gymnast = found->value_or(GymnastsTable::BeforeScore());
    outcome.unknownGymnast = !found->has_value();
    outcome.session = gymnast.session;
    if (!outcome.unknownGymnast)
        outcome.gymnastName = gymnast.firstName + u' ' + gymnast.lastName;

    if (!outcome.testScore) {
        const int event = MeetEvents::number(outcome.event);
        update.set(GymnastsTable::AA, allAround(gymnast, event, *final));
        if (event == MeetEvents::Vault)
            update.set(GymnastsTable::VaultForAllAround, *final);
        if (!gymnasts.storeScore(outcome.num, outcome.event, outcome.session, update.columns()))
            return failed(gymnasts.lastError());
    }
    const QVariant before = outcome.testScore || outcome.unknownGymnast
                                ? QVariant()
                                : gymnast.finals[size_t(MeetEvents::number(outcome.event) - 1)];
    if (!recorded(before, outcome.testScore ? number(outcome.finalText.trimmed()) : final))
        return failed(u"the score history could not be written: "_s + history.lastError());
    // The operator's new score decides the inquiry open against the old one.
    if (request.source == ScoreHistoryTable::Operator && !outcome.testScore &&
        !outcome.unknownGymnast) {
        QString error;
        if (!ScoreInquiries::decideByNewScore(mDb, history, outcome.num, outcome.event, before,
                                              *final, request.reason, time.historyText, &error))
            return failed(error);
    }
    if (request.queueForScoreboard) {
        const QString name = outcome.testScore ? QueueEntry::TestGymnastName : outcome.gymnastName;
        QString error;
        if (!mQueue.storeScore(outcome.num, name, outcome.event, formatScore(outcome.finalText),
                               false, time.at, &outcome.toShow, &error))
            return failed(error);
        // The operator holds the event's new scores for review.
        if (outcome.toShow && !outcome.testScore && mQueue.holdsNewScores(outcome.event) &&
            !mQueue.isHeld(outcome.num, outcome.event) &&
            !mQueue.holdStoredScore(*outcome.toShow, &error))
            return failed(error);
    }
    if (!savepoint.release())
        return failed(mDb.lastError());
    outcome.stored = true;
    return Written::Yes;
}
