#include "resultspdf.h"

#include "printedpages.h"
#include "printedresults.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qreal ScoreWidth = 54;
constexpr qreal AllAroundWidth = 64;
constexpr qreal PlaceWidth = 32;
constexpr qreal NumWidth = 32;
constexpr qreal GymWidth = 82;

QString placeText(const std::optional<int>& place) {
    return place ? QString::number(*place) : QString();
}

QString scoreWithPlace(const std::optional<double>& score, const std::optional<int>& place) {
    if (!score)
        return QString();
    const QString text = PrintedResults::scoreText(score);
    return place ? text + u" ("_s + QString::number(*place) + u')' : text;
}

// Per session, level and age division the gymnasts, then the teams of each level.
class ResultsPages {
public:
    ResultsPages(PrintedPages& pages, const PrintedResults& printed)
        : mPages(pages)
        , mPrinted(printed) {}

    void printSession(const PrintedResults::Session& session) {
        mPages.startPage(PrintedResults::sessionTitle(session));
        for (const QString& level : session.levels) {
            for (const SessionResults::Group& group : session.results->groups()) {
                if (group.level == level)
                    printGroup(group);
            }
            printTeams(level, session.results->teams(level, mPrinted.countingScores));
        }
        printInquiries(session.inquiries);
    }

private:
    QList<PrintedColumn> columns(const QString& num, const QString& name,
                                 const QString& gym) const {
        const qreal nameWidth = mPages.width() - PlaceWidth - NumWidth - GymWidth -
                                ResultColumns::AllAround * ScoreWidth - AllAroundWidth;
        QList<PrintedColumn> list{{u"Place"_s, PlaceWidth, Qt::AlignRight},
                                  {num, NumWidth, Qt::AlignRight},
                                  {name, nameWidth, Qt::AlignLeft},
                                  {gym, GymWidth, Qt::AlignLeft}};
        for (int column = 0; column < ResultColumns::Count; ++column)
            list.append({ResultColumns::name(column),
                         column == ResultColumns::AllAround ? AllAroundWidth : ScoreWidth,
                         Qt::AlignRight});
        return list;
    }

    void printGroup(const SessionResults::Group& group) {
        const QString title = PrintedResults::groupTitle(group);
        const QList<PrintedColumn> heads = columns(u"Num"_s, u"Gymnast"_s, u"Gym"_s);
        mPages.heading(title, heads);
        for (const GymnastResult& gymnast : group.gymnasts) {
            QStringList cells{placeText(gymnast.places[ResultColumns::AllAround]), gymnast.num,
                              gymnast.name(), gymnast.gym};
            for (int column = 0; column < ResultColumns::Count; ++column)
                cells.append(scoreWithPlace(gymnast.scores[column], gymnast.places[column]));
            mPages.tableRow(title, heads, cells);
        }
        mPages.skip(10);
    }

    void printTeams(const QString& level, const QList<TeamResult>& teams) {
        if (teams.isEmpty())
            return;
        SessionResults::Group levelOnly{level, QString(), {}};
        const QString title = u"Team standings - "_s + PrintedResults::groupTitle(levelOnly);
        const QList<PrintedColumn> heads = columns(QString(), u"Team"_s, QString());
        mPages.heading(title, heads);
        for (const TeamResult& team : teams) {
            QStringList cells{placeText(team.places[ResultColumns::AllAround]), QString(), team.gym,
                              QString()};
            for (int column = 0; column < ResultColumns::Count; ++column)
                cells.append(scoreWithPlace(team.scores[column], team.places[column]));
            mPages.tableRow(title, heads, cells);
        }
        mPages.skip(10);
    }

    // The session's appendix: every inquiry against its scores, open or decided.
    void printInquiries(const QList<ScoreInquiriesTable::Inquiry>& inquiries) {
        if (inquiries.isEmpty())
            return;
        const QString title = u"Appendix: inquiries"_s;
        const qreal time = 100;
        const QList<PrintedColumn> columns{
            {u"Num"_s, NumWidth + 8},
            {u"Event"_s, 40},
            {u"Filed by"_s, 80},
            {u"Filed"_s, time},
            {u"Decision"_s, 64},
            {u"Decided"_s, time},
            {u"Reason"_s, mPages.width() - NumWidth - 8 - 40 - 80 - 64 - 2 * time}};
        mPages.heading(title, columns);
        for (const ScoreInquiriesTable::Inquiry& inquiry : inquiries) {
            mPages.tableRow(title, columns,
                            {inquiry.num, inquiry.event, inquiry.filedBy, inquiry.filedAt.left(19),
                             inquiry.isOpen() ? u"Open"_s : inquiry.decision,
                             inquiry.decidedAt.left(19), inquiry.reason});
        }
        mPages.skip(10);
    }

    PrintedPages& mPages;
    const PrintedResults& mPrinted;
};

} // namespace

QByteArray ResultsPdf::render(const PrintedResults& printed, QString* error) {
    return PrintedPages::render(
        {printed.meetName, u"Results"_s, printed.printedAt, printed.paper},
        [&printed](PrintedPages& pages) {
            ResultsPages results(pages, printed);
            for (const PrintedResults::Session& session : printed.sessions)
                results.printSession(session);
        },
        error);
}
