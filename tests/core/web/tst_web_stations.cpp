#include "datarows.h"
#include "manualscore.h"
#include "rawclient.h"
#include "transferfiles.h"
#include "web/webstation.h"
#include "webmeetfixture.h"
#include "webrequests.h"
#include "webteststation.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// The web side of a meet: its pages, browser stations beside TCP stations of the
// same server, and the live updates for the stands.
class TestWebStations : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        QString origin() const { return u"http://127.0.0.1:%1"_s.arg(web.port()); }
        std::unique_ptr<WebTestStation> station(const QString& origin = {}) {
            return std::make_unique<WebTestStation>(web.port(), origin);
        }
        // `count` viewers of the live updates, all connected.
        std::vector<std::unique_ptr<QWebSocket>> viewers(int count) {
            web.setMaxConnectionsPerAddress(count);
            std::vector<std::unique_ptr<QWebSocket>> opened;
            for (int i = 0; i < count; ++i) {
                opened.push_back(std::make_unique<QWebSocket>());
                opened.back()->open(QUrl(u"ws://127.0.0.1:%1/updates"_s.arg(web.port())));
            }
            (void)QTest::qWaitFor([&] { return pages.updates().viewerCount() == count; });
            return opened;
        }
    };

private Q_SLOTS:
    void servesThePages_data() {
        addDataRows<QString, int, QString>(
            {"path", "status", "type"}, {{u"/"_s, 200, u"text/html"_s},
                                         {u"/judge"_s, 200, u"text/html"_s},
                                         {u"/js/panel.js"_s, 200, u"text/javascript"_s},
                                         {u"/css/tallvane.css"_s, 200, u"text/css"_s},
                                         {u"/lang/es.json"_s, 200, u"application/json"_s},
                                         {u"/lang/xx.json"_s, 404, u"text/plain"_s},
                                         {u"/js/../judge.html"_s, 404, u"text/plain"_s},
                                         {u"/api/results?session=1"_s, 200, u"application/json"_s},
                                         {u"/station"_s, 404, u"text/plain"_s}});
    }

    void servesThePages() {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, type);
        WEB_MEET(Meet, m);
        QVERIFY(m.web.isListening());
        WebRequests requests(m.web.port());
        auto reply = requests.get(path);
        QCOMPARE(WebRequests::status(*reply), status);
        QVERIFY2(reply->header(QNetworkRequest::ContentTypeHeader).toString().startsWith(type),
                 qPrintable(reply->header(QNetworkRequest::ContentTypeHeader).toString()));
        QCOMPARE(reply->rawHeader("X-Content-Type-Options"), QByteArray("nosniff"));
        QVERIFY(reply->rawHeader("Content-Security-Policy").startsWith("default-src 'self'"));
    }

    void servesTheMeet() {
        Meet m;
        WebRequests requests(m.web.port());
        auto reply = requests.get(u"/api/meet"_s);
        const QJsonObject meet = QJsonDocument::fromJson(reply->readAll()).object();
        QCOMPARE((QList<QJsonValue>{meet[u"name"_s], meet[u"judgeCount"_s],
                                    meet[u"events"_s].toArray().size()}),
                 (QList<QJsonValue>{u"Spring Classic"_s, 3, 4}));
    }

    // Scores stored close together are told to the stands once, within a
    // second; test scores and scores for unknown gymnasts are no results.
    void liveUpdatesTellStoredScoresOnce() {
        Meet m;
        QWebSocket viewer;
        QSignalSpy heard(&viewer, &QWebSocket::textMessageReceived);
        viewer.open(QUrl(u"ws://127.0.0.1:%1/updates"_s.arg(m.web.port())));
        QTRY_COMPARE(m.pages.updates().viewerCount(), 1);
        auto store = [&m](const QString& num, const QString& final) {
            return storeFinal(m.f.services(), num, u"Bars"_s, final);
        };
        auto told = [&heard] { // everything told since the last look
            QStringList texts;
            while (!heard.isEmpty())
                texts << heard.takeFirst().value(0).toString();
            return texts;
        };
        QElapsedTimer clock;
        clock.start();
        QVERIFY(store(u"101"_s, u"9.1"_s));
        QVERIFY(store(u"103"_s, u"8.9"_s));
        // Syncs slowed past the gathering time (a loaded disk) may part the two.
        const bool together = clock.elapsed() < LiveUpdates::GatherMs;
        QVERIFY(heard.wait(1000));
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(!heard.wait(LiveUpdates::GatherMs * 3) || !together);
        const QStringList first = told();
        QCOMPARE(first, QStringList(together ? 1 : first.size(),
                                    u"{\"session\":1,\"type\":\"scores\"}"_s));
        const auto test =
            SubmittedScore::fromFields(u"SENDSCORE|101|1|1|Bars|||||||||||5|1"_s.split(u'|'));
        QVERIFY(m.f.services().enterScore(test, true).stored);
        QVERIFY(store(u"999"_s, u"9.5"_s));
        QVERIFY(!heard.wait(LiveUpdates::GatherMs * 4));
        QVERIFY(store(u"201"_s, u"9.2"_s));
        QVERIFY(heard.wait(1000));
        QCOMPARE(told(), QStringList{u"{\"session\":2,\"type\":\"scores\"}"_s});
        QCOMPARE(m.f.services().queue().grid()->scoreCount(), 0); // stored without the scoreboard
    }

    // The viewers have a thread of their own: a score's notice reaches them
    // while the judges' thread is busy and runs no event at all (here it
    // waits on the viewer's socket alone). That thread works out the results
    // a page asks for on a "scores" notice before sending it: the judges'
    // thread answers with them (ETag and 304 included) word for word as it
    // would have worked them out, and a change after the notice is never
    // answered with them.
    void resultsAskedAfterANoticeWereWorkedOutAhead() {
        Meet m;
        RawClient viewer(m.web.port(), WebServer::UpdatesPath);
        QVERIFY(viewer.waitUpgraded());
        QTRY_COMPARE(m.pages.updates().viewerCount(), 1);
        const QByteArray notice = R"({"session":1,"type":"scores"})";
        const QString path = u"/api/results?session=1"_s;
        ResultsApi& api = m.pages.results();
        const auto computed = [&m] {
            ResultsApi own(m.f.db(), [&m] { return m.f.meet().server().currentSession().id(); });
            return *own.answer(u"/api/results"_s, QUrlQuery(u"session=1"_s));
        };
        const auto score = [&m](const QString& event, const QString& finalText) {
            return storeFinal(m.f.services(), u"101"_s, event, finalText);
        };
        WebRequests requests(m.web.port());
        int notices = 0;
        // Twice: the second reads the meet as the second score left it.
        for (const QString& finalText : {u"9.1"_s, u"9.3"_s}) {
            QVERIFY(score(u"Bars"_s, finalText));
            ++notices;
            const QDeadlineTimer deadline(5000);
            while (viewer.received().count(notice) < notices &&
                   viewer.socket().waitForReadyRead(int(deadline.remainingTime()))) {
            }
            QCOMPARE(viewer.received().count(notice), notices);
            const int computations = api.computations();
            const int ahead = api.snapshotAnswers();
            auto reply = requests.get(path);
            QCOMPARE(api.computations(), computations);
            QCOMPARE(api.snapshotAnswers(), ahead + 1);
            const ApiReply expected = computed();
            QCOMPARE(reply->readAll(), expected.body);
            QCOMPARE(reply->rawHeader("ETag"), expected.etag);
            reply = requests.send("GET", path, {{"If-None-Match", expected.etag}});
            QCOMPARE(WebRequests::status(*reply), 304);
        }

        // A score stored after the notice: its results, never the ones
        // worked out before it.
        auto before = requests.get(path);
        QVERIFY(score(u"Beam"_s, u"8.7"_s));
        auto after = requests.get(path);
        const QByteArray answered = after->readAll();
        QCOMPARE(answered, computed().body);
        QVERIFY(answered != before->readAll());
    }

    // A notice goes out a few dozen viewers at a time: with more viewers than
    // one turn tells, every one still hears every notice, in order. Viewers
    // still connected when the pages close, or when the meet's web side goes
    // with a notice on its way to them, are let go; their thread ends with them.
    void viewersConnectedAtTheEndAreLetGo() {
        constexpr int Viewers = LiveUpdates::ViewersPerTurn * 3;
        std::vector<std::unique_ptr<QWebSocket>> viewers;
        auto allGone = [&viewers] {
            return std::all_of(viewers.begin(), viewers.end(), [](const auto& viewer) {
                return viewer->state() == QAbstractSocket::UnconnectedState;
            });
        };
        auto m = std::make_unique<Meet>();
        viewers = m->viewers(Viewers);
        QCOMPARE(m->pages.updates().viewerCount(), Viewers);
        m->pages.close();
        QTRY_VERIFY(allGone());
        QTRY_COMPARE(m->pages.updates().viewerCount(), 0);

        m = std::make_unique<Meet>();
        viewers = m->viewers(Viewers);
        QCOMPARE(m->pages.updates().viewerCount(), Viewers);
        std::vector<QStringList> heard(Viewers);
        for (size_t i = 0; i < viewers.size(); ++i)
            connect(viewers[i].get(), &QWebSocket::textMessageReceived, this,
                    [&heard, i](const QString& text) { heard[i] << text; });
        m->pages.updates().currentSessionChanged(u"1"_s);
        m->pages.updates().currentSessionChanged(u"2"_s);
        const QStringList expected{u"{\"session\":1,\"type\":\"session\"}"_s,
                                   u"{\"session\":2,\"type\":\"session\"}"_s};
        QTRY_VERIFY(std::all_of(heard.begin(), heard.end(),
                                [](const QStringList& texts) { return texts.size() == 2; }));
        QVERIFY(std::all_of(heard.begin(), heard.end(),
                            [&expected](const QStringList& texts) { return texts == expected; }));
        m->pages.updates().currentSessionChanged(u"1"_s);
        m.reset();
        QTRY_VERIFY(allGone());
    }

    void aBrowserStationIsAStationLikeAnyOther() {
        Meet m;
        auto judge = m.station(m.origin());
        QCOMPARE(judge->loginJudge(u"Bars"_s, 1, u"3917"_s),
                 u"AUTHRESP|0|"_s + QString::number(m.f.state().numJudges()));
        QCOMPARE(m.f.server().judgeStations()->stringList(),
                 QStringList{u"Bars (Judge #1: Judge 1) - 127.0.0.1"_s});
        // A TCP judge 2 of the same panel reaches the browser's judge 1, and
        // the same number is refused over either transport.
        TestStation& tcp = m.f.judge(u"Bars"_s, 2);
        tcp.send(u"SENDSCORE2|101|2|Bars|9.100"_s);
        QCOMPARE(judge->next(), u"SECONDARYSCORE|2|9.100|"_s);
        auto again = m.station();
        QVERIFY(again->loginJudge(u"Bars"_s, 2, u"3917"_s).startsWith(u"AUTHRESP|1|Judge 2"_s));

        // The browser judge's score reaches a TCP display, a TCP judge's a browser display.
        TestStation& display = m.f.display(u"Lobby"_s);
        auto board = m.station(m.origin());
        QCOMPARE(board->loginDisplay(u"Hall"_s, u"3917"_s), u"AUTHRESP|0"_s);
        judge->send(u"SENDSCORE|101|2|1|Bars|9.1|9.1||||||10|0|9.1|9.100|0"_s);
        QCOMPARE(judge->next(), u"SCORECONFIRM|0"_s);
        QCOMPARE(display.next(), u"SETSCORE|Bars|101|Ava Brooks|9.100|30000|0"_s);
        QCOMPARE(board->next(), u"SETSCORE|Bars|101|Ava Brooks|9.100|30000|0"_s);

        const int rows = m.f.connectionRows();
        judge->socket().close();
        QTRY_COMPARE(m.f.connectionRows(), rows - 1);
    }

    // An advertisement image reaches a browser board byte for byte as one
    // binary frame, also bytes that are no text: NUL, line ends, bytes that
    // cannot start a UTF-8 character.
    void anAdImageArrivesByteForByteAsOneBinaryFrame() {
        Meet m;
        QByteArray image("\x89PNG\r\n\x1a\n", 8);
        for (int b = 0; b < 256; ++b)
            image.append(char(b));
        QVERIFY(QDir(m.f.state().dataFolder()).mkpath(u"server_ads"_s));
        TransferFiles::write(m.f.state().dataFolder() + u"/server_ads/every.png"_s, image);
        const QByteArray answer = "RECEIVE_AD_FILE|" + image + "/\\/\\ENDOFFILE/\\/\\";

        auto board = m.station(m.origin());
        QCOMPARE(board->loginDisplay(u"Hall"_s, u"3917"_s), u"AUTHRESP|0"_s);
        board->send(u"AD_FILE_START|server_ads/every.png|0"_s);
        QCOMPARE(board->nextBinary(), answer);
    }

    // A station that asks for more than it reads has no more than the limit
    // waiting for it, and is let go when it goes on not reading.
    void aStationThatDoesNotReadIsLetGo_data() {
        addDataRows<QString>({"transport"}, {{u"TCP"_s}, {u"browser"_s}});
    }
    void aStationThatDoesNotReadIsLetGo() {
        QFETCH(QString, transport);
        Meet m;
        StationServer& server = m.f.meet().stations();
        constexpr qint64 Limit = 1024 * 1024;
        server.setMaxPendingOutput(Limit);
        server.setOutputStallTimeout(300);
        QSignalSpy opened(&server, &StationServer::connectionOpened);
        QTcpSocket tcp;
        std::unique_ptr<WebTestStation> browser;
        if (transport == u"TCP"_s) {
            tcp.setReadBufferSize(4096);
            tcp.connectToHost(QHostAddress::LocalHost, m.f.port());
        } else {
            browser = m.station();
            browser->socket().setReadBufferSize(4096);
        }
        QVERIFY(opened.wait());
        const ConnectionId id = opened.first().first().value<ConnectionId>();
        // Answers keep coming (an ad asked for again and again).
        const QString answer(256 * 1024, u'x');
        qint64 mostWaiting = 0;
        QTimer asking;
        connect(&asking, &QTimer::timeout, this, [&] {
            server.sendData(id, answer);
            mostWaiting = std::max(mostWaiting, server.pendingOutput(id));
        });
        asking.start(1);
        QTRY_VERIFY_WITH_TIMEOUT(!server.isConnected(id), 20000);
        QVERIFY(mostWaiting <= Limit);
        QVERIFY(m.f.alerts().alerts().constLast().contains(u"did not read"_s));
        // A browser's is cut off at once, not left to a graceful close that
        // waits for a reader who never comes.
        QTRY_COMPARE_WITH_TIMEOUT(m.web.stationCount(), 0, WebStation::CloseGraceMs / 5);
    }

    // The log-in time applies as on TCP: a silent page is closed, a logged-in one stays.
    void aSilentPageIsClosedAtTheLogInTime() {
        Meet m;
        auto ownPage = m.station(m.origin());
        QCOMPARE(ownPage->loginJudge(u"Vault"_s, 1, u"3917"_s).left(11), u"AUTHRESP|0|"_s);
        m.f.server().setLoginTimeout(100);
        auto silent = m.station();
        QVERIFY(silent->waitConnected());
        QVERIFY(silent->waitDisconnected());
        QVERIFY(ownPage->isConnected());
    }
};

QTEST_GUILESS_MAIN(TestWebStations)
#include "tst_web_stations.moc"
