#include "serverfixture.h"
#include "web/liveupdates.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>
#include <QWebSocketServer>

using namespace Qt::Literals::StringLiterals;

// Viewers of the live updates on real WebSockets of 127.0.0.1, hearing of
// scores stored through the score path of a running meet server.
class TestWebLiveUpdates : public QObject {
    Q_OBJECT

    std::unique_ptr<ServerFixture> mFixture;
    std::unique_ptr<LiveUpdates> mUpdates;
    std::unique_ptr<QWebSocketServer> mSockets;
    std::unique_ptr<QWebSocket> mViewer;
    std::unique_ptr<QSignalSpy> mHeard;

    bool store(const QString& num, const QString& final, bool testScore = false) {
        SubmittedScore score;
        score.num = num;
        score.event = u"Bars"_s;
        score.finalText = final;
        score.testScore = testScore;
        return mFixture->services().enterScore(score, true).stored;
    }
    QStringList heard() {
        QStringList texts;
        for (const QList<QVariant>& message : std::as_const(*mHeard))
            texts.append(message.value(0).toString());
        mHeard->clear();
        return texts;
    }

private Q_SLOTS:
    void init() {
        mFixture = std::make_unique<ServerFixture>();
        QVERIFY2(mFixture->started(), qPrintable(mFixture->startMessage()));
        mUpdates = std::make_unique<LiveUpdates>(mFixture->db().changes());
        mSockets =
            std::make_unique<QWebSocketServer>(u"updates"_s, QWebSocketServer::NonSecureMode);
        QVERIFY(mSockets->listen(QHostAddress::LocalHost, 0));
        connect(mSockets.get(), &QWebSocketServer::newConnection, this, [this] {
            while (mSockets->hasPendingConnections())
                mUpdates->addViewer(std::unique_ptr<QWebSocket>(mSockets->nextPendingConnection()));
        });
        mViewer = std::make_unique<QWebSocket>();
        mHeard = std::make_unique<QSignalSpy>(mViewer.get(), &QWebSocket::textMessageReceived);
        mViewer->open(QUrl(u"ws://127.0.0.1:%1/updates"_s.arg(mSockets->serverPort())));
        QTRY_COMPARE(mUpdates->viewerCount(), 1);
    }
    void cleanup() {
        mHeard.reset();
        mViewer.reset();
        mUpdates.reset();
        mSockets.reset();
        mFixture.reset();
    }

    // Scores stored close together are told once, within a second; test
    // scores and scores for unknown gymnasts are no results and are not told.
    void storedScoresAreToldOnce() {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(store(u"101"_s, u"9.1"_s));
        QVERIFY(store(u"103"_s, u"8.9"_s));
        QVERIFY(mHeard->wait(1000));
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(!mHeard->wait(LiveUpdates::GatherMs * 3));
        QCOMPARE(heard(), QStringList{u"{\"session\":1,\"type\":\"scores\"}"_s});

        QVERIFY(store(u"101"_s, u"5"_s, true));
        QVERIFY(store(u"999"_s, u"9.5"_s));
        QVERIFY(!mHeard->wait(LiveUpdates::GatherMs * 4));
        QVERIFY(store(u"201"_s, u"9.2"_s));
        QVERIFY(mHeard->wait(1000));
        QCOMPARE(heard(), QStringList{u"{\"session\":2,\"type\":\"scores\"}"_s});
    }

    void sessionChangesAndClosedViewers() {
        mUpdates->currentSessionChanged(u"2"_s);
        QVERIFY(mHeard->wait(1000));
        QCOMPARE(heard(), QStringList{u"{\"session\":2,\"type\":\"session\"}"_s});
        mViewer->close();
        QTRY_COMPARE(mUpdates->viewerCount(), 0);
        QVERIFY(store(u"101"_s, u"9.3"_s)); // nobody left to tell: no harm
    }
};

QTEST_GUILESS_MAIN(TestWebLiveUpdates)
#include "tst_web_liveupdates.moc"
