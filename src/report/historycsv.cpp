#include "historycsv.h"

#include "csvtext.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

// A final as the meet shows it: three decimals; nothing for none.
QString finalText(const QVariant& value) {
    return value.isNull() ? QString() : QString::number(value.toDouble(), 'f', 3);
}

} // namespace

namespace HistoryCsv {

QStringList header() {
    QStringList names{u"seq"_s,    u"time"_s,  u"kind"_s,   u"num"_s, u"event"_s,
                      u"before"_s, u"after"_s, u"source"_s, u"note"_s};
    const QStringList attempt{u"j1"_s,    u"j2"_s,         u"j3"_s,    u"j4"_s,
                              u"start"_s, u"adjustment"_s, u"bscore"_s};
    names += attempt;
    for (const QString& name : attempt)
        names.append(u"vault2_"_s + name);
    names.append(u"message"_s);
    return names;
}

QByteArray render(const QList<ScoreHistoryTable::Entry>& entries) {
    CsvText csv;
    csv.addRow(header());
    for (const ScoreHistoryTable::Entry& entry : entries) {
        QStringList row{QString::number(entry.seq),
                        entry.time,
                        entry.kind,
                        entry.num,
                        entry.event,
                        finalText(entry.before),
                        finalText(entry.after),
                        entry.source,
                        entry.note};
        for (const ScoreHistoryTable::Attempt* attempt : {&entry.first, &entry.second})
            row += QStringList(attempt->cbegin(), attempt->cend());
        row.append(entry.message);
        csv.addRow(row);
    }
    return csv.toUtf8();
}

} // namespace HistoryCsv
