#include "followprimary.h"

#include "stopsignals.h"

#include "db/meetdatabase.h"
#include "db/meetfiles.h"
#include "db/replicafile.h"
#include "db/tallvanesettings.h"
#include "shell/portnumber.h"
#include "web/replicafollower.h"
#include "web/replicasource.h"
#include "web/standbygate.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTimer>

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

// The identity of the meet an existing file holds: empty for a file that
// holds none (an older Tallvane's, never followed), std::nullopt for a file
// that is no meet file at all.
std::optional<QString> identityOf(const QString& path) {
    MeetDatabase db;
    if (!db.open(path))
        return std::nullopt;
    return TallvaneSettings(db).value(ReplicaSource::IdentitySetting).value_or(QString());
}

quint16 portOf(const std::optional<quint16>& given, const QJsonObject& meet, const QString& key) {
    if (given)
        return *given;
    return portNumber(meet.value(key).toString()).value_or(0);
}

} // namespace

FollowOutcome followPrimary(QCoreApplication& app, const FollowRequest& request) {
    FollowOutcome outcome;
    const QString path = QFileInfo(request.meetFile).absoluteFilePath();
    const QString primary = ReplicaFollower::primaryText(request.primary);
    QString error;
    std::unique_ptr<QLockFile> lock = MeetFiles::lockMeetFile(path, &error);
    if (!lock) {
        outcome.exitCode = failWith(error);
        return outcome;
    }
    QString heldIdentity;
    if (QFileInfo::exists(path) && request.force) {
        for (const QString& file : QStringList{path, path + u"-wal"_s, path + u"-shm"_s})
            QFile::remove(file);
    } else if (QFileInfo::exists(path)) {
        const std::optional<QString> identity = identityOf(path);
        if (!identity || identity->isEmpty()) {
            outcome.exitCode = failWith(u"%1 exists and is no standby's copy of a meet; give "
                                        "--force to replace it."_s.arg(request.meetFile));
            return outcome;
        }
        heldIdentity = *identity;
    }
    ReplicaFile file;
    if (!file.open(path, &error)) {
        outcome.exitCode = failWith(u"%1 cannot be written: %2"_s.arg(request.meetFile, error));
        return outcome;
    }

    ReplicaFollower follower(request.primary, request.operatorPin, file);
    StandbyGate gate;
    StopSignals stopSignals;
    bool announced = false;
    bool everInStep = false;
    QObject::connect(&follower, &ReplicaFollower::meetReceived, &app, [&](const QJsonObject& meet) {
        const QString identity = meet.value(u"identity"_s).toString();
        if (!heldIdentity.isEmpty() && identity != heldIdentity) {
            follower.stop();
            app.exit(failWith(u"%1 holds another meet than %2; give --force to "
                              "replace it."_s.arg(request.meetFile, primary)));
            return;
        }
        heldIdentity = identity;
        if (announced)
            return;
        announced = true;
        printLine(stdout, u"Following %1 (%2)"_s.arg(primary, meet.value(u"name"_s).toString()));
        const QString problem = gate.open(portOf(request.stationPort, meet, u"port"_s),
                                          portOf(request.webPort, meet, u"webPort"_s));
        if (!problem.isEmpty())
            printLine(stderr, u"The standby's ports are not all open: "_s + problem);
        follower.setOwnWebPort(gate.webPort());
    });
    QObject::connect(&follower, &ReplicaFollower::inStep, &app, [&] {
        everInStep = true;
        printLine(stdout, u"In step with "_s + primary);
    });
    QObject::connect(&follower, &ReplicaFollower::refused, &app, [&](const QString& why) {
        app.exit(failWith(u"%1 refused to be followed: %2"_s.arg(primary, why)));
    });
    QObject::connect(&follower, &ReplicaFollower::failed, &app, [&](const QString& why) {
        printLine(stderr, u"The copy in %1 could not be written (trying again): %2"_s.arg(
                              request.meetFile, why));
    });
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&app] { app.exit(0); });
    const auto takeOver = [&] {
        if (!everInStep) {
            printLine(stderr, u"tallvane serve: nothing to take over yet: no copy of the meet "
                              "has come from "_s +
                                  primary);
            return;
        }
        outcome.takeOver = true;
        app.exit(0);
    };
    QObject::connect(&stopSignals, &StopSignals::takeOverRequested, &app, takeOver);
    QTimer watch;
    if (request.takeOverAfterSeconds > 0) {
        watch.setInterval(100);
        QObject::connect(&watch, &QTimer::timeout, &app, [&] {
            if (everInStep && follower.sinceHeard() >= qint64(request.takeOverAfterSeconds) * 1000)
                takeOver();
        });
        watch.start();
    }
    follower.start();
    outcome.exitCode = app.exec();
    follower.stop();
    gate.close();
    outcome.meet = follower.meet();
    file.close();
    if (outcome.exitCode != 0)
        outcome.takeOver = false;
    return outcome;
}
