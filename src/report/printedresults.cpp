#include "printedresults.h"

#include "db/meetdatabase.h"
#include "db/tables/meetstable.h"
#include "judging/formatscore.h"
#include "results/resultsbook.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

bool failWith(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

bool PrintedResults::gather(MeetDatabase& db, const QString& session, const QString& level,
                            PrintedResults& printed, QString* error) {
    MeetsTable meets(db);
    const auto name = meets.meetName();
    if (!name)
        return failWith(error, meets.lastError());
    printed.meetName = *name;
    printed.printedAt = QDateTime::currentDateTime();
    printed.paper = PaperSize::current();
    printed.sessions.clear();

    ResultsBook book(db);
    QString readError;
    const QList<SessionEntry> sessions = book.sessions(&readError);
    if (!readError.isEmpty())
        return failWith(error, readError);
    for (const SessionEntry& entry : sessions) {
        if (!session.isEmpty() && entry.number != session.trimmed())
            continue;
        Session printedSession{
            entry.number, entry.description, book.session(entry.number, &readError), {}, {}};
        if (!printedSession.results)
            return failWith(error, readError);
        for (const QString& sessionLevel : printedSession.results->levels()) {
            if (level.isEmpty() || sessionLevel.compare(level.trimmed(), Qt::CaseInsensitive) == 0)
                printedSession.levels.append(sessionLevel);
        }
        ScoreInquiriesTable inquiries(db);
        const auto asked = inquiries.all(entry.number);
        if (!asked)
            return failWith(error, inquiries.lastError());
        QSet<QString> printedNums;
        for (const SessionResults::Group& group : printedSession.results->groups()) {
            if (printedSession.levels.contains(group.level)) {
                for (const GymnastResult& gymnast : group.gymnasts)
                    printedNums.insert(gymnast.num);
            }
        }
        for (const ScoreInquiriesTable::Inquiry& inquiry : *asked) {
            if (printedNums.contains(inquiry.num))
                printedSession.inquiries.append(inquiry);
        }
        if (!printedSession.levels.isEmpty() || (session.isEmpty() && level.isEmpty()))
            printed.sessions.append(printedSession);
        else if (!session.isEmpty())
            return failWith(
                error, level.isEmpty()
                           ? u"Session %1 has no gymnasts."_s.arg(entry.number)
                           : u"Session %1 has no gymnasts of level %2."_s.arg(entry.number, level));
    }
    if (printed.sessions.isEmpty()) {
        if (!session.isEmpty())
            return failWith(error, u"The meet has no session %1."_s.arg(session));
        return failWith(error, level.isEmpty()
                                   ? u"The meet has no sessions."_s
                                   : u"No session has gymnasts of level %1."_s.arg(level));
    }
    return true;
}

QString PrintedResults::sessionTitle(const Session& session) {
    const QString title = u"Session "_s + session.id;
    const QString description = session.description.trimmed();
    if (description.isEmpty())
        return title;
    // Meets often describe a session by its number already ("Session 2 -
    // Saturday PM"); the number is then not said twice.
    const QString rest = description.mid(title.size());
    if (description.startsWith(title, Qt::CaseInsensitive) &&
        (rest.isEmpty() || !rest.front().isDigit()))
        return description;
    return title + u" - "_s + description;
}

QString PrintedResults::groupTitle(const SessionResults::Group& group) {
    const QString title = group.level.startsWith(u"Level"_s, Qt::CaseInsensitive)
                              ? group.level
                              : u"Level "_s + group.level;
    return group.division.isEmpty() ? title : title + u" - "_s + group.division;
}

QString PrintedResults::scoreText(const std::optional<double>& score) {
    return score ? ::scoreText(*score) : QString();
}
