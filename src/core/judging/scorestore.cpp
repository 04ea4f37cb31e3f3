#include "scorestore.h"

#include "db/dbtransaction.h"
#include "db/meetevents.h"
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

// Builds the UPDATE of one gymnast's row from column = value pairs, refusing
// a non-empty value that is no number.
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
    void set(const QString& column, const QVariant& value) {
        mAssignments.append(column + u" = ?"_s);
        mValues.append(value);
    }
    QString error() const { return mError; }
    bool execute(MeetDatabase& db, const QString& num) {
        QVariantList values = mValues;
        values.append(num);
        return db.execute(
            u"UPDATE Gymnasts SET "_s + mAssignments.join(u", "_s) + u" WHERE Num = ?"_s, values);
    }

private:
    QStringList mAssignments;
    QVariantList mValues;
    QString mError;
};

} // namespace

ScoreStore::ScoreStore(MeetDatabase& db, ScoreQueue& queue)
    : mDb(db)
    , mQueue(queue) {}

ScoreOutcome ScoreStore::store(const SubmittedScore& score, bool queueForScoreboard) {
    RowUpdate update;
    ScoreOutcome outcome;
    outcome.num = score.num;
    outcome.event = score.event;
    outcome.finalText = score.finalText;
    const int event = MeetEvents::number(outcome.event);
    if (event == 0) {
        outcome.error = u"\"%1\" is not an event"_s.arg(outcome.event);
        return outcome;
    }
    const bool vault = event == 1;
    outcome.testScore = score.testScore;

    const std::optional<double> final = number(outcome.finalText.trimmed());
    if (!final && !outcome.testScore) {
        outcome.error = u"the final score \"%1\" is not a number"_s.arg(outcome.finalText);
        return outcome;
    }

    const auto column = [event](QStringView suffix) {
        return MeetEvents::column(event, suffix);
    };
    const auto secondVault = [](QStringView suffix) {
        return MeetEvents::column(MeetEvents::SecondVault, suffix);
    };
    if (!outcome.testScore) {
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
        if (!update.error().isEmpty()) {
            outcome.error = update.error();
            return outcome;
        }
    }

    DbTransaction transaction(mDb);
    if (!transaction.isActive()) {
        outcome.error = mDb.lastError();
        return outcome;
    }
    const DbRows gymnast = mDb.select(
        u"SELECT First_Name, Last_Name, Session, AAAdj, E1Final, E2Final, E3Final, E4Final "
        "FROM Gymnasts WHERE Num = ? LIMIT 1"_s,
        {outcome.num});
    if (!gymnast.ok()) {
        outcome.error = gymnast.error();
        return outcome;
    }
    outcome.unknownGymnast = gymnast.isEmpty();
    outcome.session = gymnast.text(0, u"Session"_s);
    const QString name = outcome.unknownGymnast ? QString()
                                                : gymnast.text(0, u"First_Name"_s) + u' ' +
                                                      gymnast.text(0, u"Last_Name"_s);

    if (!outcome.testScore) {
        // The all-around adds the other events' stored finals to the new one;
        // the vault that counts for it is kept in E7AAFinal.
        double allAround = *final;
        for (int other = 1; other <= 4; ++other) {
            if (other != event)
                allAround += asNumber(gymnast.value(0, MeetEvents::column(other, u"Final")));
        }
        bool adjustmentIsNumber = false;
        const double adjustment =
            nullToZero(gymnast.value(0, u"AAAdj"_s)).toDouble(&adjustmentIsNumber);
        if (adjustmentIsNumber)
            allAround += adjustment;
        update.set(u"AA"_s, allAround);
        if (vault)
            update.set(u"E7AAFinal"_s, *final);
        if (!update.execute(mDb, outcome.num)) {
            outcome.error = mDb.lastError();
            return outcome;
        }
    }

    if (queueForScoreboard) {
        QString error;
        if (!mQueue.storeScore(outcome.num, outcome.testScore ? QueueEntry::TestGymnastName : name,
                               outcome.event, formatScore(outcome.finalText), false,
                               &outcome.toShow, &error)) {
            outcome.error = error;
            return outcome;
        }
    }
    if (!transaction.commit()) {
        outcome.error = mDb.lastError();
        outcome.toShow.reset();
        return outcome;
    }
    outcome.stored = true;
    return outcome;
}
