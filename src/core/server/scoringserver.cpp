#include "scoringserver.h"

#include "db/connectionstable.h"
#include "db/tables/currentsettingstable.h"
#include "db/tables/meetstable.h"
#include "db/tables/sessionstable.h"
#include "localaddress.h"
#include "messagefields.h"
#include "shell/appstate.h"
#include "shell/operatoralerts.h"
#include "shell/portnumber.h"
#include "shell/prompter.h"
#include "shell/settingscheck.h"
#include "stationmessages.h"
#include "stationservices.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

ScoringServer::ScoringServer(AppState& state, OperatorAlerts& alerts, StationServer& stations,
                             StationServices& services, QObject* parent)
    : QObject(parent)
    , mState(state)
    , mAlerts(alerts)
    , mServer(stations)
    , mServices(services)
    , mRegistry(state.meetDb(),
                {[&state] { return state.pin(); },
                 [&state] {
                     return state.numJudges();
                 }},
                mServer, alerts)
    , mHeartbeats(state.meetDb(), mServer, mRegistry, alerts) {
    connect(&mServer, &StationServer::messageReceived, this, &ScoringServer::handleMessage);
    connect(&mServer, &StationServer::connectionOpened, this, &ScoringServer::connectionOpened);
    connect(&mServer, &StationServer::connectionClosed, this, &ScoringServer::connectionClosed);
    connect(&mGate, &StationGate::loginTimedOut, &mServer, &StationServer::close);
    connect(&mGate, &StationGate::addressRefused, this,
            [this](const QString& address, int waiting) {
                mAlerts.raise(u"Connections from %1 are refused: %2 of its connections have "
                              "not logged in."_s.arg(address)
                                  .arg(waiting));
            });
    connect(&mGate, &StationGate::oldestLetGo, &mServer, &StationServer::close);
    connect(&mGate, &StationGate::shareFull, this, [this](int waiting) {
        mAlerts.raise(u"%1 connections have not logged in: the oldest of them is closed for each "
                      "new one."_s.arg(waiting));
    });
    // A station logged out for silence must log in again in time, like a new one.
    connect(&mHeartbeats, &HeartbeatMonitor::loggedOut, this, [this](ConnectionId connection) {
        if (mServer.isConnected(connection) &&
            !mGate.admit(connection, mServer.remoteAddress(connection)))
            mServer.close(connection);
    });
    connect(&mServer, &StationServer::problem, &mAlerts, &OperatorAlerts::raise);
    connect(&mHeartbeats, &HeartbeatMonitor::activityMark, this, &ScoringServer::activityMark);
    connect(&mRegistry, &StationRegistry::stationAdded, this, &ScoringServer::stationLoggedIn);
    connect(&mRegistry, &StationRegistry::stationRemoved, this, &ScoringServer::stationLoggedOut);
}

void ScoringServer::setLoginLimits(int maxWaiting, int maxWaitingPerAddress) {
    mGate.setMaxWaiting(maxWaiting);
    mGate.setMaxWaitingPerAddress(maxWaitingPerAddress);
}

void ScoringServer::setLoginTimeout(int milliseconds) {
    mGate.setLoginTimeout(milliseconds);
}

ScoringServer::~ScoringServer() {
    if (mRunning)
        shutdown();
}

ScoringServer::StartResult ScoringServer::fail(StartResult::Outcome outcome,
                                               const QString& message) {
    mServer.release();
    StartResult result;
    result.outcome = outcome;
    result.message = message;
    return result;
}

ScoringServer::StartResult ScoringServer::start() {
    if (mRunning)
        return {};
    mAddress = LocalAddress::guess();
    Q_EMIT statusChanged();

    const std::optional<quint16> port = portNumber(mState.portNumber().trimmed());
    QString detail;
    if (!port)
        detail = u"the port \"%1\" is not a port number"_s.arg(mState.portNumber());
    else if (!mServer.listen(*port))
        detail = mServer.errorString();
    if (!detail.isEmpty()) {
        StartResult result =
            fail(StartResult::Outcome::ListenFailed, u"Error staring server on "_s + mAddress);
        result.detail = detail;
        mAddress.clear();
        Q_EMIT statusChanged();
        return result;
    }
    mPort = mServer.serverPort();

    if (!mState.meetDb().isOpen())
        return fail(StartResult::Outcome::DatabaseError, u"No meet file is open."_s);
    if (StartResult meet = readMeet(); !meet.ok())
        return meet;

    mServices.startServices();
    mHeartbeats.start();
    mRunning = true;
    Q_EMIT statusChanged();
    return {};
}

