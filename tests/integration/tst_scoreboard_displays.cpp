#include "firstrow.h"
#include "scoreboard/adfiles.h"
#include "serverfixture.h"
#include "transferfiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString AvaVault = u"SETSCORE|Vault|101|Ava Brooks|9.350|30000|0"_s;

} // namespace

class TestScoreboardDisplays : public QObject {
    Q_OBJECT

    QString status(ServerFixture& f, const QString& num, const QString& event) {
        return firstRow(f.db(),
                        u"SELECT Status FROM ScoreBoardQueue WHERE num = ? AND EventName = ?"_s,
                        {num, event})
            .value(0);
    }
    void queue(ServerFixture& f, const QString& num, const QString& name, const QString& event,
               const QString& score) {
        QVERIFY(f.services().queue().queueScore(num, name, event, score, false));
    }

private Q_SLOTS:
    void lateConfirmationNeverShowsAWaitingCorrection() {
        SERVER_FIXTURE(f);
        TestStation& hall = f.display(u"Hall"_s);
        TestStation& lobby = f.display(u"Lobby"_s);
        EventDisplayLoop* vault = f.services().dispatch().loop(u"Vault"_s);
        queue(f, u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);
        queue(f, u"102"_s, u"Maya O'Neil"_s, u"Vault"_s, u"9.000"_s);
        vault->start();
        QCOMPARE(hall.next(), AvaVault);
        QVERIFY(hall.ask(u"CONFIRMSCORE|101|Vault"_s).startsWith(u"SETSCORE|Vault|102|"_s));
        vault->pause(); // nothing more goes out until the end
        hall.send(u"CONFIRMSCORE|102|Vault"_s);
        QTRY_COMPARE(status(f, u"102"_s, u"Vault"_s), u"Sent"_s);

        // The lobby confirms Ava's first score only after a correction of it
        // came in: the correction was never sent, so it still waits.
        queue(f, u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.500"_s);
        QCOMPARE(lobby.next(), AvaVault);
        lobby.send(u"CONFIRMSCORE|101|Vault"_s);
        QVERIFY(lobby.ask(u"CLIENTBEAT"_s).startsWith(u"SETSCORE|Vault|102|"_s));
        QCOMPARE(lobby.next(), u"BEATRESPONSE"_s);
        QCOMPARE(status(f, u"101"_s, u"Vault"_s), u"Queued"_s);
        vault->start();
        QCOMPARE(hall.next(), u"SETSCORE|Vault|101|Ava Brooks|9.500|30000|1"_s);
    }

    void nextScoreWaitsForConfirmationAndDisplayTime() {
        SERVER_FIXTURE(f);
        TestStation& display = f.display(u"Hall"_s);
        queue(f, u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);
        queue(f, u"102"_s, u"Maya O'Neil"_s, u"Vault"_s, u"9.000"_s);
        queue(f, u"103"_s, u"Zoë Carter"_s, u"Bars"_s, u"8.800"_s);
        f.services().dispatch().startAll();

        QStringList shown{display.next(), display.next()};
        shown.sort();
        QCOMPARE(shown, QStringList({u"SETSCORE|Bars|103|Zoë Carter|8.800|30000|0"_s, AvaVault}));
        QCOMPARE(display.next(300), QString()); // Vault's next waits for the confirmation

        QElapsedTimer sinceConfirm;
        display.send(u"CONFIRMSCORE|101|Vault"_s);
        sinceConfirm.start();
        QCOMPARE(display.next(), u"SETSCORE|Vault|102|Maya O'Neil|9.000|30000|0"_s);
        // 30 display seconds at 10 ms each, plus the 50 ms pause (timers may
        // be a little early).
        QVERIFY(sinceConfirm.elapsed() >= 300);
    }

    void unconfirmedScoreIsOfferedAgain() {
        DisplayTimings timings = ServerFixture::quickTimings();
        timings.watchdogMs = 100;
        SERVER_FIXTURE(f, {}, timings);
        TestStation& display = f.display(u"Hall"_s);
        queue(f, u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);
        f.services().dispatch().loop(u"Vault"_s)->start();
        QCOMPARE(display.next(), AvaVault);
        QCOMPARE(display.next(), AvaVault);
        QCOMPARE(status(f, u"101"_s, u"Vault"_s), u"Queued"_s);
    }

    void correctionIsFlaggedAndChosenTimeIsSent() {
        SERVER_FIXTURE(f);
        TestStation& display = f.display(u"Hall"_s);
        EventDisplayLoop* floor = f.services().dispatch().loop(u"Floor"_s);
        queue(f, u"102"_s, u"Maya O'Neil"_s, u"Floor"_s, u"9.000"_s);
        floor->start();
        QVERIFY(display.next().startsWith(u"SETSCORE|Floor|102|"_s));
        display.send(u"CONFIRMSCORE|102|Floor"_s);
        QTRY_COMPARE(status(f, u"102"_s, u"Floor"_s), u"Sent"_s);

        QVERIFY(f.services().displaySeconds().setCurrentText(u"15"_s));
        queue(f, u"102"_s, u"Maya O'Neil"_s, u"Floor"_s, u"9.100"_s);
        QCOMPARE(display.next(), u"SETSCORE|Floor|102|Maya O'Neil|9.100|15000|1"_s);
    }

    void pauseHoldsThroughAConfirmation() {
        SERVER_FIXTURE(f);
        TestStation& display = f.display(u"Hall"_s);
        EventDisplayLoop* bars = f.services().dispatch().loop(u"Bars"_s);
        QSignalSpy running(bars, &EventDisplayLoop::runningChanged);
        bars->togglePause();
        QVERIFY(bars->isRunning());
        queue(f, u"101"_s, u"Ava Brooks"_s, u"Bars"_s, u"9.100"_s);
        queue(f, u"102"_s, u"Maya O'Neil"_s, u"Bars"_s, u"9.200"_s);
        QVERIFY(display.next().startsWith(u"SETSCORE|Bars|101|"_s));

        bars->togglePause();
        QVERIFY(!bars->isRunning());
        QCOMPARE(running.count(), 2);
        display.send(u"CONFIRMSCORE|101|Bars"_s);
        QTRY_COMPARE(status(f, u"101"_s, u"Bars"_s), u"Sent"_s);
        QCOMPARE(display.next(600), QString()); // well past display time + pause

        f.services().dispatch().startAll();
        QVERIFY(display.next().startsWith(u"SETSCORE|Bars|102|"_s));
    }

    void warmupClockOnlyWithAnEmptyQueue() {
        SERVER_FIXTURE(f);
        TestStation& display = f.display(u"Hall"_s);
        WarmupClock& clock = f.services().warmupClock();
        QCOMPARE(clock.duration(), u"15:00"_s);
        queue(f, u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);

        QCOMPARE(clock.sendWarmupTime(),
                 u"You cannot set warm-up clock when there are scores in the queue."_s);
        QCOMPARE(clock.sendWarmupStop(), QString());
        QCOMPARE(display.next(), u"STOPTIMER|0"_s);
        // The displays cannot be found: the operator is told.
        f.run(u"ALTER TABLE Connections RENAME TO Unreadable"_s);
        QVERIFY(clock.sendWarmupStop().startsWith(u"The warm-up clock could not be stopped: "_s));
        f.run(u"ALTER TABLE Unreadable RENAME TO Connections"_s);

        QVERIFY(f.services().queue().removeQueueRow(0));
        QVERIFY(clock.setDuration(u"05:00"_s));
        QCOMPARE(clock.sendWarmupTime(), QString());
        QCOMPARE(display.next(), u"STARTTIMER|TIMEDWARMUP|05:00"_s);
    }

    // The displays that scores go to follow the log-ins and log-outs: a board
    // that logs in between two scores gets the second, and what goes out after
    // a board has left reaches the boards still there. A board's confirmation
    // whose mark cannot be written reaches the operator, and the score waits.
    void scoresGoToTheBoardsLoggedInNow() {
        SERVER_FIXTURE(f);
        TestStation& hall = f.display(u"Hall"_s);
        TestStation& vault = f.judge(u"Vault"_s);
        QCOMPARE(vault.ask(u"SENDSCORE|101|3|1|Vault|9.3|9.4||||||10||9.35|9.35||||||||||||0"_s),
                 u"SCORECONFIRM|0"_s);
        queue(f, u"101"_s, u"Ava Brooks"_s, u"Bars"_s, u"9.100"_s);
        f.services().dispatch().loop(u"Vault"_s)->start();
        QCOMPARE(hall.next(), AvaVault);

        TestStation& lobby = f.display(u"Lobby"_s);
        hall.send(u"CONFIRMSCORE|101|Vault"_s);
        QTRY_COMPARE(status(f, u"101"_s, u"Vault"_s), u"Sent"_s);
        // A second confirmation of the score takes nothing else out.
        lobby.send(u"CONFIRMSCORE|101|Vault"_s);
        // Answered in order: nothing came before it.
        QCOMPARE(lobby.ask(u"CLIENTBEAT"_s), u"BEATRESPONSE"_s);
        QCOMPARE(status(f, u"101"_s, u"Bars"_s), u"Queued"_s);
        QCOMPARE(f.services().queue().grid()->scoreCount(), 1);
        QVERIFY(f.services().queue().removeQueueRow(0));

        queue(f, u"102"_s, u"Maya O'Neil"_s, u"Vault"_s, u"9.000"_s);
        QVERIFY(hall.next().startsWith(u"SETSCORE|Vault|102|"_s));
        QVERIFY(lobby.next().startsWith(u"SETSCORE|Vault|102|"_s));
        lobby.send(u"CONFIRMSCORE|102|Vault"_s);
        QTRY_VERIFY(!f.services().queue().grid()->hasScores());
        hall.socket().disconnectFromHost();
        QTRY_COMPARE(f.connectionRows(), 2);
        QVERIFY(f.services().warmupClock().sendWarmupTime().isEmpty());
        QCOMPARE(lobby.next(), u"STARTTIMER|TIMEDWARMUP|15:00"_s);

        queue(f, u"103"_s, u"Zoë Carter"_s, u"Vault"_s, u"9.500"_s);
        QVERIFY(lobby.next().startsWith(u"SETSCORE|Vault|103|"_s));
        f.run(u"CREATE TRIGGER NoMarks BEFORE UPDATE OF Status ON ScoreBoardQueue "
              "BEGIN SELECT RAISE(ABORT, 'marks refused'); END"_s);
        lobby.send(u"CONFIRMSCORE|103|Vault"_s);
        QTRY_VERIFY(f.alerts().alerts().join(u'\n').contains(
            u"Gymnast 103's Vault score could not be marked as shown: "_s));
        QCOMPARE(f.services().queue().grid()->scoreCount(), 1);
    }

    // A display gets the pictures under the data folder (known by their first
    // bytes, whatever their names), whole; no other file. Every byte of a
    // picture arriving whole is proven where the transports are.
    void adFilesAreOnlyPicturesOfTheDataFolder() {
        SERVER_FIXTURE(f);
        QVERIFY(QDir(f.temp().folder()).mkpath(u"server_ads"_s));
        TransferFiles::write(f.temp().path(u"server_ads/ad.bin"_s), "GIF89a ad");
        QTemporaryDir elsewhere;
        TransferFiles::write(elsewhere.filePath(u"secret.bin"_s), "GIF89a secret");
        // A meet file stays one under an image's name.
        QVERIFY(QFile::copy(f.state().meetFilePath(), f.temp().path(u"server_ads/logo.png"_s)));
        // A transfer file is no picture; a picture too large is not read.
        TransferFiles::write(f.temp().path(u"server_ads/meet.png"_s), "[Gymnasts]\nNum=101\n");
        QFile huge(f.temp().path(u"server_ads/huge.png"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QCOMPARE(huge.write("\x89PNG\r\n\x1a\n", 8), 8);
        QVERIFY(huge.resize(AdFiles::MaxImageBytes + 1));
        huge.close();

        TestStation& display = f.display(u"Hall"_s);
        const QStringList own = QString(u"sample.tallvane sample.tallvane-wal sample.tallvane.lock "
                                        "pin.txt port.txt server_ads/logo.png server_ads/meet.png "
                                        "server_ads/huge.png"_s)
                                    .split(u' ');
        for (const QString& file : own)
            QVERIFY2(QFile::exists(f.temp().path(file)), qPrintable(file));
        const QString climbing =
            u"..\\"_s + QFileInfo(elsewhere.path()).fileName() + u"\\secret.bin"_s;
        for (const QString& refused :
             own + QStringList{u"missing.bin"_s, climbing, elsewhere.filePath(u"secret.bin"_s)})
            display.send(u"AD_FILE_START|"_s + refused + u"|0"_s);
        // Answered in order: the first answer is the picture's.
        const QString answer = u"RECEIVE_AD_FILE|GIF89a ad/\\/\\ENDOFFILE/\\/\\"_s;
        display.send(u"AD_FILE_START|server_ads\\ad.bin|7"_s);
        QCOMPARE(display.next(), answer);
        QCOMPARE(display.ask(u"AD_FILE_START|server_ads/ad.bin|7"_s), answer);
    }
};

QTEST_GUILESS_MAIN(TestScoreboardDisplays)
#include "tst_scoreboard_displays.moc"
