#include "signalwait.h"
#include "webmeetfixture.h"
#include "webrequests.h"
#include "webteststation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// What the hall sees, through the real server: board layouts chosen at the
// desk (browser boards on WebSockets, a TCP display beside them), and the
// announcer's view of the session.
class TestWebBoards : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        BoardLayouts& boards = pages.boards();
        WebRequests requests{web.port()};

        QJsonValue underway(const QString& event, int session = 1) {
            auto reply = requests.get(u"/api/announcer?session=%1"_s.arg(session));
            const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
            return answer[u"underway"_s].toObject()[event];
        }

        // Waits until the board of that name says it shows `layout`.
        bool showing(const QString& name, const BoardLayout& layout) {
            const auto shows = [&] {
                const auto board = boards.board(name);
                return board && board->showing == layout;
            };
            return waitOnSignal(&boards, &BoardLayouts::changed, shows, 5000);
        }
    };

    static BoardLayout layout(const QString& text) {
        return *BoardLayout::fromFields(text.split(u'|'));
    }

private Q_SLOTS:
    void theFieldsAreChecked() {
        QVERIFY(BoardLayout::fromFields(u"BOARDLAYOUT|four|all||"_s.split(u'|')));
        const auto upNext =
            BoardLayout::fromFields(u"BOARDLAYOUT|upnext|bEAM| 4 |Junior"_s.split(u'|'));
        QVERIFY(upNext);
        QCOMPARE(upNext->shows, u"Beam"_s);
        QCOMPARE(upNext->level, u"4"_s);
        QCOMPARE(upNext->message(), u"BOARDLAYOUT|upnext|Beam|4|Junior"_s);
        const QString bad[] = {u"BOARDLAYOUT|four|all|"_s,
                               u"BOARDLAYOUT|four|all|||"_s,
                               u"BOARDLAYOUT|Four|all||"_s,
                               u"BOARDLAYOUT|four|Rings||"_s,
                               u"BOARDLAYOUT|leaders|all|%1|"_s.arg(QString(11, u'9')),
                               u"BOARDLAYOUT|leaders|all||%1"_s.arg(QString(51, u'x')),
                               u"BOARDLAYOUT|leaders|all|4\t|"_s};
        for (const QString& text : bad)
            QVERIFY2(!BoardLayout::fromFields(text.split(u'|')), qPrintable(text));
        QCOMPARE(
            BoardLayout::link(u"http://10.0.0.2:10121/"_s, u"Door & Hall"_s, u"four"_s, u"3917"_s),
            u"http://10.0.0.2:10121/display?name=Door%20%26%20Hall&layout=four&pin=3917"_s);
    }

    // A board says what it shows and is told the desk's choice; another board
    // is untouched.
    void theDesksChoiceReachesTheBoardAndNoOther() {
        WEB_MEET(Meet, m);
        WebTestStation door(m.web.port());
        QCOMPARE(door.loginDisplay(u"Door"_s, m.f.pin()), u"AUTHRESP|0"_s);
        WebTestStation hall(m.web.port());
        QCOMPARE(hall.loginDisplay(u"Hall"_s, m.f.pin()), u"AUTHRESP|0"_s);
        // Nothing chosen yet: the board hears nothing, and says what it shows.
        hall.send(u"BOARDLAYOUT|four|all||"_s);
        QVERIFY(m.showing(u"Hall"_s, layout(u"BOARDLAYOUT|four|all||"_s)));

        QVERIFY(m.boards.choose(u"Door"_s, layout(u"BOARDLAYOUT|leaders|all|4|Junior"_s)));
        QCOMPARE(door.next(), u"BOARDLAYOUT|leaders|all|4|Junior"_s);

        // The other board heard nothing of it, and still shows its own. The
        // operator's pages choose for it with the operator PIN only.
        WebRequests& pages = m.requests;
        const QString choose = u"/api/boards/layout?name=Hall&layout=upnext&shows=floor"_s;
        QCOMPARE(WebRequests::status(*pages.post(choose, pages.cookieFor(m.f.pin()))), 401);
        const QByteArray cookie = pages.cookieFor(m.f.state().operatorPin());
        auto chosen = pages.post(choose, cookie);
        QCOMPARE(WebRequests::status(*chosen), 200);
        const QJsonArray boards =
            QJsonDocument::fromJson(chosen->readAll()).object()[u"boards"_s].toArray();
        QCOMPARE(boards.size(), 2);
        QCOMPARE(hall.next(), u"BOARDLAYOUT|upnext|Floor||"_s);
        QCOMPARE(m.boards.board(u"Hall"_s)->showing, layout(u"BOARDLAYOUT|four|all||"_s));

        // Unknown boards and unsound layouts are refused at the desk.
        QString refusal;
        QVERIFY(!m.boards.choose(u"Gym"_s, {}, &refusal));
        QVERIFY(refusal.contains(u"No board named \"Gym\""_s));
        QVERIFY(!m.boards.choose(u"Hall"_s, {u"grid"_s, u"all"_s, {}, {}}, &refusal));
        QCOMPARE(refusal, u"\"grid\" is no board layout."_s);
        QCOMPARE(
            WebRequests::status(*pages.post(u"/api/boards/layout?name=Hall&layout=grid"_s, cookie)),
            409);
    }

    // Bad texts change nothing and get no answer; the board stays connected.
    // A TCP display shows one score, is never told, and cannot be changed.
    void badTextsAndTcpDisplaysAreLeftAlone() {
        WEB_MEET(Meet, m);
        TestStation& tcp = m.f.display(u"Scoreboard"_s);
        WebTestStation board(m.web.port());
        QCOMPARE(board.loginDisplay(u"Door"_s, m.f.pin()), u"AUTHRESP|0"_s);
        WebTestStation pad(m.web.port());
        QVERIFY(pad.loginJudge(u"Vault"_s, 1, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));

        QVERIFY(m.boards.choose(u"Door"_s, layout(u"BOARDLAYOUT|teams|all|5|"_s)));
        QCOMPARE(board.next(), u"BOARDLAYOUT|teams|all|5|"_s);
        board.send(u"BOARDLAYOUT|four"_s);
        board.send(u"BOARDLAYOUT|leaders|all|%1|"_s.arg(QString(5000, u'4')));
        // A judge's pad is no board.
        pad.send(u"BOARDLAYOUT|four|all||"_s);
        tcp.send(u"BOARDLAYOUT|four|all||"_s);
        board.send(u"BOARDLAYOUT|teams|all|5|"_s);
        QVERIFY(m.showing(u"Door"_s, layout(u"BOARDLAYOUT|teams|all|5|"_s)));
        QVERIFY(board.isConnected());
        QVERIFY(!m.boards.board(u"Vault"_s));
        // Nothing came to the board in answer: the next text is the desk's.
        QVERIFY(m.boards.choose(u"Door"_s, layout(u"BOARDLAYOUT|loop|all||"_s)));
        QCOMPARE(board.next(), u"BOARDLAYOUT|loop|all||"_s);

        QCOMPARE(m.boards.board(u"Scoreboard"_s)->showing, layout(u"BOARDLAYOUT|single|all||"_s));
        QString refusal;
        QVERIFY(!m.boards.choose(u"Scoreboard"_s, layout(u"BOARDLAYOUT|four|all||"_s), &refusal));
        QVERIFY(refusal.contains(u"TCP display"_s));
        QVERIFY(tcp.pending().filter(u"BOARDLAYOUT"_s).isEmpty());

        // A TCP display that takes the name of a browser board with a choice
        // is not told it, and is listed as what it is.
        auto browserGym = std::make_unique<WebTestStation>(m.web.port());
        QCOMPARE(browserGym->loginDisplay(u"Gym"_s, m.f.pin()), u"AUTHRESP|0"_s);
        QVERIFY(m.boards.choose(u"Gym"_s, layout(u"BOARDLAYOUT|four|all||"_s)));
        QCOMPARE(browserGym->next(), u"BOARDLAYOUT|four|all||"_s);
        QSignalSpy closed(&m.f.meet().stations(), &StationServer::connectionClosed);
        browserGym.reset();
        QVERIFY(closed.wait());
        TestStation& tcpGym = m.f.display(u"Gym"_s);
        QCOMPARE(m.boards.board(u"Gym"_s)->current(), layout(u"BOARDLAYOUT|single|all||"_s));
        QVERIFY(tcpGym.pending().filter(u"BOARDLAYOUT"_s).isEmpty());
    }

    // The announcer's API: who is on each event, the session's placed rows
    // with their squads and running order, refusals, and nothing a spectator
    // may not see.
    void refusesBadQueries_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("status");
        QTest::newRow("none") << u""_s << 400;
        QTest::newRow("not a number") << u"session=one"_s << 400;
        QTest::newRow("twice") << u"session=1&session=1"_s << 400;
        QTest::newRow("unknown parameter") << u"session=1&level=4"_s << 400;
        QTest::newRow("no such session") << u"session=77"_s << 404;
    }
    void refusesBadQueries() {
        QFETCH(QString, query);
        QFETCH(int, status);
        WEB_MEET(Meet, m);
        auto reply = m.requests.get(u"/api/announcer?"_s + query);
        QCOMPARE(WebRequests::status(*reply), status);
        QVERIFY(
            !QJsonDocument::fromJson(reply->readAll()).object()[u"error"_s].toString().isEmpty());
    }

    // Each event is on the gymnast its judges looked up last among
    // those of the session asked for; a number that finds no one moves nothing.
    void followsTheLookups() {
        WEB_MEET(Meet, m);
        QWebSocket viewer;
        QSignalSpy heard(&viewer, &QWebSocket::textMessageReceived);
        viewer.open(QUrl(u"ws://127.0.0.1:%1/updates"_s.arg(m.web.port())));
        QTRY_COMPARE(m.pages.updates().viewerCount(), 1);
        for (const QString& event : {u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s})
            QCOMPARE(m.underway(event), QJsonValue(QJsonValue::Null));

        TestStation& vault = m.f.judge(u"Vault"_s);
        vault.send(u"GYMNASTQUERY|0103|Vault|1"_s);
        QVERIFY(vault.next().startsWith(u"GYMNASTQUERYRESP|0|"_s));
        // The viewers' thread may have told it while the answer was awaited.
        QVERIFY(!heard.isEmpty() || heard.wait(2000));
        QCOMPARE(heard.takeFirst().value(0).toString(), u"{\"type\":\"underway\"}"_s);
        QCOMPARE(m.underway(u"Vault"_s), QJsonValue(u"103"_s));

        vault.send(u"GYMNASTQUERY|99999|Vault|1"_s);
        QVERIFY(vault.next().startsWith(u"GYMNASTQUERYRESP|"_s));
        vault.send(u"GYMNASTQUERY|201|Vault|1"_s); // of session 2
        QVERIFY(vault.next().startsWith(u"GYMNASTQUERYRESP|0|"_s));
        QCOMPARE(m.underway(u"Vault"_s), QJsonValue(u"103"_s));
        QCOMPARE(m.underway(u"Vault"_s, 2), QJsonValue(u"201"_s));
    }

    // Names, gyms, levels, divisions, squads, running order, scores and
    // places: nothing else leaves, not a birthday nor a PIN.
    void carriesOnlyPublicData() {
        WEB_MEET(Meet, m);
        auto reply = m.requests.get(u"/api/announcer?session=1"_s);
        QCOMPARE(WebRequests::status(*reply), 200);
        const QByteArray body = reply->readAll();
        QVERIFY(!body.contains(m.f.pin().toLatin1()));
        QVERIFY(!body.contains(m.f.state().operatorPin().toLatin1()));
        const QSet<QString> allowed{u"num"_s,   u"name"_s,  u"gym"_s,    u"level"_s,  u"division"_s,
                                    u"squad"_s, u"order"_s, u"Vault"_s,  u"Bars"_s,   u"Beam"_s,
                                    u"Floor"_s, u"AA"_s,    u"places"_s, u"review"_s, u"inquiry"_s};
        const QJsonArray rows = QJsonDocument::fromJson(body).object()[u"rows"_s].toArray();
        QVERIFY(!rows.isEmpty());
        for (const QJsonValue& row : rows) {
            for (const QString& key : row.toObject().keys())
                QVERIFY2(allowed.contains(key), qPrintable(key));
        }
    }
};

QTEST_GUILESS_MAIN(TestWebBoards)
#include "tst_web_boards.moc"
