#include "commands.h"

#include "db/meetdatabase.h"
#include "db/tables/scorehistorytable.h"
#include "historycsv.h"
#include "reportfile.h"
#include "usagetexts.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString& message, int status = 1) {
    std::fprintf(stderr, "tallvane history: %s\n", qPrintable(message));
    return status;
}

} // namespace

// tallvane history MEETFILE [--num N] [--event E] [--session S] [--csv FILE]
int runHistoryCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    if (const auto settled =
            UsageTexts::parse(parser, app.arguments(), "history", u"The meet file."_s))
        return *settled;
    if (parser.positionalArguments().size() != 1)
        return fail(u"usage: "_s + UsageTexts::synopsis("history"), 2);

    // Read only: a meet file from before the history has none to print, and
    // gains it when it is next opened for a meet.
    MeetDatabase db;
    if (!db.open(parser.positionalArguments().constFirst()))
        return fail(db.lastError());
    ScoreHistoryTable history(db);
    const std::optional<bool> exists = history.exists();
    if (!exists)
        return fail(history.lastError());
    QList<ScoreHistoryTable::Entry> entries;
    if (*exists) {
        ScoreHistoryTable::Filter filter;
        filter.num = parser.value(u"num"_s);
        filter.event = parser.value(u"event"_s);
        filter.session = parser.value(u"session"_s);
        const auto found = history.entries(filter);
        if (!found)
            return fail(history.lastError());
        entries = *found;
    }
    const QByteArray csv = HistoryCsv::render(entries);
    if (!parser.isSet(u"csv"_s)) {
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        return 0;
    }
    QString error;
    if (!ReportFile::save({{parser.value(u"csv"_s), csv}}, &error))
        return fail(error);
    return 0;
}
