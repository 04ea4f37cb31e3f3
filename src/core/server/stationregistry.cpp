#include "stationregistry.h"

#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "shell/operatoralerts.h"
#include "stationserver.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString InvalidPin = u"AUTHRESP|1|Invalid PIN"_s;
const QString UpgradeDisplay =
    u"AUTHRESP|1|You must upgrade this scoreboard client to version 1.3 or higher!"_s;
const QString CouldNotCheck = u"AUTHRESP|1|The scoring server could not check this log-in."_s;
const QString CouldNotStore = u"AUTHRESP|1|The scoring server could not record this log-in."_s;

constexpr int NameLength = ConnectionsTable::NameLength;
// A panel has at most seven judges: a score carries seven judges' marks.
constexpr int MaxJudges = 7;

} // namespace

StationRegistry::StationRegistry(MeetDatabase& db, Settings settings, StationServer& server,
                                 OperatorAlerts& alerts, QObject* parent)
    : QObject(parent)
    , mDb(db)
    , mSettings(std::move(settings))
    , mServer(server)
    , mAlerts(alerts)
    , mConnections(db) {
    mJudgeStations.setObjectName(u"lstJudgeStations"_s);
    mScoreboards.setObjectName(u"lstScoreboards"_s);
}

QStringListModel* StationRegistry::list(StationKind kind) {
    return kind == StationKind::Judge ? &mJudgeStations : &mScoreboards;
}

bool StationRegistry::isRegistered(ConnectionId connection) const {
    return mLines.contains(connection);
}

std::optional<StationRegistry::Login> StationRegistry::loginOf(ConnectionId connection) const {
    const auto found = mLines.constFind(connection);
    if (found == mLines.cend())
        return std::nullopt;
    return Login{found->kind, found->event};
}

void StationRegistry::reply(ConnectionId connection, const QString& text) {
    mServer.sendData(connection, text);
    if (text.startsWith(u"AUTHRESP|1|"_s))
        Q_EMIT loginRefused(mServer.remoteAddress(connection));
}

StationRegistry::PinCheck StationRegistry::checkPin(const QString& address, const QString& given,
                                                    const QString& expected,
                                                    const QString& pinName) {
    if (!mThrottle.mayCheck(address))
        return PinCheck::Refused;
    if (given != expected) {
        const PinThrottle::WrongPin wrong = mThrottle.recordWrongPin(address);
        if (wrong.addressBlocked)
            mAlerts.raise(u"%1 wrong PINs came from %2 within a minute: its log-ins are refused "
                          "for the next minute."_s.arg(PinThrottle::MaxWrongPins)
                              .arg(address));
        if (wrong.guessingStarted > 0)
            mAlerts.raise(u"Someone is guessing the %1: %2 wrong PINs came within a "
                          "minute. Until the guessing stops, a PIN from a device that has not "
                          "logged in before is checked once in %3 seconds; the stations that "
                          "have logged in before log in as usual."_s.arg(pinName)
                              .arg(wrong.guessingStarted)
                              .arg(PinThrottle::GuessCheckMs / 1000));
        return PinCheck::Wrong;
    }
    mThrottle.recordSuccess(address);
    return PinCheck::Right;
}

bool StationRegistry::pinAccepted(ConnectionId connection, const QString& address,
                                  const QString& pin, const QString& wrongPinReply) {
    switch (checkPin(address, pin, mSettings.pin())) {
    case PinCheck::Right:
        return true;
    case PinCheck::Wrong:
        reply(connection, wrongPinReply);
        return false;
    case PinCheck::Refused:
        reply(connection, InvalidPin);
        return false;
    }
    return false;
}

QString StationRegistry::fieldProblem(const QString& value, int maxLength,
                                      const QString& what) const {
    if (value.size() <= maxLength)
        return {};
    return u"AUTHRESP|1|The %1 is longer than %2 characters."_s.arg(what).arg(maxLength);
}

