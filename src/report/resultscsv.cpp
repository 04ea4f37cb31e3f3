#include "resultscsv.h"

#include "printedresults.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

// A field in quotes when it holds a separator, a quote or a line break.
QString field(const QString& text) {
    static const QString special = u",\"\r\n"_s;
    for (const QChar c : text) {
        if (special.contains(c))
            return u'"' + QString(text).replace(u"\""_s, u"\"\""_s) + u'"';
    }
    return text;
}

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
    QStringList lines{header.join(u',')};
    auto addRow = [&lines](const QStringList& row) {
        QStringList fields;
        for (const QString& text : row)
            fields.append(field(text));
        lines.append(fields.join(u','));
    };

    for (const PrintedResults::Session& session : printed.sessions) {
        for (const QString& level : session.levels) {
            for (const SessionResults::Group& group : session.results->groups()) {
                if (group.level != level)
                    continue;
                for (const GymnastResult& gymnast : group.gymnasts) {
                    QStringList row{session.id,  level,          group.division, u"Gymnast"_s,
                                    gymnast.num, gymnast.name(), gymnast.gym};
                    appendScores(row, gymnast.scores, gymnast.places);
                    addRow(row);
                }
            }
            for (const TeamResult& team : session.results->teams(level, printed.countingScores)) {
                QStringList row{session.id, level,    QString(), u"Team"_s,
                                QString(),  team.gym, team.gym};
                appendScores(row, team.scores, team.places);
                addRow(row);
            }
        }
    }
    return (lines.join(u"\r\n"_s) + u"\r\n"_s).toUtf8();
}
