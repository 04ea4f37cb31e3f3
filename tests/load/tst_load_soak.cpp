// A long meet in a short time: 200 stations (judges and score displays) on real
// TCP answer heartbeats, every judge sends scores, and stations fall silent, drop
// their connection and come back. At the end the registry holds exactly the live
// stations, every score is stored and queued once, and memory has not grown.
#include "firstrow.h"
#include "residentmemory.h"
#include "scoreload.h"
#include "serverfixture.h"

#include <QTest>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int JudgesPerEvent = 7; // the most a panel has
constexpr int Displays = 172;     // with 28 judges: 200 stations
constexpr int ScoresPerRound = 3;
constexpr int Rounds = 4; // each round: scores, then stations fall silent and return
constexpr int DeadlineMs = 60000;

// One simulated station; a judge sends one score at a time, the next only after
// "SCORECONFIRM|0", as real stations do. A reconnection replaces its link.
struct Station {
    Station(const QString& judged, int n)
        : event(judged)
        , number(n) {}

    QString event; // judge: the event judged; empty for a display
    int number;    // judge number, or display number
    std::unique_ptr<TestStation> link;
    QList<int> toSend;   // gymnast numbers still to score
    int inFlight = 0;    // gymnast number awaiting confirmation, 0 when none
    bool paused = false; // sends nothing new (about to go silent)
    int confirmed = 0;

    bool judge() const { return !event.isEmpty(); }
    QString login() const {
        const QString pin = QString::fromLatin1(ServerFixture::Pin);
        return judge() ? u"JUDGEAUTH|%1|%1 judge %2|%3|1|%2"_s.arg(event).arg(number).arg(pin)
                       : u"DISPLAYAUTH|Board %1|%2|all"_s.arg(number, 3, 10, QChar(u'0')).arg(pin);
    }
    void sendNext() {
        if (!judge() || paused || inFlight != 0 || toSend.isEmpty())
            return;
        inFlight = toSend.takeFirst();
        link->send(ScoreLoad::sendScore(inFlight, event));
    }
};

} // namespace

class TestLoadSoak : public QObject {
    Q_OBJECT

    std::unique_ptr<ServerFixture> mMeet;
    std::vector<std::unique_ptr<Station>> mStations;
    QStringList mUnexpected; // replies a station should never get

    void connectStation(Station& station);
    // Waits until every station has seen `rounds` more heartbeats: the check
    // of each round but the last has run by then.
    void waitHeartbeatRounds(int rounds) {
        QList<int> wanted;
        for (const auto& station : mStations)
            wanted << station->link->heartbeatsSeen() + rounds;
        for (size_t i = 0; i < mStations.size(); ++i)
            QTRY_VERIFY_WITH_TIMEOUT(mStations[i]->link->heartbeatsSeen() >= wanted[qsizetype(i)],
                                     DeadlineMs);
    }

private Q_SLOTS:
    void initTestCase() {
        // Start delay, idle poll, watchdog, pause after a score, ms per display second.
        const DisplayTimings timings{200, 200, 2000, 50, 5};
        mMeet = std::make_unique<ServerFixture>(QString(), timings, true);
        QVERIFY2(mMeet->started(), qPrintable(mMeet->startMessage()));
        QVERIFY(ScoreLoad::addGymnasts(mMeet->db(), 1000, (JudgesPerEvent + 1) * 100));
        // Every station of this meet comes from one address, 40 at a time.
        mMeet->server().setLoginLimits(Displays + 4 * JudgesPerEvent,
                                       Displays + 4 * JudgesPerEvent);
        // Rounds far apart enough that 200 replies, each one stored, fit between a
        // round and its check even on a slow disk.
        mMeet->server().setHeartbeatIntervals(2000, 1500);
        mMeet->server().startHeartbeats();
    }
    void cleanupTestCase() {
        mStations.clear();
        mMeet.reset();
    }
    void twoHundredStationsThroughAMeet();
};

void TestLoadSoak::connectStation(Station& station) {
    station.link = std::make_unique<TestStation>(mMeet->port());
    station.link->setAnswerHeartbeats(true);
    TestStation* link = station.link.get();
    connect(link, &TestStation::messageArrived, this,
            [this, &station, link](const QString& message) {
                link->next(0); // handled here: the station's own list stays short
                if (message.startsWith(u"HEARTBEAT|"_s))
                    return; // a silent station's unanswered heartbeat
                if (message.startsWith(u"SETSCORE|"_s)) {
                    const QStringList f = message.split(u'|');
                    link->send(u"CONFIRMSCORE|"_s + f.value(2) + u'|' + f.value(1));
                } else if (message == u"SCORECONFIRM|0"_s && station.inFlight != 0) {
                    station.inFlight = 0;
                    ++station.confirmed;
                    station.sendNext();
                } else if (message.startsWith(u"AUTHRESP|0"_s)) {
                    station.sendNext();
                } else {
                    mUnexpected << station.login() + u": "_s + message;
                }
            });
    connect(&link->socket(), &QTcpSocket::connected, this,
            [&station, link] { link->send(station.login()); });
}