int StationRegistry::countByName(const QString& name, std::optional<qint32> judgeNumber) {
    const auto count = mConnections.countNamed(name, judgeNumber);
    if (!count) {
        mAlerts.raise(u"A station log-in could not be checked: "_s + mConnections.lastError());
        return -1;
    }
    return *count;
}

bool StationRegistry::stored(ConnectionId connection, bool ok) {
    if (ok)
        return true;
    mAlerts.raise(u"A station log-in could not be recorded: "_s + mConnections.lastError());
    reply(connection, CouldNotStore);
    return false;
}

void StationRegistry::judgeLogin(ConnectionId connection, const QString& event,
                                 const QString& judgeName, const QString& pin, const QString& mode,
                                 const QString& number) {
    const QString address = mServer.remoteAddress(connection);
    if (!pinAccepted(connection, address, pin, InvalidPin))
        return;

    bool modeOk = false;
    bool numberOk = false;
    const int modeValue = mode.trimmed().toInt(&modeOk);
    const qint32 judgeNumber = number.trimmed().toInt(&numberOk);
    QString problem;
    if (!modeOk)
        problem = u"AUTHRESP|1|The judge-number mode must be a whole number."_s;
    else if (!numberOk)
        problem = u"AUTHRESP|1|The judge number must be a whole number."_s;
    else if (judgeNumber < 1 || judgeNumber > MaxJudges)
        problem = u"AUTHRESP|1|The judge number must be from 1 to %1."_s.arg(MaxJudges);
    else if (!MeetEvents::names().contains(event, Qt::CaseInsensitive))
        problem = u"AUTHRESP|1|The event must be Vault, Bars, Beam or Floor."_s;
    if (problem.isEmpty())
        problem = fieldProblem(event, NameLength, u"event name"_s);
    if (problem.isEmpty())
        problem = fieldProblem(judgeName, NameLength, u"judge name"_s);
    if (!problem.isEmpty()) {
        reply(connection, problem);
        return;
    }

    const bool byNumber = modeValue == 1;
    const int count = countByName(event, byNumber ? std::optional(judgeNumber) : std::nullopt);
    if (count < 0) {
        reply(connection, CouldNotCheck);
        return;
    }
    if (count >= 1) {
        if (byNumber)
            reply(connection, u"AUTHRESP|1|Judge "_s + number + u" for event "_s + event +
                                  u" is already logged into the scoring server."_s);
        else
            reply(connection, u"AUTHRESP|1|There is already a "_s + event +
                                  u" judge logged into the scoring server."_s);
        return;
    }

    // The row is stored before the station is told it is in, so an accepted
    // station is always a logged-in one.
    if (!stored(connection,
                mConnections.addJudge(connection, address, event, judgeName, judgeNumber)))
        return;
    const QString entry =
        byNumber
            ? QString(event + u" (Judge #"_s + number + u": "_s + judgeName + u") - "_s + address)
            : QString(event + u" ("_s + judgeName + u") - "_s + address);
    mLines.insert(connection, {StationKind::Judge, entry, event});
    appendEntry(StationKind::Judge, entry);
    Q_EMIT seatTaken(connection, {StationKind::Judge, event, judgeNumber, {}, address});
    reply(connection, u"AUTHRESP|0|"_s + QString::number(mSettings.judgesPerEvent()));
}

void StationRegistry::displayLogin(ConnectionId connection, const QString& displayName,
                                   const QString& pin, const QString& eventShown) {
    const QString address = mServer.remoteAddress(connection);
    if (!pinAccepted(connection, address, pin, eventShown == u"NA"_s ? UpgradeDisplay : InvalidPin))
        return;

    QString problem = fieldProblem(displayName, NameLength, u"display name"_s);
    if (problem.isEmpty())
        problem = fieldProblem(eventShown, NameLength, u"event shown"_s);
    if (!problem.isEmpty()) {
        reply(connection, problem);
        return;
    }

    const int count = countByName(displayName, std::nullopt);
    if (count < 0) {
        reply(connection, CouldNotCheck);
        return;
    }
    if (count >= 1) {
        reply(connection,
              u"AUTHRESP|1|"_s + displayName + u" is already logged into the scoring server."_s);
        return;
    }

    if (!stored(connection, mConnections.addDisplay(connection, address, displayName, eventShown)))
        return;
    const QString entry = eventShown == u"all"_s
                              ? QString(displayName + u"(All) - "_s + address)
                              : QString(displayName + u"("_s + eventShown + u") - "_s + address);
    mLines.insert(connection, {StationKind::Display, entry, {}});
    appendEntry(StationKind::Display, entry);
    Q_EMIT seatTaken(connection, {StationKind::Display, displayName, 0, eventShown, address});
    reply(connection, u"AUTHRESP|0"_s);
}

