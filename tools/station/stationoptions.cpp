#include "stationoptions.h"

#include "shell/portnumber.h"

#include <QCommandLineParser>

using namespace Qt::Literals::StringLiterals;

namespace {

// The simulator's command line: its description, arguments and options.
struct Syntax {
    QCommandLineParser parser;
    const QCommandLineOption judge{u"judge"_s, u"Log in as a judge of EVENT."_s, u"EVENT"_s};
    const QCommandLineOption display{u"display"_s, u"Log in as score display NAME."_s, u"NAME"_s};
    const QCommandLineOption name{u"name"_s, u"The judge's name (default: Judge NUMBER)."_s,
                                  u"NAME"_s};
    const QCommandLineOption pin{u"pin"_s, u"The station PIN."_s, u"PIN"_s};
    const QCommandLineOption delay{
        u"confirm-delay"_s, u"Display: milliseconds before confirming a score."_s, u"MS"_s, u"0"_s};
    const QCommandLineOption line{u"line-mode"_s, u"End every message with a line feed."_s};
    const QCommandLineOption web{
        u"web"_s, u"Connect as a browser station does: a WebSocket at ws://HOST:PORT/station "
                  "(PORT is then the web port)."_s};
    const QCommandLineOption silent{u"no-heartbeat"_s, u"Do not answer heartbeats."_s};
    const QCommandLineOption script{u"script"_s, u"Send the lines of FILE."_s, u"FILE"_s};
    const QCommandLineOption battery{
        u"battery"_s,
        u"With --web: report a battery of N percent after the log-in, as a pad does."_s, u"N"_s};
    const QCommandLineOption outbox{
        u"outbox"_s, u"With --web: report N scores waiting in the outbox after the log-in."_s,
        u"N"_s};
    const QCommandLineOption quit{u"quit-after"_s,
                                  u"Quit MS milliseconds after the last line was sent."_s, u"MS"_s};

    Syntax() {
        parser.setApplicationDescription(
            u"Station simulator for the Tallvane scoring server: logs in as a judge station or a "
            "score display, answers heartbeats, sends the lines typed (or of a script) and prints "
            "every message received with the time it came.\n\n"
            "Script lines starting with \"#wait MS\" pause; other lines starting with \"#\" are "
            "comments. Typed lines, script files and printed messages use the terminal's "
            "character set; on the wire they travel in Windows-1252."_s);
        parser.addHelpOption();
        parser.addPositionalArgument(
            u"HOST:PORT"_s,
            u"The scoring server; several separated by commas (the primary, then its "
            "standby) are tried in turn until one answers."_s,
            u"HOST:PORT[,HOST:PORT...]"_s);
        parser.addPositionalArgument(u"NUMBER|EVENT"_s,
                                     u"With --judge the judge number; with --display the event "
                                     "shown (default all)."_s,
                                     u"[NUMBER|EVENT]"_s);
        parser.addOptions(
            {judge, display, name, pin, delay, line, web, silent, script, quit, battery, outbox});
    }
};

// A count of milliseconds: a whole number, not negative.
bool readMilliseconds(const QString& text, int* ms) {
    bool ok = false;
    *ms = text.toInt(&ok);
    return ok && *ms >= 0;
}

// One HOST:PORT or several, separated by commas.
bool readServers(StationOptions& options, const QString& list, QString* error) {
    for (const QString& hostPort : list.split(u',')) {
        const qsizetype colon = hostPort.lastIndexOf(u':');
        const std::optional<quint16> number =
            colon > 0 ? portNumber(hostPort.mid(colon + 1)) : std::nullopt;
        if (!number || *number == 0) {
            *error = u"%1 is not HOST:PORT."_s.arg(hostPort);
            return false;
        }
        options.servers.append({hostPort.left(colon), *number});
    }
    return true;
}

// Judge, display or neither, with what each needs.
bool readRole(StationOptions& options, const Syntax& syntax, const QStringList& positional,
              QString* error) {
    const QCommandLineParser& parser = syntax.parser;
    if (parser.isSet(syntax.judge) && parser.isSet(syntax.display)) {
        *error = u"Choose --judge or --display, not both."_s;
        return false;
    }
    if (parser.isSet(syntax.judge)) {
        options.role = StationOptions::Role::Judge;
        options.event = parser.value(syntax.judge);
        if (positional.size() != 2) {
            *error = u"--judge EVENT needs the judge NUMBER after HOST:PORT."_s;
            return false;
        }
        options.judgeNumber = positional[1];
        options.judgeName = parser.isSet(syntax.name) ? parser.value(syntax.name)
                                                      : u"Judge "_s + options.judgeNumber;
    } else if (parser.isSet(syntax.display)) {
        options.role = StationOptions::Role::Display;
        options.displayName = parser.value(syntax.display);
        options.event = positional.size() > 1 ? positional[1] : u"all"_s;
    } else if (positional.size() > 1) {
        *error = u"Unexpected argument %1."_s.arg(positional[1]);
        return false;
    }
    if (options.role != StationOptions::Role::Plain && !parser.isSet(syntax.pin)) {
        *error = u"Logging in needs --pin."_s;
        return false;
    }
    options.pin = parser.value(syntax.pin);
    return true;
}

// What a browser pad reports: only a browser station reports it.
bool readPadState(StationOptions& options, const Syntax& syntax, QString* error) {
    const QCommandLineParser& parser = syntax.parser;
    const auto read = [&parser](const QCommandLineOption& option, int most, int* value) {
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        return ok && *value >= 0 && *value <= most;
    };
    if (parser.isSet(syntax.battery) && !read(syntax.battery, 100, &options.battery)) {
        *error = u"--battery needs a percentage from 0 to 100."_s;
        return false;
    }
    if (parser.isSet(syntax.outbox) && !read(syntax.outbox, 100000, &options.outbox)) {
        *error = u"--outbox needs a count of scores."_s;
        return false;
    }
    if (options.reportsPadState() && !parser.isSet(syntax.web)) {
        *error = u"--battery and --outbox need --web: only browser stations report them."_s;
        return false;
    }
    return true;
}

} // namespace

bool StationOptions::parse(const QStringList& arguments, QString* error, QString* helpText) {
    Syntax syntax;
    QCommandLineParser& parser = syntax.parser;
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(u"help"_s)) {
        *helpText = parser.helpText();
        return false;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = u"Give the server as HOST:PORT."_s;
        return false;
    }
    if (!readServers(*this, positional[0], error) || !readRole(*this, syntax, positional, error))
        return false;
    if (!readMilliseconds(parser.value(syntax.delay), &confirmDelayMs)) {
        *error = u"--confirm-delay needs milliseconds."_s;
        return false;
    }
    if (parser.isSet(syntax.quit) && !readMilliseconds(parser.value(syntax.quit), &quitAfterMs)) {
        *error = u"--quit-after needs milliseconds."_s;
        return false;
    }
    lineMode = parser.isSet(syntax.line);
    web = parser.isSet(syntax.web);
    if (!readPadState(*this, syntax, error))
        return false;
    answerHeartbeats = !parser.isSet(syntax.silent);
    scriptFile = parser.value(syntax.script);
    return true;
}
