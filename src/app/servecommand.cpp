#include "commands.h"
#include "followprimary.h"
#include "newerprimary.h"
#include "stopsignals.h"
#include "usagetexts.h"

#include "judging/meetserver.h"
#include "scoreboard/displayseconds.h"
#include "shell/appstate.h"
#include "shell/datafolder.h"
#include "shell/operatoralerts.h"
#include "shell/portnumber.h"
#include "web/meetwebpages.h"
#include "web/newerprimarywatch.h"
#include "web/replicafollower.h"
#include "web/replicasource.h"
#include "web/resultspublisher.h"
#include "web/sitefolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonObject>

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
    // A standby may follow this meet over the web port.
    ReplicaSource replicas(state, meet, web.web());
    QObject::connect(&replicas, &ReplicaSource::standbyInStep, &app, [](const QString& address) {
        printLine(stdout, u"Standby at %1 is in step"_s.arg(address));
    });
    // A standby that went on alone while this server was out of its sight
    // serves the meet now: this one stops.
    NewerPrimaryWatch newerPrimary(state.meetDb(), replicas);
    QObject::connect(
        &newerPrimary, &NewerPrimaryWatch::newerPrimaryFound, &app, [&](const QString& address) {
            printLine(stderr, u"tallvane serve: %1 took this meet over and serves it "
                              "now; this server stops. To follow it: tallvane "
                              "serve MEETFILE --follow %1 --operator-pin PIN"_s.arg(address));
            web.close();
            meet.shutdown();
            state.closeMeetFile();
            app.exit(1);
        });
    newerPrimary.start();

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

// What the command line asks of a standby, or what is wrong with it.
std::optional<FollowRequest> followRequest(const QCommandLineParser& parser,
                                           const QString& meetFile, QString* wrong) {
    FollowRequest request;
    request.meetFile = meetFile;
    request.primary = QUrl(parser.value(u"follow"_s));
    request.operatorPin = parser.value(u"operator-pin"_s);
    request.force = parser.isSet(u"force"_s);
    if (!ReplicaFollower::streamUrl(request.primary).isValid()) {
        *wrong = u"%1 is not the address of a Tallvane's web pages (http://HOST:PORT/)."_s.arg(
            parser.value(u"follow"_s));
        return std::nullopt;
    }
    if (request.operatorPin.isEmpty()) {
        *wrong = u"--follow needs the primary's operator PIN (--operator-pin PIN)."_s;
        return std::nullopt;
    }
    if (parser.isSet(u"take-over-after"_s)) {
        bool ok = false;
        request.takeOverAfterSeconds = parser.value(u"take-over-after"_s).toInt(&ok);
        if (!ok || request.takeOverAfterSeconds < 1) {
            *wrong = u"%1 is not a number of seconds."_s.arg(parser.value(u"take-over-after"_s));
            return std::nullopt;
        }
    }
    const std::pair<QString, std::optional<quint16>*> ports[] = {{u"port"_s, &request.stationPort},
                                                                 {u"web-port"_s, &request.webPort}};
    for (const auto& [name, port] : ports) {
        if (parser.isSet(name))
            *port = portNumber(parser.value(name));
    }
    return request;
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
    std::optional<FollowRequest> follow;
    if (parser.isSet(u"follow"_s)) {
        QString wrong;
        follow = followRequest(parser, meetFile, &wrong);
        if (!follow)
            return failWith(wrong, 2);
    } else if (parser.isSet(u"take-over-after"_s) || parser.isSet(u"force"_s)) {
        return failWith(u"--take-over-after and --force are for a standby (--follow)."_s, 2);
    } else if (!QFileInfo(meetFile).isFile()) {
        return failWith(u"the meet file %1 does not exist."_s.arg(meetFile));
    }
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
    if (follow) {
        const FollowOutcome outcome = followPrimary(app, *follow);
        if (!outcome.takeOver)
            return outcome.exitCode;
        printLine(stdout, u"Taking over from "_s + ReplicaFollower::primaryText(follow->primary));
        StandbyFollow::adoptSettings(outcome.meet, state, parser.isSet(u"pin"_s),
                                     parser.isSet(u"port"_s), parser.isSet(u"web-port"_s));
    }
    if (!state.openMeetFile(meetFile, &error))
        return failWith(error);
    if (follow) {
        if (const QString wrong = StandbyFollow::raiseEpoch(state); !wrong.isEmpty())
            printLine(stderr, u"tallvane serve: "_s + wrong);
    } else if (const QString newer = newerPrimaryOf(app, state); !newer.isEmpty()) {
        state.closeMeetFile();
        return failWith(
            u"%1 took this meet over and serves it now; this copy is out of date. To "
            "follow it: tallvane serve %2 --follow %1 --operator-pin PIN"_s.arg(newer, meetFile));
    }

    return serveMeet(app, state, parser.value(u"display-seconds"_s), publishing);
}
