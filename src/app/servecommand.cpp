#include "commands.h"
#include "stopsignals.h"
#include "usagetexts.h"

#include "judging/meetserver.h"
#include "scoreboard/displayseconds.h"
#include "shell/appstate.h"
#include "shell/datafolder.h"
#include "shell/operatoralerts.h"
#include "shell/portnumber.h"
#include "web/meetwebpages.h"
#include "web/resultspublisher.h"
#include "web/sitefolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

void printLine(std::FILE* stream, const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stream);
    std::fflush(stream);
}

// Status 1 when serving failed, 2 when the command line was wrong.
int failWith(const QString& text, int status = 1) {
    printLine(stderr, u"tallvane serve: "_s + text);
    return status;
}

QString kindName(StationKind kind) {
    return kind == StationKind::Judge ? u"Judge station"_s : u"Score display"_s;
}

// --port, --web-port and --pin into `state`; what is wrong with them, or empty.
QString applyOptions(const QCommandLineParser& parser, AppState& state) {
    const std::pair<QString, void (AppState::*)(const QString&)> ports[] = {
        {u"port"_s, &AppState::setPortNumber}, {u"web-port"_s, &AppState::setWebPortNumber}};
    for (const auto& [name, setPort] : ports) {
        if (!parser.isSet(name))
            continue;
        const std::optional<quint16> port = portNumber(parser.value(name));
        if (!port)
            return u"%1 is not a port number."_s.arg(parser.value(name));
        (state.*setPort)(QString::number(*port));
    }
    if (parser.isSet(u"pin"_s))
        state.setPin(parser.value(u"pin"_s));
    return {};
}

// Each log-in and log-out as a line on standard output.
void printStationChanges(ScoringServer& server, QObject* context) {
    QObject::connect(&server, &ScoringServer::stationLoggedIn, context,
                     [](StationKind kind, const QString& entry) {
                         printLine(stdout, kindName(kind) + u" logged in: "_s + entry);
                     });
    QObject::connect(&server, &ScoringServer::stationLoggedOut, context,
                     [](StationKind kind, const QString& entry) {
                         printLine(stdout, kindName(kind) + u" logged out: "_s + entry);
                     });
}

// The display time asked for on the command line, or what is wrong with it.
QString displaySecondsProblem(const QCommandLineParser& parser) {
    const QString text = parser.value(u"display-seconds"_s);
    if (!parser.isSet(u"display-seconds"_s) || DisplaySeconds::choices().contains(text))
        return {};
    return u"%1 is not a display time in seconds (one of %2)."_s.arg(
        text, DisplaySeconds::choices().join(u", "_s));
}

// --publish, --publish-every and --publish-command into `options`; what is
// wrong with them, or empty.
QString readPublishOptions(const QCommandLineParser& parser, ResultsPublisher::Options& options) {
    const bool every = parser.isSet(u"publish-every"_s);
    const bool command = parser.isSet(u"publish-command"_s);
    if (!parser.isSet(u"publish"_s))
        return every || command ? u"--publish-every and --publish-command need --publish DIR."_s
                                : QString();
    options.folder = parser.value(u"publish"_s);
    if (options.folder.isEmpty())
        return u"--publish needs the folder of the results site."_s;
    if (every) {
        bool ok = false;
        const int seconds = parser.value(u"publish-every"_s).toInt(&ok);
        if (!ok || seconds < 1)
            return u"%1 is not a number of seconds of 1 or more."_s.arg(
                parser.value(u"publish-every"_s));
        options.everySeconds = seconds;
    }
    options.command = parser.value(u"publish-command"_s);
    return {};
}

// Serves the open meet until a stop signal; the command's exit status.
int serveMeet(QCoreApplication& app, AppState& state, const QString& displaySeconds,
              const ResultsPublisher::Options& publishing) {
    MeetServer meet(state);
    if (!displaySeconds.isEmpty())
        meet.services().displaySeconds().setCurrentText(displaySeconds);
    QObject::connect(&meet.alerts(), &OperatorAlerts::alertRaised, &app,
                     [](const QString& text) { printLine(stderr, text); });
    printStationChanges(meet.server(), &app);

    MeetWebPages web(state, meet);
    std::optional<ResultsPublisher> publisher;
    if (!publishing.folder.isEmpty())
        publisher.emplace(state.meetDb(), web.results(), meet.server().currentSession(),
                          meet.alerts(), publishing);

    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&] {
        web.close();
        meet.shutdown();
        state.closeMeetFile();
        app.quit();
    });

    const ScoringServer::StartResult result = meet.start();
    if (!result.ok()) {
        const QString detail = result.detail.isEmpty() ? QString() : u" ("_s + result.detail + u')';
        state.closeMeetFile();
        return failWith(result.message + detail);
    }
    printLine(stdout,
              u"Listening on %1:%2"_s.arg(meet.server().address()).arg(meet.server().port()));
    // Without its web pages the meet still runs with its TCP stations.
    if (web.start()) {
        printLine(stdout, u"Web pages at "_s + web.address());
        printLine(stdout, u"Live results at "_s + web.resultsAddress());
    }
    if (publisher) {
        publisher->start();
        printLine(stdout, u"Publishing results to "_s + publishing.folder);
    }
    const int exitCode = app.exec();
    if (meet.isRunning()) {
        web.close();
        meet.shutdown();
        state.closeMeetFile();
    }
    return exitCode;
}

} // namespace

// The scoring server without windows: the same core, timers and database as
// the desktop program's server window.
int runServeCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The options are the ones the manual's command-line page gives `serve`:
    // a new option is described there (synopsis, the command's entry and
    // Options) and read here by its name.
    QCommandLineParser parser;
    if (const auto settled =
            UsageTexts::parse(parser, app.arguments(), "serve", u"The meet file to serve."_s))
        return *settled;
    if (parser.positionalArguments().size() != 1)
        return failWith(u"give exactly one meet file ("_s + UsageTexts::synopsis("serve") + u")."_s,
                        2);
    if (const QString wrong = displaySecondsProblem(parser); !wrong.isEmpty())
        return failWith(wrong, 2);
    ResultsPublisher::Options publishing;
    if (const QString wrong = readPublishOptions(parser, publishing); !wrong.isEmpty())
        return failWith(wrong, 2);
    const QString meetFile = parser.positionalArguments().constFirst();
    if (!QFileInfo(meetFile).isFile())
        return failWith(u"the meet file %1 does not exist."_s.arg(meetFile));
    if (!publishing.folder.isEmpty()) {
        if (const QString problem = SiteFolder::problem(publishing.folder); !problem.isEmpty())
            return failWith(problem);
    }

    const QString folder = DataFolder::location();
    QString error;
    if (!DataFolder::ensure(folder, &error))
        return failWith(error);
    AppState state(folder);
    if (!state.loadSettings(&error))
        printLine(stderr, u"tallvane serve: "_s + error);
    if (const QString wrong = applyOptions(parser, state); !wrong.isEmpty())
        return failWith(wrong, 2);
    if (!state.openMeetFile(meetFile, &error))
        return failWith(error);

    return serveMeet(app, state, parser.value(u"display-seconds"_s), publishing);
}
