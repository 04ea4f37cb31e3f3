#include "datarows.h"
#include "scoreboard/adfiles.h"
#include "transferfiles.h"
#include "webmeetfixture.h"
#include "webrequests.h"
#include "webteststation.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The operator's pages: a log-in with the operator PIN, a session cookie, and
// their APIs closed to everybody else.
class TestWebOperator : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        WebRequests requests{web.port()};

        Meet() {
            // An operator API to knock on.
            pages.addOperatorRoute(u"/api/probe"_s,
                                   [](const HttpRequest&) { return HttpReply(R"({"probe":1})"); });
        }
        QString operatorPin() { return f.state().operatorPin(); }

        std::unique_ptr<QNetworkReply> logIn(const QString& pin) {
            return requests.post(u"/api/operator/login"_s, {}, pin.toUtf8());
        }
        QByteArray cookieOf(QNetworkReply& reply) { return WebRequests::cookieOf(reply); }
        int statusOf(const QByteArray& cookie) {
            return status(*requests.get(u"/api/probe"_s, cookie));
        }
    };

    static int status(QNetworkReply& reply) { return WebRequests::status(reply); }

private Q_SLOTS:
    // A new data folder has a PIN of six or more digits that is not the
    // judges' one.
    void theOperatorPinIsMadeAtRandom() {
        WebMeetFixture m;
        const QString pin = m.f.state().operatorPin();
        QVERIFY2(pin.size() >= 6, qPrintable(pin));
        QVERIFY(pin != m.f.pin());
        QCOMPARE(TransferFiles::read(m.f.state().operatorPinFilePath()), pin.toLatin1() + "\r\n");
        // An empty one would open the pages to anybody: it is made anew.
        TransferFiles::write(m.f.state().operatorPinFilePath(), "\r\n");
        QVERIFY(m.f.state().loadSettings());
        QVERIFY(m.f.state().operatorPin().size() >= 6);
    }

    // The right PIN gives a cookie that lasts as long as the browser; the
    // operator API answers that cookie alone, with a short JSON error else.
    void aLogInOpensTheOperatorApis() {
        Meet m;
        QVERIFY(m.f.started());
        QCOMPARE(m.statusOf({}), 401);
        auto refused = m.requests.send("GET", u"/api/probe"_s, {});
        QCOMPARE(QJsonDocument::fromJson(refused->readAll()).object().value(u"error"_s).toString(),
                 u"Operator log-in needed."_s);

        QCOMPARE(status(*m.logIn(m.f.pin())), 401); // the station PIN opens nothing here
        auto login = m.logIn(m.operatorPin());
        QCOMPARE(status(*login), 200);
        const QByteArray setCookie = login->rawHeader("Set-Cookie");
        QVERIFY(setCookie.contains("HttpOnly"));
        QVERIFY(setCookie.contains("SameSite=Strict"));
        QVERIFY(!setCookie.contains("Max-Age"));
        QVERIFY(!setCookie.contains("Expires"));
        const QByteArray cookie = m.cookieOf(*login);
        QCOMPARE(m.statusOf(cookie), 200);
        QCOMPARE(m.statusOf("tallvane_operator=" + QByteArray(64, '0')), 401);

        // Another site's page cannot log in for the visitor.
        QCOMPARE(status(*m.requests.send("POST", u"/api/operator/login"_s,
                                         {{"X-Operator-Pin", m.operatorPin().toUtf8()},
                                          {"Origin", "http://elsewhere.example"}})),
                 403);
        // A new operator PIN sends everybody back to the log-in.
        m.f.state().setOperatorPin(u"86420864"_s);
        QCOMPARE(m.statusOf(cookie), 401);
        auto again = m.logIn(u"86420864"_s);
        QCOMPARE(m.statusOf(m.cookieOf(*again)), 200);
        auto logout =
            m.requests.send("POST", u"/api/operator/logout"_s, {{"Cookie", m.cookieOf(*again)}});
        QCOMPARE(status(*logout), 200);
        QCOMPARE(m.statusOf(m.cookieOf(*again)), 401);
    }

    // Guessing the operator PIN costs what guessing the station PIN does,
    // and both count together.
    void wrongOperatorPinsCountWithStationPins() {
        Meet m;
        QVERIFY(m.f.started());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(status(*m.logIn(u"000000"_s)), 401);
        TestStation& judge = m.f.station();
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Ann"_s, u"0000"_s), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(status(*m.logIn(u"111111"_s)), 401); // the fifth wrong PIN from this address
        // Now neither the right operator PIN nor the right station PIN is looked at.
        auto blocked = m.logIn(m.operatorPin());
        QCOMPARE(status(*blocked), 429);
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Ann"_s, m.f.pin()), u"AUTHRESP|1|Invalid PIN"_s);

        // Wrong operator PINs from many devices: the alert names the PIN guessed.
        for (int host = 2; host <= 7; ++host)
            m.f.server().checkOperatorPin(u"127.0.0.%1"_s.arg(host), u"000000"_s);
        QCOMPARE(m.f.alerts().alerts().filter(u"guessing the operator PIN"_s).size(), 1);
    }

    // operatorpin.txt is never an advertisement image, nor a page, nor part
    // of an API answer.
    void theOperatorPinIsNeverServed() {
        Meet m;
        QVERIFY(m.f.started());
        const QByteArray pin = m.operatorPin().toLatin1();
        // Asked for by a board, it gets no answer: the next answer is the
        // image asked for after it.
        QByteArray image("\x89PNG\r\n\x1a\n", 8);
        TransferFiles::write(m.f.state().dataFolder() + u"/hall.png"_s, image);
        auto board = std::make_unique<WebTestStation>(m.web.port());
        QCOMPARE(board->loginDisplay(u"Hall"_s, m.f.pin()), u"AUTHRESP|0"_s);
        for (const QString& name : {u"operatorpin.txt"_s, u"OPERATORPIN.TXT"_s,
                                    u"./operatorpin.txt"_s, u"x/../operatorpin.txt"_s}) {
            QVERIFY(AdFiles::resolve(m.f.state().dataFolder(), name, AppState::settingsFileNames())
                        .isEmpty());
            board->send(u"AD_FILE_START|%1|0"_s.arg(name));
            board->send(u"AD_FILE_START|hall.png|0"_s);
            const QByteArray answer = board->nextBinary();
            QVERIFY(answer.contains(image));
            QVERIFY(!answer.contains(pin));
        }
        auto login = m.logIn(m.operatorPin());
        const QByteArray cookie = m.cookieOf(*login);
        QVERIFY(!login->readAll().contains(pin));
        for (const QString& path :
             {u"/operatorpin.txt"_s, u"/api/meet"_s, u"/api/sessions"_s,
              u"/api/results?session=1"_s, u"/api/teams?session=1"_s, u"/api/announcer?session=1"_s,
              u"/api/probe"_s, u"/api/health"_s}) {
            auto reply = m.requests.send("GET", path, {{"Cookie", cookie}});
            QVERIFY2(status(*reply) != 0, qPrintable(path));
            QVERIFY2(!reply->readAll().contains(pin), qPrintable(path));
        }
    }
};

QTEST_GUILESS_MAIN(TestWebOperator)
#include "tst_web_operator.moc"