void TestLoadSoak::twoHundredStationsThroughAMeet() {
    for (const QString& event : ScoreLoad::Events)
        for (int number = 1; number <= JudgesPerEvent; ++number)
            mStations.push_back(std::make_unique<Station>(event, number));
    for (int number = 1; number <= Displays; ++number)
        mStations.push_back(std::make_unique<Station>(QString(), number));
    // Connect in batches, so the listen backlog never overflows.
    for (size_t i = 0; i < mStations.size(); ++i) {
        connectStation(*mStations[i]);
        if (i % 40 == 39 || i + 1 == mStations.size())
            QTRY_COMPARE_WITH_TIMEOUT(mMeet->connectionRows(), int(i + 1), DeadlineMs);
    }

    qint64 warmRss = -1;
    int expectedScores = 0;
    for (int round = 0; round < Rounds; ++round) {
        // Judges 1 to 10 of each event score gymnasts of their own hundred, so
        // no gymnast gets two scores for one event.
        for (auto& station : mStations) {
            for (int k = 0; station->judge() && k < ScoresPerRound; ++k, ++expectedScores)
                station->toSend << 1000 + station->number * 100 + round * ScoresPerRound + k;
            station->sendNext();
        }
        // Some stations fall silent while the others keep going: every seventh
        // display and one judge per event, in turns; every third of them has
        // its cable pulled instead.
        QList<Station*> silent, dropped;
        for (size_t i = 0; i < mStations.size(); ++i) {
            Station& station = *mStations[i];
            if (station.judge() ? station.number == round + 1 : station.number % 7 == round % 7)
                (i % 3 == 0 ? dropped : silent) << &station;
        }
        for (Station* station : silent + dropped)
            station->paused = true;
        // A silent judge finishes the score it is waiting for first.
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(silent.begin(), silent.end(),
                                             [](const Station* s) { return s->inFlight == 0; }),
                                 DeadlineMs);
        for (Station* station : silent)
            station->link->setAnswerHeartbeats(false);
        for (Station* station : dropped) {
            if (station->inFlight != 0) // its confirmation may never come: send it again
                station->toSend.prepend(std::exchange(station->inFlight, 0));
            station->link->socket().abort();
        }
        QTRY_COMPARE_WITH_TIMEOUT(mMeet->connectionRows(),
                                  int(mStations.size() - silent.size() - dropped.size()),
                                  DeadlineMs);

        // They come back: half of the silent ones log in again on the same
        // connection, the others and the dropped ones on a new one.
        for (qsizetype i = 0; i < silent.size() + dropped.size(); ++i) {
            Station* station = i < silent.size() ? silent[i] : dropped[i - silent.size()];
            station->paused = false;
            if (i < silent.size() && i % 2 == 0) {
                station->link->setAnswerHeartbeats(true);
                station->link->send(station->login());
            } else {
                connectStation(*station);
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(mMeet->connectionRows(), int(mStations.size()), DeadlineMs);
        if (round == 0) {
            waitHeartbeatRounds(1);
            warmRss = residentKiB(QCoreApplication::applicationPid());
        }
    }

    // Every score goes through and every station stays logged in.
    const auto confirmed = [this] {
        int n = 0;
        for (const auto& station : mStations)
            n += station->confirmed;
        return n;
    };
    QTRY_COMPARE_WITH_TIMEOUT(confirmed(), expectedScores, DeadlineMs);
    waitHeartbeatRounds(2);
    QVERIFY2(mUnexpected.isEmpty(), qPrintable(mUnexpected.mid(0, 10).join(u'\n')));
    QVERIFY2(mMeet->alerts().alerts().isEmpty(),
             qPrintable(mMeet->alerts().alerts().mid(0, 10).join(u'\n')));

    // The registry holds exactly the live stations, each once.
    QCOMPARE(mMeet->connectionRows(), int(mStations.size()));
    QCOMPARE(mMeet->connectionRows(u"WHERE ConnectionsType = 'JUDGE'"_s), 4 * JudgesPerEvent);
    QCOMPARE(allRows(mMeet->db(), u"SELECT EventName, JudgeNumber FROM Connections "
                                  "GROUP BY EventName, JudgeNumber HAVING count(*) > 1"_s),
             QStringList());
    QCOMPARE(mMeet->judgeLines().size(), 4 * JudgesPerEvent);
    QCOMPARE(mMeet->displayLines().size(), Displays);

    // Every score stored once with the final sent; displays confirm what they
    // show, so queue rows may be waiting or sent.
    const QHash<QString, QString> finals = ScoreLoad::storedFinals(mMeet->db());
    QCOMPARE(finals.size(), expectedScores);
    for (auto it = finals.begin(); it != finals.end(); ++it)
        QCOMPARE(it.value(), ScoreLoad::finalFor(it.key().section(u'/', 0, 0).toInt(),
                                                 it.key().section(u'/', 1)));
    QCOMPARE(firstRow(mMeet->db(), u"SELECT count(*), count(DISTINCT num || '/' || EventName) "
                                   "FROM ScoreBoardQueue"_s),
             QStringList(2, QString::number(expectedScores)));

    // The traffic did not make the server grow. The address sanitizer keeps
    // freed memory in quarantine, so its figures say nothing here.
    const qint64 endRss = residentKiB(QCoreApplication::applicationPid());
    qInfo("resident memory: %lld KiB after warm-up, %lld KiB at the end", warmRss, endRss);
#ifndef __SANITIZE_ADDRESS__
    QVERIFY2(endRss <= warmRss * 3 / 2 + 32 * 1024, "resident memory grew with the traffic");
#endif
}

QTEST_GUILESS_MAIN(TestLoadSoak)
#include "tst_load_soak.moc"
