#include "meetwebpages.h"

#include "db/meetdatabase.h"
#include "db/tallvanesettings.h"
#include "judging/meetserver.h"
#include "meetsummary.h"
#include "replicasource.h"
#include "shell/appstate.h"
#include "shell/portnumber.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

MeetWebPages::MeetWebPages(AppState& state, MeetServer& meet)
    : mState(state)
    , mMeet(meet)
    , mWeb(meet.stations())
    , mOperators([&meet](const QString& address, const QString& pin) {
        switch (meet.server().checkOperatorPin(address, pin)) {
        case StationRegistry::PinCheck::Right:
            return OperatorSessions::Verdict::Right;
        case StationRegistry::PinCheck::Wrong:
            return OperatorSessions::Verdict::Wrong;
        case StationRegistry::PinCheck::Refused:
            break;
        }
        return OperatorSessions::Verdict::Refused;
    })
    , mSeats(
          meet.server(), meet.stations(), [&state] { return state.numJudges(); }, meet.alerts())
    , mRehearsal(mSeats, meet.stations(), meet.server().heartbeats(), meet.alerts())
    , mBoards(meet.server().registry(), meet.stations())
    , mResults(state.meetDb(), [&meet] { return meet.server().currentSession().id(); })
    , mUpdates(state.meetDb().changes())
    , mUnderway(state.meetDb().changes())
    , mAnnouncer(state.meetDb(), mUnderway) {
    mWeb.setMeetInfo([this, &state] {
        QJsonObject summary = meetSummary(state.meetDb(), state.numJudges());
        addServers(summary);
        return summary;
    });
    mWeb.setOtherServers([this] { return servers(); });
    mResults.readSnapshotsFrom(&mResultsAhead);
    mUpdates.prepareResults(state.meetDb(), mResultsAhead,
                            [&meet] { return meet.server().currentSession().id(); });
    addResultsRoutes();
    QObject::connect(&meet.services(), &MeetServices::gymnastAsked, &mUnderway,
                     &EventsUnderway::lookedUp);
    QObject::connect(&mUnderway, &EventsUnderway::changed, &mUpdates,
                     &LiveUpdates::underwayChanged);
    addOperatorLogin();
    QObject::connect(&mWeb, &WebServer::browserReport, &mSeats,
                     [this](ConnectionId connection, const QStringList& fields) {
                         browserReport(connection, fields);
                     });
    addHealthRoutes();
    addBoardRoutes();
    QObject::connect(&state, &AppState::operatorPinChanged, &mWeb, [this] { mOperators.clear(); });
    QObject::connect(&mWeb, &WebServer::problem, &mWeb,
                     [&meet](const QString& text) { meet.alerts().raise(text); });
    mWeb.setUpdatesViewers(
        [this](std::unique_ptr<QTcpSocket> viewer) { mUpdates.addViewer(std::move(viewer)); });
    CurrentSession& current = meet.server().currentSession();
    QObject::connect(&current, &CurrentSession::changed, &mUpdates,
                     [this, &current] { mUpdates.currentSessionChanged(current.id()); });
}

QStringList MeetWebPages::servers() const {
    QStringList servers;
    if (!address().isEmpty())
        servers.append(address());
    if (const QString standby = TallvaneSettings(mState.meetDb())
                                    .value(ReplicaSource::StandbySetting)
                                    .value_or(QString());
        !standby.isEmpty())
        servers.append(standby);
    return servers;
}

void MeetWebPages::addServers(QJsonObject& summary) {
    // The pages learn where the meet goes on should this server stop: this
    // one first, then its standby.
    TallvaneSettings settings(mState.meetDb());
    summary.insert(u"servers"_s, QJsonArray::fromStringList(servers()));
    summary.insert(u"epoch"_s,
                   settings.value(ReplicaSource::EpochSetting).value_or(QString()).toLongLong());
    summary.insert(u"identity"_s,
                   settings.value(ReplicaSource::IdentitySetting).value_or(QString()));
}

void MeetWebPages::addResultsRoutes() {
    for (const QString& path : {u"/api/sessions"_s, u"/api/results"_s, u"/api/teams"_s}) {
        mWeb.addRoute(path, [this, path](const HttpRequest& request) {
            const ApiReply reply =
                *mResults.answer(path, QUrlQuery(request.url()), request.value("if-none-match"));
            WebServer::Reply answer;
            answer.body = reply.body;
            answer.status = reply.status;
            answer.etag = reply.etag;
            return answer;
        });
    }
    mWeb.addRoute(u"/api/announcer"_s, [this](const HttpRequest& request) {
        const ApiReply reply =
            mAnnouncer.answer(QUrlQuery(request.url()), request.value("if-none-match"));
        WebServer::Reply answer;
        answer.body = reply.body;
        answer.status = reply.status;
        answer.etag = reply.etag;
        return answer;
    });
}

void MeetWebPages::addOperatorLogin() {
    mWeb.addPostRoute(u"/api/operator/login"_s, [this](const HttpRequest& request) {
        return mOperators.logIn(request, request.address);
    });
    mWeb.addPostRoute(u"/api/operator/logout"_s,
                      [this](const HttpRequest& request) { return mOperators.logOut(request); });
}