void StationRegistry::appendEntry(StationKind kind, const QString& entry) {
    QStringListModel* model = list(kind);
    const int row = model->rowCount();
    model->insertRows(row, 1);
    model->setData(model->index(row), entry);
    Q_EMIT stationAdded(kind, entry);
}

int StationRegistry::entryRow(StationKind kind, const QString& address, const QString& name) const {
    const QStringList lines =
        (kind == StationKind::Judge ? mJudgeStations : mScoreboards).stringList();
    for (int row = 0; row < lines.size(); ++row) {
        if (lines[row].contains(address) && lines[row].contains(name))
            return row;
    }
    return -1;
}

void StationRegistry::removeRow(StationKind kind, int row) {
    QStringListModel* model = list(kind);
    if (row < 0 || row >= model->rowCount())
        return;
    const QString entry = model->index(row).data().toString();
    model->removeRows(row, 1);
    Q_EMIT stationRemoved(kind, entry);
}

void StationRegistry::removeEntry(StationKind kind, const QString& address, const QString& name) {
    removeRow(kind, entryRow(kind, address, name));
}

void StationRegistry::removeJudgeEntry(const QString& address, const QString& event) {
    removeEntry(StationKind::Judge, address, event);
}

void StationRegistry::removeDisplayEntry(const QString& address, const QString& displayName) {
    removeEntry(StationKind::Display, address, displayName);
}

StationRegistry::Entry StationRegistry::entryOf(ConnectionId connection) const {
    const auto found = mLines.constFind(connection);
    if (found == mLines.cend())
        return {};
    const QStringListModel& model =
        found->kind == StationKind::Judge ? mJudgeStations : mScoreboards;
    return {found->kind, int(model.stringList().indexOf(found->text))};
}

void StationRegistry::removeEntryOf(ConnectionId connection, const QString& type,
                                    const QString& address, const QString& name) {
    if (mLines.contains(connection)) {
        const Entry entry = entryOf(connection);
        mLines.remove(connection);
        removeRow(entry.kind, entry.row);
        Q_EMIT seatLeft(connection);
    } else if (type == ConnectionsTable::Judge) {
        removeJudgeEntry(address, name);
    } else if (type == ConnectionsTable::Display) {
        removeDisplayEntry(address, name);
    }
}

void StationRegistry::connectionClosed(ConnectionId connection) {
    if (!mDb.isOpen()) {
        clearLists();
        return;
    }
    const auto row = mConnections.station(connection);
    if (!row)
        mAlerts.raise(u"A closed station's log-in could not be read: "_s +
                      mConnections.lastError());
    if (!row || row->isEmpty()) {
        if (mLines.remove(connection))
            Q_EMIT seatLeft(connection);
        return;
    }
    const ConnectionsTable::Station& station = row->constFirst();
    removeEntryOf(connection, station.type, station.address, station.name);
    if (!mConnections.remove(connection))
        mAlerts.raise(u"A closed station's log-in could not be removed: "_s +
                      mConnections.lastError());
}

void StationRegistry::clearLists() {
    for (const ConnectionId connection : std::exchange(mLines, {}).keys())
        Q_EMIT seatLeft(connection);
    for (StationKind kind : {StationKind::Judge, StationKind::Display}) {
        QStringListModel* model = list(kind);
        const QStringList lines = model->stringList();
        model->setStringList({});
        for (const QString& entry : lines)
            Q_EMIT stationRemoved(kind, entry);
    }
}
