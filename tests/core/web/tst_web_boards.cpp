#include "webmeetfixture.h"
#include "webrequests.h"
#include "webteststation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// Board layouts chosen at the desk, through the real server: browser boards
// on WebSockets, a TCP display beside them.
class TestWebBoards : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        BoardLayouts& boards = pages.boards();

        // Waits until the board of that name says it shows `layout`.
        bool showing(const QString& name, const BoardLayout& layout) {
            QSignalSpy changed(&boards, &BoardLayouts::changed);
            for (int round = 0; round < 20; ++round) {
                const auto board = boards.board(name);
                if (board && board->showing == layout)
                    return true;
                if (!changed.wait(5000))
                    return false;
            }
            return false;
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
                               u"BOARDLAYOUT|grid|all||"_s,
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

    // A board says what it shows; the desk changes it; it drops, logs in
    // again and is told the desk's choice again. Another board is untouched.
    void theDesksChoiceReachesTheBoardAndOutlivesItsReconnects() {
        Meet m;
        QVERIFY(m.f.started());
        auto door = std::make_unique<WebTestStation>(m.web.port());
        QCOMPARE(door->loginDisplay(u"Door"_s, m.f.pin()), u"AUTHRESP|0"_s);
        WebTestStation hall(m.web.port());
        QCOMPARE(hall.loginDisplay(u"Hall"_s, m.f.pin()), u"AUTHRESP|0"_s);
        // Nothing chosen yet: the boards hear nothing, and say what they show.
        door->send(u"BOARDLAYOUT|single|all||"_s);
        hall.send(u"BOARDLAYOUT|four|all||"_s);
        QVERIFY(m.showing(u"Door"_s, layout(u"BOARDLAYOUT|single|all||"_s)));
        QVERIFY(m.showing(u"Hall"_s, layout(u"BOARDLAYOUT|four|all||"_s)));

        QVERIFY(m.boards.choose(u"Door"_s, layout(u"BOARDLAYOUT|leaders|all|4|Junior"_s)));
        QCOMPARE(door->next(), u"BOARDLAYOUT|leaders|all|4|Junior"_s);
        door->send(u"BOARDLAYOUT|leaders|all|4|Junior"_s);
        QVERIFY(m.showing(u"Door"_s, layout(u"BOARDLAYOUT|leaders|all|4|Junior"_s)));

        QSignalSpy closed(&m.f.meet().stations(), &StationServer::connectionClosed);
        door.reset();
        QVERIFY(closed.wait());
        QCOMPARE(m.boards.board(u"Door"_s)->connection, ConnectionId(0));
        WebTestStation back(m.web.port());
        QCOMPARE(back.loginDisplay(u"Door"_s, m.f.pin()), u"AUTHRESP|0"_s);
        QCOMPARE(back.next(), u"BOARDLAYOUT|leaders|all|4|Junior"_s);

        // The other board heard nothing of it, and still shows its own.
        QVERIFY(m.boards.choose(u"Hall"_s, layout(u"BOARDLAYOUT|upnext|Vault||"_s)));
        QCOMPARE(hall.next(), u"BOARDLAYOUT|upnext|Vault||"_s);
        QCOMPARE(m.boards.board(u"Hall"_s)->showing, layout(u"BOARDLAYOUT|four|all||"_s));

        // Unknown boards and unsound layouts are refused at the desk.
        QString refusal;
        QVERIFY(!m.boards.choose(u"Gym"_s, {}, &refusal));
        QVERIFY(refusal.contains(u"No board named \"Gym\""_s));
        QVERIFY(!m.boards.choose(u"Hall"_s, {u"grid"_s, u"all"_s, {}, {}}, &refusal));
        QCOMPARE(refusal, u"\"grid\" is no board layout."_s);
    }

    // Bad texts change nothing and get no answer; the board stays connected.
    // A TCP display is listed as fixed, is never told, and cannot be changed.
    void badTextsAndTcpDisplaysAreLeftAlone() {
        Meet m;
        QVERIFY(m.f.started());
        TestStation& tcp = m.f.display(u"Scoreboard"_s);
        WebTestStation board(m.web.port());
        QCOMPARE(board.loginDisplay(u"Door"_s, m.f.pin()), u"AUTHRESP|0"_s);
        WebTestStation pad(m.web.port());
        QVERIFY(pad.loginJudge(u"Vault"_s, 1, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));

        QVERIFY(m.boards.choose(u"Door"_s, layout(u"BOARDLAYOUT|teams|all|5|"_s)));
        QCOMPARE(board.next(), u"BOARDLAYOUT|teams|all|5|"_s);
        for (const QString& text :
             {u"BOARDLAYOUT|"_s, u"BOARDLAYOUT|four"_s, u"BOARDLAYOUT|four|all|||x"_s,
              u"BOARDLAYOUT|tetris|all||"_s, u"BOARDLAYOUT|four|Pommel||"_s,
              u"BOARDLAYOUT|leaders|all|%1|"_s.arg(QString(5000, u'4'))})
            board.send(text);
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

        const auto fixed = m.boards.board(u"Scoreboard"_s);
        QVERIFY(fixed && !fixed->browser);
        QCOMPARE(fixed->showing, layout(u"BOARDLAYOUT|single|all||"_s));
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

    // The operator's pages list the boards and choose for them, with the
    // operator PIN only.
    void theOperatorsPagesChooseWithTheOperatorPin() {
        Meet m;
        QVERIFY(m.f.started());
        WebTestStation board(m.web.port());
        QCOMPARE(board.loginDisplay(u"Door"_s, m.f.pin()), u"AUTHRESP|0"_s);
        WebRequests pages(m.web.port());
        const auto status = &WebRequests::status;
        const QString choose = u"/api/boards/layout?name=Door&layout=upnext&shows=floor"_s;
        // The station PIN opens no operator's page.
        QCOMPARE(status(*pages.post(choose, pages.cookieFor(m.f.pin()))), 401);
        const QByteArray cookie = pages.cookieFor(m.f.state().operatorPin());
        QVERIFY(!cookie.isEmpty());
        auto chosen = pages.post(choose, cookie);
        QCOMPARE(status(*chosen), 200);
        const QJsonArray boards =
            QJsonDocument::fromJson(chosen->readAll()).object()[u"boards"_s].toArray();
        QCOMPARE(boards.size(), 1);
        QCOMPARE(boards[0][u"chosen"_s][u"shows"_s].toString(), u"Floor"_s);
        QCOMPARE(board.next(), u"BOARDLAYOUT|upnext|Floor||"_s);
        QCOMPARE(status(*pages.post(u"/api/boards/layout?name=Door&layout=grid"_s, cookie)), 409);
    }
};

QTEST_GUILESS_MAIN(TestWebBoards)
#include "tst_web_boards.moc"
