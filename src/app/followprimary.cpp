#include "followprimary.h"

#include "stopsignals.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

void printLine(std::FILE* stream, const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stream);
    std::fflush(stream);
}

int failWith(const QString& text) {
    printLine(stderr, u"tallvane serve: "_s + text);
    return 1;
}

} // namespace

FollowOutcome followPrimary(QCoreApplication& app, const FollowRequest& request) {
    FollowOutcome outcome;
    StandbyFollow standby(request);
    if (const QString error = standby.start(); !error.isEmpty()) {
        outcome.exitCode = failWith(error);
        return outcome;
    }
    StopSignals stopSignals;
    QObject::connect(&standby, &StandbyFollow::following, &app,
                     [](const QString& text) { printLine(stdout, text); });
    QObject::connect(&standby, &StandbyFollow::inStep, &app,
                     [](const QString& text) { printLine(stdout, text); });
    QObject::connect(&standby, &StandbyFollow::problem, &app,
                     [](const QString& text) { printLine(stderr, text); });
    QObject::connect(&standby, &StandbyFollow::failed, &app,
                     [&app](const QString& text) { app.exit(failWith(text)); });
    QObject::connect(&standby, &StandbyFollow::tookOver, &app, [&] {
        outcome.takeOver = true;
        app.exit(0);
    });
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&app] { app.exit(0); });
    QObject::connect(&stopSignals, &StopSignals::takeOverRequested, &app, [&] {
        if (const QString refusal = standby.takeOver(); !refusal.isEmpty())
            printLine(stderr, u"tallvane serve: "_s + refusal);
    });
    outcome.exitCode = app.exec();
    standby.stop();
    outcome.meet = standby.meet();
    if (outcome.exitCode != 0)
        outcome.takeOver = false;
    return outcome;
}
