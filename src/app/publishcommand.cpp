#include "commands.h"
#include "filecommandarguments.h"
#include "usagetexts.h"

#include "db/meetdatabase.h"
#include "db/tables/currentsettingstable.h"
#include "db/tables/meetstable.h"
#include "web/resultsapi.h"
#include "web/resultssite.h"
#include "web/sitefolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString& message, int status = 1) {
    return failFileCommand("publish", message, status);
}

// The session the meet is on, as the server would announce it; empty when
// none was chosen yet.
QString currentSessionOf(MeetDatabase& db) {
    const auto current = CurrentSettingsTable(db).currentSession();
    return current && *current ? (*current)->id : QString();
}

} // namespace

// tallvane publish MEETFILE DIR [--session N]
int runPublishCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(u"MEETFILE"_s, u"The meet file."_s);
    parser.addPositionalArgument(u"DIR"_s, u"The folder of the results site."_s);
    UsageTexts::addOptions(parser, "publish");
    QStringList arguments = app.arguments();
    arguments.removeAt(1); // the command word
    if (!parser.parse(arguments))
        return fail(parser.errorText(), 2);
    if (parser.isSet(u"help"_s)) {
        std::fputs(UsageTexts::usageOf("publish"), stdout);
        return 0;
    }
    if (parser.positionalArguments().size() != 2)
        return fail(u"usage: "_s + UsageTexts::synopsis("publish"), 2);
    static const QRegularExpression number(u"^[1-9][0-9]{0,8}$"_s);
    const QString session = parser.value(u"session"_s);
    if (parser.isSet(u"session"_s) && !number.match(session).hasMatch())
        return fail(u"%1 is not a session number."_s.arg(session), 2);
    const QString meetFile = parser.positionalArguments().at(0);
    const QString folder = parser.positionalArguments().at(1);
    if (!QFileInfo(meetFile).isFile())
        return fail(u"the meet file %1 does not exist."_s.arg(meetFile));
    if (const QString problem = SiteFolder::problem(folder); !problem.isEmpty())
        return fail(problem);

    MeetDatabase db;
    if (!db.open(meetFile))
        return fail(db.lastError());
    const QString current = currentSessionOf(db);
    ResultsApi api(db, [current] { return current; });
    QList<SiteFile> files;
    QString error;
    if (!ResultsSite::pageFiles(files, &error) ||
        !ResultsSite::dataFiles(api, session, files, &error))
        return fail(error);
    files.append(ResultsSite::meetFile(MeetsTable(db).meetName().value_or(QString()),
                                       QDateTime::currentDateTimeUtc()));
    if (!SiteFolder::write(folder, files, &error))
        return fail(error);
    return 0;
}