ScoringServer::StartResult ScoringServer::readMeet() {
    MeetDatabase& db = mState.meetDb();
    auto unreadable = [this](const QString& error) {
        return fail(StartResult::Outcome::DatabaseError,
                    u"The meet file could not be read: "_s + error);
    };

    MeetsTable meets(db);
    const auto header = meets.header();
    if (!header)
        return unreadable(meets.lastError());
    if (!header->has_value())
        return fail(StartResult::Outcome::NoMeet,
                    u"The meet file holds no meet information: the meet header is missing."_s);
    mMeetName = (*header)->name;
    mState.setNumJudges((*header)->numJudges.toInt());

    // Sessions sort by description as the operator reads them, without regard
    // to letter case.
    SessionsTable sessionsTable(db);
    const auto sessions = sessionsTable.all(SessionsTable::Order::Description);
    if (!sessions)
        return unreadable(sessionsTable.lastError());
    if (sessions->isEmpty())
        return fail(StartResult::Outcome::NoSessions, NoSessionsMessage);

    CurrentSettingsTable settings(db);
    const auto current = settings.currentSession();
    if (!current)
        return unreadable(settings.lastError());
    if (*current)
        mCurrentSession.set((*current)->id, (*current)->description);
    else
        mCurrentSession.set(sessions->constFirst().number, sessions->constFirst().description);
    return {};
}

void ScoringServer::shutdown() {
    Q_EMIT stopping();
    if (mRunning)
        mServices.stopServices();
    mHeartbeats.stop();
    mServer.stopServer();
    mServer.release();
    mGate.clear();
    ConnectionsTable connections(mState.meetDb());
    if (mState.meetDb().isOpen() && !connections.clear())
        mAlerts.raise(u"The station log-ins could not be cleared: "_s + connections.lastError());
    mRegistry.clearLists();
    mRunning = false;
    Q_EMIT statusChanged();
}

bool ScoringServer::setPin(const QString& text, QString* error) {
    mState.setPin(text);
    return mState.savePinFile(text, error);
}

StationRegistry::PinCheck ScoringServer::checkOperatorPin(const QString& address,
                                                          const QString& pin) {
    const QString expected = mState.operatorPin();
    const StationRegistry::PinCheck check =
        SettingsCheck::isValidOperatorPin(expected)
            ? mRegistry.checkPin(address, pin, expected, u"operator PIN"_s)
            : StationRegistry::PinCheck::Wrong;
    if (check != StationRegistry::PinCheck::Right)
        Q_EMIT operatorLoginRefused(address);
    return check;
}

void ScoringServer::showPin(Prompter& prompter, const QString& pinBoxText) {
    prompter.showMessage(pinBoxText, Prompter::Icon::None);
}

void ScoringServer::connectionOpened(ConnectionId connection, const QString& address) {
    if (!mGate.admit(connection, address))
        mServer.close(connection);
}

void ScoringServer::noteLogin(ConnectionId connection) {
    if (mGate.isWaiting(connection) && mRegistry.isRegistered(connection))
        mGate.loggedIn(connection);
}

void ScoringServer::connectionClosed(ConnectionId connection) {
    mGate.closed(connection);
    mRegistry.connectionClosed(connection);
}

// Every command a station may send: its word (field 0, compared exactly, case
// matters), whether it is served to logged-in connections or to the others
// only, which kind of station may send it, the field naming the event a judge
// scores (0: none), and what serves it.
struct ScoringServer::Command {
    enum class Sender { Any, Judge, Display };
    QStringView word;
    bool loggedIn;
    Sender sender;
    int scoredEvent;
    // `message` is the message as it arrived, `fields` the same split at "|".
    void (*serve)(ScoringServer& server, ConnectionId connection, const MessageFields& fields,
                  const QString& message);
};

