#include "resultscsv.h"

#include "csvtext.h"

#include "printedresults.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

QString place(const std::optional<int>& place) {
    return place ? QString::number(*place) : QString();
}

void appendScores(QStringList& row, const ResultScores& scores, const ResultPlaces& places) {
    for (int column = 0; column < ResultColumns::Count; ++column) {
        row.append(PrintedResults::scoreText(scores[column]));
        row.append(place(places[column]));
    }
}

} // namespace

QByteArray ResultsCsv::render(const PrintedResults& printed) {
    QStringList header{u"Session"_s, u"Level"_s, u"Division"_s, u"Kind"_s,
                       u"Num"_s,     u"Name"_s,  u"Gym"_s};
    for (int column = 0; column < ResultColumns::Count; ++column)
        header << ResultColumns::name(column) << ResultColumns::name(column) + u" Place"_s;
    CsvText csv;
    csv.addRow(header);

    for (const PrintedResults::Session& session : printed.sessions) {
        for (const QString& level : session.levels) {
            for (const SessionResults::Group& group : session.results->groups()) {
                if (group.level != level)
                    continue;
                for (const GymnastResult& gymnast : group.gymnasts) {
                    QStringList row{session.id,  level,          group.division, u"Gymnast"_s,
                                    gymnast.num, gymnast.name(), gymnast.gym};
                    appendScores(row, gymnast.scores, gymnast.places);
                    csv.addRow(row);
                }
            }
            for (const TeamResult& team : session.results->teams(level, printed.countingScores)) {
                QStringList row{session.id, level,    QString(), u"Team"_s,
                                QString(),  team.gym, team.gym};
                appendScores(row, team.scores, team.places);
                csv.addRow(row);
            }
        }
    }
    return csv.toUtf8();
}
