#pragma once

#include "announcerapi.h"
#include "console/boardlayouts.h"
#include "console/rehearsal.h"
#include "console/stationseats.h"
#include "eventsunderway.h"
#include "liveupdates.h"
#include "operatorsessions.h"
#include "resultsapi.h"
#include "resultsshelf.h"
#include "webserver.h"

class AppState;
class MeetServer;

// The open meet's web side, put together in one place for the desktop
// program and `serve`: the pages and browser stations (WebServer), what the
// pages ask before logging in ("/api/meet"), and the live results for the
// stands (the results API, "/updates" and the "/results" page) and the
// announcer ("/api/announcer", "/announcer"). Built after
// and destroyed before the MeetServer it serves.
class MeetWebPages {
public:
    static inline const QString ResultsPage = QStringLiteral("results");

    MeetWebPages(AppState& state, MeetServer& meet);
    Q_DISABLE_COPY_MOVE(MeetWebPages)

    // Listens on the web port of the settings. A port that cannot be opened
    // is an operator alert and false: the meet runs on with its TCP stations.
    bool start();
    // Stops listening and closes every browser station and viewer.
    void close() {
        mWeb.close();
        mUpdates.closeViewers();
    }

    // "http://ADDRESS:PORT/" while listening, else empty.
    QString address() const;
    // The live results page's address, else empty.
    QString resultsAddress() const;

    WebServer& web() { return mWeb; }
    OperatorSessions& operators() { return mOperators; }
    // Every seat of the meet and the device on it ("/api/health").
    StationSeats& seats() { return mSeats; }
    // The dress rehearsal of every seat ("/api/health" tells it,
    // "/api/rehearsal/start" starts it).
    Rehearsal& rehearsal() { return mRehearsal; }
    // The score displays and the layouts the desk chose for them
    // ("/api/boards" lists them, "/api/boards/layout" chooses one).
    BoardLayouts& boards() { return mBoards; }
    // An API of the operator's pages: answered only to a browser logged in
    // with the operator PIN, else 401.
    void addOperatorRoute(const QString& path, WebServer::Route route);
    // The same for a POST without a body.
    void addOperatorPostRoute(const QString& path, WebServer::Route route);
    LiveUpdates& updates() { return mUpdates; }
    // The results API the live page reads, which a published site reads too.
    ResultsApi& results() { return mResults; }

private:
    // Where the meet is served: this server first, then its standby.
    QStringList servers() const;
    // "/api/meet" also lists the meet's servers and says its epoch and identity.
    void addServers(QJsonObject& summary);
    void addResultsRoutes();
    void addOperatorLogin();
    void addHealthRoutes();
    void addBoardRoutes();
    void browserReport(ConnectionId connection, const QStringList& fields);

    AppState& mState;
    MeetServer& mMeet;
    WebServer mWeb;
    OperatorSessions mOperators;
    StationSeats mSeats;
    Rehearsal mRehearsal;
    BoardLayouts mBoards;
    // The replies the viewers' thread worked out ahead; outlives both.
    ResultsShelf mResultsAhead;
    ResultsApi mResults;
    LiveUpdates mUpdates;
    EventsUnderway mUnderway;
    AnnouncerApi mAnnouncer;
};