const ScoringServer::Command* ScoringServer::findCommand(QStringView word, bool loggedIn) {
    using S = ScoringServer;
    using C = ConnectionId;
    using F = const MessageFields&;
    using M = const QString&;
    static constexpr bool LoggedIn = true;
    static constexpr bool NotLoggedIn = false;
    static constexpr Command::Sender Any = Command::Sender::Any;
    static constexpr Command::Sender Judge = Command::Sender::Judge;
    static constexpr Command::Sender Display = Command::Sender::Display;
    static constexpr std::array<Command, 11> Commands{{
        {u"JUDGEAUTH", NotLoggedIn, Any, 0,
         [](S& s, C c, F f, M) {
             s.judgeLogin(c, f.toList());
         }},
        {u"DISPLAYAUTH", NotLoggedIn, Any, 0,
         [](S& s, C c, F f, M) {
             s.displayLogin(c, f.toList());
         }},
        {u"GYMNASTQUERY", LoggedIn, Judge, 0,
         [](S& s, C c, F f, M) {
             s.mServices.gymnastQuery(c, f.toList());
         }},
        {u"GETSESSION", LoggedIn, Any, 0,
         [](S& s, C c, F, M) {
             s.mServer.sendData(c, StationMessages::setSession(s.mCurrentSession));
         }},
        {u"GETSQUADLIST", LoggedIn, Judge, 0,
         [](S& s, C c, F f, M) {
             s.mServices.squadList(c, f.toList());
         }},
        {u"SENDSCORE", LoggedIn, Judge, 4,
         [](S& s, C c, F f, M m) {
             s.mServices.processScore(c, f, m);
         }},
        {u"SENDSCORE2", LoggedIn, Judge, 3,
         [](S& s, C c, F f, M) {
             s.mServices.forwardSecondaryScore(c, f.toList());
         }},
        {u"CONFIRMSCORE", LoggedIn, Display, 0,
         [](S& s, C, F f, M) {
             s.mServices.confirmScore(f.toList());
         }},
        {u"HEARTBEAT", LoggedIn, Any, 0,
         [](S& s, C c, F, M) {
             s.mHeartbeats.heartbeatReply(c);
         }},
        {u"CLIENTBEAT", LoggedIn, Any, 0,
         [](S& s, C c, F, M) {
             s.mServer.sendData(c, StationMessages::beatResponse());
         }},
        {u"AD_FILE_START", LoggedIn, Any, 0,
         [](S& s, C c, F f, M) {
             s.mServices.adFileRequest(c, f.toList());
         }},
    }};
    for (const Command& command : Commands) {
        if (command.loggedIn == loggedIn && command.word == word)
            return &command;
    }
    return nullptr;
}

void ScoringServer::handleMessage(ConnectionId connection, const QString& message) {
    // Only a score reads its fields as views; the other commands get them as texts.
    const MessageFields fields(message);
    const Command* command = findCommand(fields.at(0), mRegistry.isRegistered(connection));
    if (command && allowed(*command, connection, fields))
        command->serve(*this, connection, fields, message);
}

// A display may not judge, nor a judge confirm what the boards showed; a
// judge scores its own event only. Anything else is ignored, and the
// operator told.
bool ScoringServer::allowed(const Command& command, ConnectionId connection,
                            const MessageFields& fields) {
    if (command.sender == Command::Sender::Any)
        return true;
    const std::optional<StationRegistry::Login> login = mRegistry.loginOf(connection);
    if (!login)
        return true; // a log-in command
    const bool judge = login->kind == StationKind::Judge;
    // What the operator is told is made only when something is refused.
    const auto address = [this, connection] {
        return mServer.remoteAddress(connection);
    };
    const auto word = [&fields] {
        return OperatorAlerts::stationValue(fields.text(0));
    };
    if (judge != (command.sender == Command::Sender::Judge)) {
        mAlerts.raise(u"%1 from the %2 at %3 was ignored: only %4 send it."_s.arg(
            word(), judge ? u"judge station"_s : u"score display"_s, address(),
            judge ? u"score displays"_s : u"judge stations"_s));
        return false;
    }
    const QStringView event = fields.at(command.scoredEvent);
    if (command.scoredEvent > 0 && event.compare(login->event, Qt::CaseInsensitive) != 0) {
        mAlerts.raise(u"%1 for %2 from the %3 judge at %4 was ignored: a judge scores its own "
                      "event only."_s.arg(word(), OperatorAlerts::stationValue(event.toString()),
                                          login->event, address()));
        return false;
    }
    return true;
}

void ScoringServer::judgeLogin(ConnectionId connection, const QStringList& fields) {
    mRegistry.judgeLogin(connection, fields.value(1), fields.value(2), fields.value(3),
                         fields.value(4), fields.value(5));
    noteLogin(connection);
}

void ScoringServer::displayLogin(ConnectionId connection, const QStringList& fields) {
    // Displays older than version 1.3 do not say which event they show.
    mRegistry.displayLogin(connection, fields.value(1), fields.value(2),
                           fields.size() >= 4 ? fields.value(3) : u"NA"_s);
    noteLogin(connection);
}
