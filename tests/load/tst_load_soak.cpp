// A long meet in a short time: 200 stations (judges and score displays) logged in
// over real TCP, answering heartbeats, scores flowing from every judge, and
// stations falling silent, dropping their connection and coming back. At the
// end the registry must hold exactly the live stations, every score must be
// stored and queued exactly once, and memory must not have grown with the
// traffic.
#include "scoreload.h"
#include "serverfixture.h"

#include <QFile>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Pin = QString::fromLatin1(ServerFixture::Pin);
constexpr int JudgesPerEvent = 10;
constexpr int Displays = 160; // with 40 judges: 200 stations
constexpr int ScoresPerJudge = 12;
constexpr int Rounds = 4; // each round: scores, then stations fall silent and return
constexpr int DeadlineMs = 60000;
const QStringList Events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};

// Resident memory of this process in KiB.
qint64 residentKiB() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4 : -1;
}

// One simulated station: its connection (replaced when it reconnects) and, for
// a judge, the scores it still has to send. A judge sends one score at a time
// and the next one only after "SCORECONFIRM|0", as real stations do.
struct Station {
    Station(const QString& judgedEvent, int stationNumber)
        : event(judgedEvent)
        , number(stationNumber) {}

    QString event; // judge: the event judged; empty for a display
    int number;    // judge number, or display number
    std::unique_ptr<TestStation> link;
    QList<int> toSend;   // gymnast numbers still to score
    int inFlight = 0;    // gymnast number awaiting confirmation, 0 when none
    bool paused = false; // sends nothing new (about to go silent)
    int confirmed = 0;

    bool judge() const { return !event.isEmpty(); }
    QString name() const {
        return judge() ? u"%1 judge %2"_s.arg(event).arg(number)
                       : u"Board %1"_s.arg(number, 3, 10, QChar(u'0'));
    }
    QString login() const {
        return judge() ? u"JUDGEAUTH|%1|%2|%3|1|%4"_s.arg(event, name(), Pin).arg(number)
                       : u"DISPLAYAUTH|%1|%2|all"_s.arg(name(), Pin);
    }
    void sendNext() {
        if (!judge() || paused || inFlight != 0 || toSend.isEmpty())
            return;
        inFlight = toSend.takeFirst();
        link->send(ScoreLoad::sendScore(inFlight, event, ScoreLoad::finalFor(inFlight, event)));
    }
};

} // namespace

class TestLoadSoak : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void twoHundredStationsThroughAMeet();

private:
    void connectStation(Station& station);
    void waitHeartbeatRounds(int rounds);
    void checkEveryScoreStoredOnce(int expected);

    std::unique_ptr<ServerFixture> mMeet;
    ScoringServer* mServer = nullptr; // the one of mMeet
    std::vector<std::unique_ptr<Station>> mStations;
    QStringList mUnexpected; // replies a station should never get
};

void TestLoadSoak::initTestCase() {
    DisplayTimings timings = ServerFixture::quickTimings();
    timings.startDelayMs = timings.idlePollMs = 200;
    timings.watchdogMs = 2000;
    timings.msPerDisplaySecond = 5;
    mMeet = std::make_unique<ServerFixture>(timings, true);
    QVERIFY2(mMeet->started(), qPrintable(mMeet->startMessage()));
    QVERIFY(ScoreLoad::addGymnasts(mMeet->db(), 1000, (JudgesPerEvent + 1) * 100));
    mServer = &mMeet->server();
    // Every station of this meet comes from one address, 40 at a time.
    mServer->gate().setMaxWaitingPerAddress(Displays + 4 * JudgesPerEvent);
    // Rounds far apart enough that 200 replies, each one stored, fit between a
    // round and its check even on a slow disk.
    mServer->heartbeats().setIntervals(2000, 1500);
    mServer->heartbeats().start();
}

void TestLoadSoak::cleanupTestCase() {
    mStations.clear();
    mMeet.reset();
}

void TestLoadSoak::connectStation(Station& station) {
    station.link = std::make_unique<TestStation>(quint16(mServer->port()));
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
                    mUnexpected << station.name() + u": "_s + message;
                }
            });
    connect(&link->socket(), &QTcpSocket::connected, this,
            [&station, link] { link->send(station.login()); });
}

// Waits until every station has seen `rounds` more heartbeats: the check of
// each round but the last has run by then.
void TestLoadSoak::waitHeartbeatRounds(int rounds) {
    QList<int> seen;
    for (const auto& station : mStations)
        seen << station->link->heartbeatsSeen() + rounds;
    QTRY_VERIFY_WITH_TIMEOUT(std::equal(mStations.begin(), mStations.end(), seen.begin(),
                                        [](const auto& station, int wanted) {
                                            return station->link->heartbeatsSeen() >= wanted;
                                        }),
                             DeadlineMs);
}

