#include "scoreinquiries.h"

#include "db/dbtransaction.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "db/tables/gymnaststable.h"
#include "db/tables/scorehistorytable.h"
#include "db/tallvanesettings.h"
#include "scoreboard/queueentry.h"
#include "scoreboard/queuekey.h"

using namespace Qt::Literals::StringLiterals;

namespace {

ScoreHistoryTable::Entry operatorEntry(const QString& kind, const QString& num,
                                       const QString& event, const QString& time) {
    ScoreHistoryTable::Entry entry;
    entry.time = time;
    entry.kind = kind;
    entry.num = num;
    entry.event = event;
    entry.source = ScoreHistoryTable::Operator;
    return entry;
}

QString decisionNote(const QString& decision, const QString& reason) {
    return reason.trimmed().isEmpty() ? decision : decision + u": "_s + reason.trimmed();
}

} // namespace

ScoreInquiries::ScoreInquiries(MeetDatabase& db)
    : mDb(db) {}

bool ScoreInquiries::failed(const QString& error) {
    mError = error;
    return false;
}

int ScoreInquiries::timeLimitMinutes() {
    bool whole = false;
    const int minutes =
        TallvaneSettings(mDb).value(MinutesSetting).value_or(QString()).toInt(&whole);
    return whole && minutes > 0 ? minutes : DefaultMinutes;
}

bool ScoreInquiries::setTimeLimitMinutes(int minutes) {
    TallvaneSettings settings(mDb);
    return settings.setValue(MinutesSetting, QString::number(minutes))
               ? true
               : failed(settings.lastError());
}

std::optional<qint64> ScoreInquiries::minutesSinceShown(const QString& num, const QString& event,
                                                        const QDateTime& now) {
    ScoreBoardQueueTable queue(mDb);
    const auto row = queue.scoreOf(num, event, QueueEntry::TestGymnastName);
    if (!row || !*row || (*row)->status != QueueEntry::Sent)
        return std::nullopt;
    const QDateTime shown = queueTimeFromText((*row)->queueTime);
    if (!shown.isValid())
        return std::nullopt;
    return shown.secsTo(now) / 60;
}

std::optional<QVariant> ScoreInquiries::storedFinal(const QString& num, const QString& event) {
    const int number = MeetEvents::number(event);
    if (number < 1 || number > 4) {
        failed(u"There is no event \"%1\"."_s.arg(event));
        return std::nullopt;
    }
    GymnastsTable gymnasts(mDb);
    const auto found = gymnasts.beforeScore(num);
    if (!found) {
        failed(gymnasts.lastError());
        return std::nullopt;
    }
    if (!*found) {
        failed(u"There is no gymnast %1 in the meet."_s.arg(num));
        return std::nullopt;
    }
    return (*found)->finals[size_t(number - 1)];
}

bool ScoreInquiries::file(const QString& num, const QString& eventName, const QString& filedBy,
                          bool late, const QDateTime& now) {
    const QString event = MeetEvents::name(MeetEvents::number(eventName));
    if (filedBy.trimmed().isEmpty())
        return failed(u"Say who filed the inquiry."_s);
    DbTransaction transaction(mDb);
    if (!transaction.isActive())
        return failed(mDb.lastError());
    const std::optional<QVariant> final = storedFinal(num, eventName);
    if (!final)
        return false;
    if (final->isNull())
        return failed(u"Gymnast %1 has no %2 score to inquire about."_s.arg(num, event));
    ScoreInquiriesTable inquiries(mDb);
    const auto open = inquiries.openOf(num, event);
    if (!open)
        return failed(inquiries.lastError());
    if (*open)
        return failed(u"Gymnast %1's %2 score is under inquiry already (filed by %3)."_s.arg(
            num, event, (*open)->filedBy));
    const QString time = ScoreHistoryTable::timeText(now);
    if (!inquiries.file({num, event, filedBy.trimmed(), time, {}, {}, {}}))
        return failed(inquiries.lastError());
    ScoreHistoryTable history(mDb);
    ScoreHistoryTable::Entry entry = operatorEntry(ScoreHistoryTable::Inquiry, num, event, time);
    entry.before = entry.after = *final;
    entry.note = u"filed by "_s + filedBy.trimmed() +
                 (late ? u", past the time limit for inquiries"_s : QString());
    if (!history.append(entry))
        return failed(u"the score history could not be written: "_s + history.lastError());
    return transaction.commit() ? true : failed(mDb.lastError());
}

bool ScoreInquiries::decideScoreStands(const QString& num, const QString& eventName,
                                       const QString& reason, const QDateTime& now) {
    const QString event = MeetEvents::name(MeetEvents::number(eventName));
    DbTransaction transaction(mDb);
    if (!transaction.isActive())
        return failed(mDb.lastError());
    const std::optional<QVariant> final = storedFinal(num, eventName);
    if (!final)
        return false;
    const QString time = ScoreHistoryTable::timeText(now);
    ScoreInquiriesTable inquiries(mDb);
    if (!inquiries.decide(num, event, ScoreStands, time, reason.trimmed()))
        return failed(inquiries.lastError().isEmpty()
                          ? u"Gymnast %1's %2 score is not under inquiry."_s.arg(num, event)
                          : inquiries.lastError());
    ScoreHistoryTable history(mDb);
    ScoreHistoryTable::Entry entry = operatorEntry(ScoreHistoryTable::Decision, num, event, time);
    entry.before = entry.after = *final;
    entry.note = decisionNote(ScoreStands, reason);
    if (!history.append(entry))
        return failed(u"the score history could not be written: "_s + history.lastError());
    return transaction.commit() ? true : failed(mDb.lastError());
}

bool ScoreInquiries::decideByNewScore(MeetDatabase& db, ScoreHistoryTable& history,
                                      const QString& num, const QString& event,
                                      const QVariant& before, double after, const QString& reason,
                                      const QString& time, QString* error) {
    ScoreInquiriesTable inquiries(db);
    const auto open = inquiries.openOf(num, event);
    if (open && !*open)
        return true;
    if (!open || !inquiries.decide(num, event, NewScore, time, reason.trimmed())) {
        *error = u"the inquiry could not be decided: "_s + inquiries.lastError();
        return false;
    }
    ScoreHistoryTable::Entry entry = operatorEntry(ScoreHistoryTable::Decision, num, event, time);
    entry.before = before;
    entry.after = after;
    entry.note = decisionNote(NewScore, reason);
    if (!history.append(entry)) {
        *error = u"the score history could not be written: "_s + history.lastError();
        return false;
    }
    return true;
}