void MeetWebPages::addHealthRoutes() {
    const auto health = [this] {
        QJsonObject answer = mSeats.toJson();
        answer.insert(u"rehearsal"_s, mRehearsal.toJson());
        return WebServer::Reply(QJsonDocument(answer).toJson(QJsonDocument::Compact));
    };
    addOperatorRoute(u"/api/health"_s, [health](const HttpRequest&) { return health(); });
    addOperatorPostRoute(u"/api/rehearsal/start"_s, [this, health](const HttpRequest&) {
        QString refusal;
        if (mRehearsal.start(&refusal))
            return health();
        return WebServer::Reply(
            QJsonDocument(QJsonObject{{u"error"_s, refusal}}).toJson(QJsonDocument::Compact),
            "application/json", 409);
    });
}

void MeetWebPages::addBoardRoutes() {
    const auto list = [this] {
        QJsonArray boards;
        for (const BoardLayouts::Board& board : mBoards.boards()) {
            const auto layoutJson = [](const std::optional<BoardLayout>& layout) {
                if (!layout)
                    return QJsonValue();
                return QJsonValue(QJsonObject{{u"layout"_s, layout->layout},
                                              {u"shows"_s, layout->shows},
                                              {u"level"_s, layout->level},
                                              {u"division"_s, layout->division}});
            };
            boards.append(QJsonObject{{u"name"_s, board.name},
                                      {u"connected"_s, board.connection != 0},
                                      {u"address"_s, board.address},
                                      {u"transport"_s, board.browser ? u"browser"_s : u"TCP"_s},
                                      {u"showing"_s, layoutJson(board.showing)},
                                      {u"chosen"_s, layoutJson(board.chosen)}});
        }
        return WebServer::Reply(
            QJsonDocument(QJsonObject{{u"boards"_s, boards}}).toJson(QJsonDocument::Compact));
    };
    addOperatorRoute(u"/api/boards"_s, [list](const HttpRequest&) { return list(); });
    // The query names the board and the layout's fields (missing: as now).
    addOperatorPostRoute(u"/api/boards/layout"_s, [this, list](const HttpRequest& request) {
        const QUrlQuery query(request.url());
        const QString name = query.queryItemValue(u"name"_s, QUrl::FullyDecoded);
        const std::optional<BoardLayouts::Board> board = mBoards.board(name);
        BoardLayout layout = board ? board->current() : BoardLayout();
        const std::pair<QString, QString*> fields[] = {{u"layout"_s, &layout.layout},
                                                       {u"shows"_s, &layout.shows},
                                                       {u"level"_s, &layout.level},
                                                       {u"division"_s, &layout.division}};
        for (const auto& [key, field] : fields) {
            if (query.hasQueryItem(key))
                *field = query.queryItemValue(key, QUrl::FullyDecoded);
        }
        QString refusal;
        if (mBoards.choose(name, layout, &refusal))
            return list();
        return WebServer::Reply(
            QJsonDocument(QJsonObject{{u"error"_s, refusal}}).toJson(QJsonDocument::Compact),
            "application/json", 409);
    });
}

void MeetWebPages::browserReport(ConnectionId connection, const QStringList& fields) {
    if (fields.first() == QLatin1StringView(PadState::Command))
        mSeats.padStateReported(connection, PadState::fromFields(fields));
    else if (fields.first() == QLatin1StringView(Rehearsal::AnswerCommand))
        mRehearsal.answered(connection, fields);
    else if (fields.first() == QLatin1StringView(BoardLayout::Command))
        mBoards.reported(connection, fields);
}

void MeetWebPages::addOperatorRoute(const QString& path, WebServer::Route route) {
    mWeb.addRoute(path, [this, route = std::move(route)](const HttpRequest& request) {
        return mOperators.isLoggedIn(request) ? route(request) : OperatorSessions::unauthorized();
    });
}

void MeetWebPages::addOperatorPostRoute(const QString& path, WebServer::Route route) {
    mWeb.addPostRoute(path, [this, route = std::move(route)](const HttpRequest& request) {
        return mOperators.isLoggedIn(request) ? route(request) : OperatorSessions::unauthorized();
    });
}

bool MeetWebPages::start() {
    const QString port = mState.webPortNumber();
    const std::optional<quint16> number = portNumber(port.trimmed());
    mWeb.setExtraHostNames(mState.webHostNames());
    if (number && mWeb.listenOn(*number))
        return true;
    mMeet.alerts().raise(u"The web pages cannot be served on port %1: %2"_s.arg(
        port, number ? mWeb.errorString() : u"not a port number"_s));
    return false;
}

QString MeetWebPages::address() const {
    if (!mWeb.isListening())
        return {};
    return u"http://%1:%2/"_s.arg(mMeet.server().address()).arg(mWeb.port());
}

QString MeetWebPages::resultsAddress() const {
    const QString pages = address();
    return pages.isEmpty() ? QString() : pages + ResultsPage;
}
