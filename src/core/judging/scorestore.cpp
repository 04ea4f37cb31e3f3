#include "scorestore.h"

#include "db/dbsavepoint.h"
#include "db/dbtransaction.h"
#include "db/meetevents.h"
#include "db/tables/gymnaststable.h"
#include "formatscore.h"
#include "scoreboard/scorequeue.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
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
    const auto column = [event](QStringView suffix) {
        return MeetEvents::column(event, suffix);
    };
    const auto secondVault = [](QStringView suffix) {
        return MeetEvents::column(MeetEvents::SecondVault, suffix);
    };
    update.set(column(u"Final"), *final);
    update.numberOrNull(column(u"Start"), score.first.start);
    update.numberOrNull(column(u"Adj"), score.first.adjustment);
    if (vault) {
        update.numberOrNull(secondVault(u"Start"), score.second.start);
        update.numberOrNull(secondVault(u"Adj"), score.second.adjustment);
    }
    update.numberOrNull(column(u"BScore"), score.first.bScore);
    if (vault) {
        // The second vault's panel score is informative only: one that is
        // no number is stored as Null rather than refusing the score.
        const std::optional<double> bScore = number(score.second.bScore);
        update.set(secondVault(u"BScore"), bScore ? QVariant(*bScore) : QVariant());
    }
    for (int judge = 0; judge < SubmittedScore::MaxJudges; ++judge) {
        const QString suffix = u"S"_s + QString::number(judge + 1);
        update.numberOrNull(column(suffix), score.first.judges[judge]);
        if (vault)
            update.numberOrNull(secondVault(suffix), score.second.judges[judge]);
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

ScoreStore::ScoreStore(MeetDatabase& db, ScoreQueue& queue)
    : mDb(db)
    , mQueue(queue) {}

ScoreOutcome ScoreStore::store(const SubmittedScore& score, bool queueForScoreboard) {
    return store(QList<ScoreRequest>{{score, queueForScoreboard}}).constFirst();
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
    for (qsizetype i = 0; i < scores.size(); ++i) {
        if (write(scores[i], outcomes[i]) == Written::TransactionLost) {
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

ScoreStore::Written ScoreStore::write(const ScoreRequest& request, ScoreOutcome& outcome) {
    RowUpdate update;
    const std::optional<double> final = eventColumns(request.score, update, outcome);
    if (!final)
        return Written::No;

    DbSavepoint savepoint(mDb);
    const auto failed = [&savepoint, &outcome](const QString& error) {
        outcome.error = error;
        return savepoint.undo() ? Written::No : Written::TransactionLost;
    };
    if (!savepoint.isActive())
        return failed(mDb.lastError());
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
    if (request.queueForScoreboard) {
        const QString name = outcome.testScore ? QueueEntry::TestGymnastName : outcome.gymnastName;
        QString error;
        if (!mQueue.storeScore(outcome.num, name, outcome.event, formatScore(outcome.finalText),
                               false, &outcome.toShow, &error))
            return failed(error);
    }
    if (!savepoint.release())
        return failed(mDb.lastError());
    outcome.stored = true;
    return Written::Yes;
}
