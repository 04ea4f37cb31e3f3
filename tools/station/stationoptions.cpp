#include "stationoptions.h"

#include <QCommandLineParser>

using namespace Qt::Literals::StringLiterals;

bool StationOptions::parse(const QStringList& arguments, QString* error, QString* helpText) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Station simulator for the Tallvane scoring server: logs in as a judge station or a "
        "score display, answers heartbeats, sends the lines typed (or of a script) and prints "
        "every message received with the time it came.\n\n"
        "Script lines starting with \"#wait MS\" pause; other lines starting with \"#\" are "
        "comments. Typed lines, script files and printed messages use the terminal's character "
        "set; on the wire they travel in Windows-1252."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"HOST:PORT"_s, u"The scoring server."_s);
    parser.addPositionalArgument(u"NUMBER|EVENT"_s,
                                 u"With --judge the judge number; with --display the event "
                                 "shown (default all)."_s,
                                 u"[NUMBER|EVENT]"_s);
    const QCommandLineOption judge(u"judge"_s, u"Log in as a judge of EVENT."_s, u"EVENT"_s);
    const QCommandLineOption display(u"display"_s, u"Log in as score display NAME."_s, u"NAME"_s);
    const QCommandLineOption name(u"name"_s, u"The judge's name (default: Judge NUMBER)."_s,
                                  u"NAME"_s);
    const QCommandLineOption pinOption(u"pin"_s, u"The station PIN."_s, u"PIN"_s);
    const QCommandLineOption delay(
        u"confirm-delay"_s, u"Display: milliseconds before confirming a score."_s, u"MS"_s, u"0"_s);
    const QCommandLineOption line(u"line-mode"_s, u"End every message with a line feed."_s);
    const QCommandLineOption web(
        u"web"_s, u"Connect as a browser station does: a WebSocket at ws://HOST:PORT/station "
                  "(PORT is then the web port)."_s);
    const QCommandLineOption silent(u"no-heartbeat"_s, u"Do not answer heartbeats."_s);
    const QCommandLineOption script(u"script"_s, u"Send the lines of FILE."_s, u"FILE"_s);
    const QCommandLineOption quit(u"quit-after"_s,
                                  u"Quit MS milliseconds after the last line was sent."_s, u"MS"_s);
    parser.addOptions({judge, display, name, pinOption, delay, line, web, silent, script, quit});

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
    const qsizetype colon = positional[0].lastIndexOf(u':');
    bool portOk = false;
    const uint portValue = colon > 0 ? positional[0].mid(colon + 1).toUInt(&portOk) : 0;
    if (!portOk || portValue == 0 || portValue > 65535) {
        *error = u"%1 is not HOST:PORT."_s.arg(positional[0]);
        return false;
    }
    host = positional[0].left(colon);
    port = quint16(portValue);

    if (parser.isSet(judge) && parser.isSet(display)) {
        *error = u"Choose --judge or --display, not both."_s;
        return false;
    }
    if (parser.isSet(judge)) {
        role = Role::Judge;
        event = parser.value(judge);
        if (positional.size() != 2) {
            *error = u"--judge EVENT needs the judge NUMBER after HOST:PORT."_s;
            return false;
        }
        judgeNumber = positional[1];
        judgeName = parser.isSet(name) ? parser.value(name) : u"Judge "_s + judgeNumber;
    } else if (parser.isSet(display)) {
        role = Role::Display;
        displayName = parser.value(display);
        event = positional.size() > 1 ? positional[1] : u"all"_s;
    } else if (positional.size() > 1) {
        *error = u"Unexpected argument %1."_s.arg(positional[1]);
        return false;
    }
    if (role != Role::Plain && !parser.isSet(pinOption)) {
        *error = u"Logging in needs --pin."_s;
        return false;
    }
    pin = parser.value(pinOption);
    bool ok = true;
    confirmDelayMs = parser.value(delay).toInt(&ok);
    if (!ok || confirmDelayMs < 0) {
        *error = u"--confirm-delay needs milliseconds."_s;
        return false;
    }
    if (parser.isSet(quit)) {
        quitAfterMs = parser.value(quit).toInt(&ok);
        if (!ok || quitAfterMs < 0) {
            *error = u"--quit-after needs milliseconds."_s;
            return false;
        }
    }
    lineMode = parser.isSet(line);
    this->web = parser.isSet(web);
    answerHeartbeats = !parser.isSet(silent);
    scriptFile = parser.value(script);
    return true;
}
