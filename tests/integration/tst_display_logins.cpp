#include "serverfixture.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The displays that scores go to follow the log-ins and log-outs: a board that
// logs in between two scores gets the second, and what goes out after a board
// has left reaches the boards still there. A board's confirmation whose mark
// cannot be written reaches the operator, and the score stays waiting.
class TestDisplayLogins : public QObject {
    Q_OBJECT

    void queue(ServerFixture& f, const QString& num, const QString& score) {
        QVERIFY(f.services().queue().queueScore(num, u"Ava Brooks"_s, u"Vault"_s, score, false));
    }

private Q_SLOTS:
    void scoresGoToTheBoardsLoggedInNow() {
        SERVER_FIXTURE(f);
        TestStation& hall = f.display(u"Hall"_s);
        queue(f, u"101"_s, u"9.350"_s);
        f.services().dispatch().loop(u"Vault"_s)->start();
        QVERIFY(hall.next().startsWith(u"SETSCORE|Vault|101|"_s));

        TestStation& lobby = f.display(u"Lobby"_s);
        hall.send(u"CONFIRMSCORE|101|Vault"_s);
        queue(f, u"102"_s, u"9.400"_s);
        QVERIFY(hall.next().startsWith(u"SETSCORE|Vault|102|"_s));
        QVERIFY(lobby.next().startsWith(u"SETSCORE|Vault|102|"_s));

        lobby.send(u"CONFIRMSCORE|102|Vault"_s);
        QTRY_VERIFY(!f.services().queue().grid()->hasScores());
        hall.socket().disconnectFromHost();
        QTRY_COMPARE(f.connectionRows(), 1);
        QVERIFY(f.services().warmupClock().sendWarmupTime().isEmpty());
        QCOMPARE(lobby.next(), u"STARTTIMER|TIMEDWARMUP|15:00"_s);

        queue(f, u"103"_s, u"9.500"_s);
        QVERIFY(lobby.next().startsWith(u"SETSCORE|Vault|103|"_s));
        f.run(u"CREATE TRIGGER NoMarks BEFORE UPDATE OF Status ON ScoreBoardQueue "
              "BEGIN SELECT RAISE(ABORT, 'marks refused'); END"_s);
        lobby.send(u"CONFIRMSCORE|103|Vault"_s);
        QTRY_VERIFY(f.alerts().alerts().join(u'\n').contains(
            u"Gymnast 103's Vault score could not be marked as shown: "_s));
        QCOMPARE(f.services().queue().grid()->scoreCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDisplayLogins)
#include "tst_display_logins.moc"