void TestLoadSoak::checkEveryScoreStoredOnce(int expected) {
    const QHash<QString, QString> finals = ScoreLoad::storedFinals(mMeet->db());
    QCOMPARE(finals.size(), expected);
    for (auto it = finals.begin(); it != finals.end(); ++it)
        QCOMPARE(it.value(), ScoreLoad::finalFor(it.key().section(u'/', 0, 0).toInt(),
                                                 it.key().section(u'/', 1)));
    // Displays confirm what they show, so queue rows may be waiting or sent.
    const DbRows queued = mMeet->db().select(
        u"SELECT count(*) AS n, count(DISTINCT num || '/' || EventName) AS pairs "
        "FROM ScoreBoardQueue"_s);
    QCOMPARE(queued.value(0, u"n"_s).toInt(), expected);
    QCOMPARE(queued.value(0, u"pairs"_s).toInt(), expected);
}

void TestLoadSoak::twoHundredStationsThroughAMeet() {
    // Judges 1 to 10 of each event score gymnasts of their own hundred, so no
    // gymnast gets two scores for one event.
    for (const QString& event : Events)
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
        // Every judge gets its next batch of scores.
        for (auto& station : mStations) {
            for (int k = 0; station->judge() && k < ScoresPerJudge / Rounds; ++k) {
                station->toSend << 1000 + station->number * 100 +
                                       round * (ScoresPerJudge / Rounds) + k;
                ++expectedScores;
            }
            station->sendNext();
        }
        // Some stations fall silent while the others keep going: every seventh
        // display and one judge per event, in turns; every third of them has
        // its cable pulled instead.
        QList<Station*> silent;
        QList<Station*> dropped;
        for (size_t i = 0; i < mStations.size(); ++i) {
            Station& station = *mStations[i];
            if (station.judge() ? station.number == round + 1 : station.number % 7 == round % 7)
                (i % 3 == 0 ? dropped : silent) << &station;
        }
        for (Station* station : silent)
            station->paused = true;
        // A silent judge finishes the score it is waiting for first.
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(silent.begin(), silent.end(),
                                             [](const Station* s) { return s->inFlight == 0; }),
                                 DeadlineMs);
        for (Station* station : silent)
            station->link->setAnswerHeartbeats(false);
        for (Station* station : dropped) {
            station->paused = true;
            if (station->inFlight != 0) {
                // The score was sent but its confirmation may never come: send it again.
                station->toSend.prepend(station->inFlight);
                station->inFlight = 0;
            }
            station->link->socket().abort();
        }
        const int gone = int(silent.size() + dropped.size());
        QTRY_COMPARE_WITH_TIMEOUT(mMeet->connectionRows(), int(mStations.size()) - gone,
                                  DeadlineMs);

        // They come back: half of the silent ones log in again on the same
        // connection, the others and the dropped ones on a new one.
        for (qsizetype i = 0; i < silent.size(); ++i) {
            silent[i]->paused = false;
            if (i % 2 == 0) {
                silent[i]->link->setAnswerHeartbeats(true);
                silent[i]->link->send(silent[i]->login());
            } else {
                connectStation(*silent[i]);
            }
        }
        for (Station* station : dropped) {
            station->paused = false;
            connectStation(*station);
        }
        QTRY_COMPARE_WITH_TIMEOUT(mMeet->connectionRows(), int(mStations.size()), DeadlineMs);
        if (round == 0) {
            waitHeartbeatRounds(1);
            warmRss = residentKiB();
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
    QCOMPARE(mMeet->db()
                 .select(u"SELECT EventName, JudgeNumber FROM Connections "
                         "GROUP BY EventName, JudgeNumber HAVING count(*) > 1"_s)
                 .count(),
             0);
    QCOMPARE(mServer->judgeStations()->rowCount(), 4 * JudgesPerEvent);
    QCOMPARE(mServer->scoreboards()->rowCount(), Displays);
    checkEveryScoreStoredOnce(expectedScores);

    // The traffic did not make the server grow. The address sanitizer keeps
    // freed memory in quarantine, so its figures say nothing here.
    const qint64 endRss = residentKiB();
    qInfo("resident memory: %lld KiB after warm-up, %lld KiB at the end", warmRss, endRss);
#ifndef __SANITIZE_ADDRESS__
    QVERIFY2(endRss <= warmRss * 3 / 2 + 32 * 1024, "resident memory grew with the traffic");
#endif
}

QTEST_GUILESS_MAIN(TestLoadSoak)
#include "tst_load_soak.moc"
