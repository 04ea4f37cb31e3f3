#include "childprogram.h"
#include "firstrow.h"
#include "judging/scoreinquiries.h"
#include "manualscore.h"
#include "serverfixture.h"
#include "shell/scorerange.h"
#include "transferfiles.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Every change of a stored score leaves one entry in the score history, written
// with the change: from stations over TCP, from the operator, from the queue.
class TestJudgingHistory : public QObject {
    Q_OBJECT

    static QStringList history(ServerFixture& f) {
        return allRows(f.db(), u"SELECT Kind, Num, EventName, FinalBefore, FinalAfter, Source, "
                               "IFNULL(Note, '') FROM ScoreHistory ORDER BY Seq"_s);
    }

    // One step of a case: "Event:message" from the event's judge 1 (or
    // "Event/2:" from judge 2), "manual:num|event|final[|reason]",
    // "remove:num|event", "hold:num|event", "release:num|event",
    // "inquiry:num|event|filed by", "stands:num|event|reason", "desk:num|event|score"
    // (the desk's test score).
    static void runStep(ServerFixture& f, QHash<QString, TestStation*>& stations,
                        const QString& step) {
        const QString how = step.section(u':', 0, 0);
        const QString what = step.section(u':', 1);
        const QStringList fields = what.split(u'|');
        ScoreInquiries inquiries(f.db());
        if (how == u"manual"_s) {
            QVERIFY(
                storeFinal(f.services(), fields[0], fields[1], fields[2], false, fields.value(3)));
        } else if (how == u"inquiry"_s) {
            QVERIFY2(inquiries.file(fields[0], fields[1], fields[2], false,
                                    QDateTime::currentDateTime()),
                     qPrintable(inquiries.lastError()));
        } else if (how == u"stands"_s) {
            QVERIFY2(inquiries.decideScoreStands(fields[0], fields[1], fields[2],
                                                 QDateTime::currentDateTime()),
                     qPrintable(inquiries.lastError()));
        } else if (how == u"desk"_s) {
            QString error;
            QVERIFY2(f.services().queue().queueScore(fields[0], u"Test"_s, fields[1], fields[2],
                                                     false, &error),
                     qPrintable(error));
        } else if (how == u"remove"_s || how == u"hold"_s || how == u"release"_s) {
            ScoreQueue& queue = f.services().queue();
            const int row = gridRow(f, fields[0], fields[1]);
            QString error;
            const bool done = how == u"remove"_s ? queue.removeQueueRow(row, &error)
                              : how == u"hold"_s ? queue.holdQueueRow(row, &error)
                                                 : queue.releaseQueueRow(row, &error);
            QVERIFY2(done, qPrintable(error));
        } else {
            if (!stations.contains(how)) {
                const int judge = how.contains(u'/') ? how.section(u'/', 1).toInt() : 1;
                stations.insert(how, &f.judge(how.section(u'/', 0, 0), judge));
            }
            QCOMPARE(stations[how]->ask(what), u"SCORECONFIRM|0"_s);
        }
    }

    static int gridRow(ServerFixture& f, const QString& num, const QString& event) {
        const QueueGridModel& grid = *f.services().queue().grid();
        for (int i = 0; i < grid.scoreCount(); ++i) {
            if (grid.entryAt(i)->num == num && grid.entryAt(i)->event == event)
                return i;
        }
        return -1;
    }

    // The fields of one CSV line, quotes taken off.
    static QStringList csvFields(const QString& line) {
        QStringList fields;
        auto it = QRegularExpression(u"(?:^|,)(\"(?:[^\"]|\"\")*\"|[^,]*)"_s).globalMatch(line);
        while (it.hasNext()) {
            QString field = it.next().captured(1);
            fields << (field.startsWith(u'"')
                           ? field.sliced(1, field.size() - 2).replace(u"\"\""_s, u"\""_s)
                           : field);
        }
        return fields;
    }

private Q_SLOTS:
    void everyChangeIsRecorded_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("entries");
        const QString vault = u"Vault judge 1 Judge 1, 127.0.0.1, TCP"_s;
        const QString bars = u"Bars judge 1 Judge 1, 127.0.0.1, TCP"_s;
        // Bars' judge 1 scores 9.1 for gymnast 102, and the entry that leaves.
        const QString bars91 = u"Bars:SENDSCORE|102|3|1|Bars|9|||||||||9|9.1|0"_s;
        const QString scored91 = u"score|102|Bars|<null>|9.1|"_s + bars + u'|';
        const QString inquiry = u"inquiry:102|Bars|Coach Lee"_s;
        const QString filed = u"inquiry|102|Bars|9.1|9.1|operator|filed by Coach Lee"_s;
        const QString first =
            u"Vault:SENDSCORE|101|3|1|Vault|9.3|9.4||||||10||9.35|9.35|||||||||||0"_s;
        QTest::newRow("score") << QStringList{first}
                               << QStringList{u"score|101|Vault|<null>|9.35|"_s + vault + u'|'};
        QTest::newRow("correction and another")
            << QStringList{first,
                           u"Vault:SENDSCORE|101|3|1|Vault|9.5|||||||||9.5|9.5|||||||||||0"_s,
                           u"Vault:SENDSCORE|101|3|1|Vault|9.6|||||||||9.6|9.6|||||||||||0"_s}
            << QStringList{u"score|101|Vault|<null>|9.35|"_s + vault + u'|',
                           u"correction|101|Vault|9.35|9.5|"_s + vault + u'|',
                           u"correction|101|Vault|9.5|9.6|"_s + vault + u'|'};
        QTest::newRow("secondary judge")
            << QStringList{u"Bars/2:SENDSCORE2|102|2|Bars|9.1"_s}
            << QStringList{u"secondary|102|Bars|<null>|<null>|Bars judge 2 Judge 2, 127.0.0.1, "
                           "TCP|"_s};
        QTest::newRow("manual entry over a station's score")
            << QStringList{bars91, u"manual:102|Bars|9.25"_s}
            << QStringList{scored91, u"correction|102|Bars|9.1|9.25|operator|manual entry"_s};
        QTest::newRow("test score")
            << QStringList{u"Bars:SENDSCORE|101|3|1|Bars|9|||||||||9|953|1"_s}
            << QStringList{u"test|101|Bars|<null>|953|"_s + bars + u'|'};
        QTest::newRow("queue removal")
            << QStringList{bars91, u"remove:102|Bars"_s}
            << QStringList{
                   scored91,
                   u"removal|102|Bars|9.1|9.1|operator|taken out of the scoreboard queue"_s};
        QTest::newRow("hold and release")
            << QStringList{bars91, u"hold:102|Bars"_s, u"release:102|Bars"_s}
            << QStringList{scored91, u"hold|102|Bars|9.1|9.1|operator|held for review"_s,
                           u"release|102|Bars|9.1|9.1|operator|released to the displays"_s};
        QTest::newRow("the desk's test score")
            << QStringList{u"desk:999|Vault|8.885"_s}
            << QStringList{u"test|999|Vault|<null>|8.885|operator|the desk's test score"_s};
        QTest::newRow("inquiry, the score stands")
            << QStringList{bars91, inquiry, u"stands:102|Bars|the panel saw the fall"_s}
            << QStringList{scored91, filed,
                           u"decision|102|Bars|9.1|9.1|operator|Score stands: the panel saw the "
                           "fall"_s};
        QTest::newRow("inquiry, a new score")
            << QStringList{bars91, inquiry, u"manual:102|Bars|9.3|start value 10.0"_s}
            << QStringList{scored91, filed, u"correction|102|Bars|9.1|9.3|operator|manual entry"_s,
                           u"decision|102|Bars|9.1|9.3|operator|New score: start value 10.0"_s};
        QTest::newRow("a station's correction leaves the inquiry open")
            << QStringList{bars91, inquiry, u"Bars:SENDSCORE|102|3|1|Bars|9|||||||||9|9.2|0"_s}
            << QStringList{scored91, filed, u"correction|102|Bars|9.1|9.2|"_s + bars + u'|'};
    }

    void everyChangeIsRecorded() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, entries);
        SERVER_FIXTURE(f);
        f.run(u"UPDATE Gymnasts SET E1Final = NULL, E2Final = NULL, E3Final = NULL, "
              "E4Final = NULL"_s);
        QHash<QString, TestStation*> stations;
        for (const QString& step : steps) {
            runStep(f, stations, step);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(history(f), entries);
    }

    // Every field of a station's message is kept as sent, the judges' scores
    // and the second vault in their own columns.
    void stationMessagesAreKeptWhole() {
        SERVER_FIXTURE(f);
        const QString message =
            u"SENDSCORE|101|3|1|Vault|9.3|9.4|9.2|9.1|8.8|||10|-0.1|9.35|9.25|9.2||9.0|||||9.8|0.1|abc|0"_s;
        TestStation& vault = f.judge(u"Vault"_s);
        QCOMPARE(vault.ask(message), u"SCORECONFIRM|0"_s);
        QCOMPARE(firstRow(f.db(), u"SELECT J1, J2, J3, J4, Start, Adj, BScore, V2J1, V2J2, V2J3, "
                                  "V2Start, V2BScore, Message FROM ScoreHistory"_s),
                 QStringList({u"9.3"_s, u"9.4"_s, u"9.2"_s, u"9.1"_s, u"10"_s, u"-0.1"_s, u"9.35"_s,
                              u"9.2"_s, u""_s, u"9.0"_s, u"9.8"_s, u"abc"_s, message}));
    }

    // The history cannot be written: the score is not stored, not confirmed,
    // and the operator hears of it. What is written is never changed.
    void aScoreWithoutItsHistoryIsRefused() {
        SERVER_FIXTURE(f);
        f.run(u"CREATE TRIGGER refuse BEFORE INSERT ON ScoreHistory WHEN NEW.Num = '102' BEGIN "
              "SELECT RAISE(ABORT, 'disk I/O error'); END"_s);
        const QStringList before = allRows(f.db(), u"SELECT * FROM Gymnasts WHERE Num = '102'"_s);
        TestStation& floor = f.judge(u"Floor"_s);
        floor.send(u"SENDSCORE|102|3|1|Floor|8|||||||||8|8|0"_s);
        QCOMPARE(floor.ask(u"SENDSCORE|101|3|1|Floor|9|||||||||9|9|0"_s), u"SCORECONFIRM|0"_s);
        QVERIFY(floor.pending().isEmpty());
        QCOMPARE(allRows(f.db(), u"SELECT * FROM Gymnasts WHERE Num = '102'"_s), before);
        QCOMPARE(allRows(f.db(), u"SELECT num FROM ScoreBoardQueue"_s), QStringList{u"101"_s});
        QCOMPARE(f.alerts().alerts().size(), 1);
        QVERIFY(f.alerts().alerts().constFirst().contains(u"NOT stored"_s));

        QSqlQuery change(f.db().connection());
        QVERIFY(!change.exec(u"UPDATE ScoreHistory SET FinalAfter = 10"_s));
        QVERIFY(!change.exec(u"DELETE FROM ScoreHistory"_s));
    }

    // `tallvane history` prints the history as CSV while the server runs; the
    // transfer file is byte for byte what it is without any history.
    void historyIsPrintedButNeverExported() {
        SERVER_FIXTURE(f);
        TestStation& floor = f.judge(u"Floor"_s);
        floor.send(u"SENDSCORE|101|3|1|Floor|9|9.1||||||10||9|9.05|0"_s);
        floor.send(u"SENDSCORE|102|3|1|Floor|8|||||||||8|8.5|0"_s);
        QCOMPARE(floor.next() + floor.next(), u"SCORECONFIRM|0SCORECONFIRM|0"_s);
        const QString meet = f.db().filePath();
        const auto tallvane = [&f](const QStringList& arguments) {
            return ChildProgram::runTallvane(arguments, f.temp().folder());
        };

        ChildProgram::Finished run =
            tallvane({u"history"_s, meet, u"--num"_s, u"101"_s, u"--event"_s, u"floor"_s});
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.split(u"\r\n"_s, Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QStringList header = csvFields(lines[0]);
        QCOMPARE(header.mid(0, 10),
                 QStringList({u"seq"_s, u"time"_s, u"kind"_s, u"num"_s, u"event"_s, u"before"_s,
                              u"after"_s, u"source"_s, u"note"_s, u"j1"_s}));
        const QStringList entry = csvFields(lines[1]);
        QCOMPARE(entry.size(), header.size());
        QVERIFY2(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"_s)
                     .match(entry[1])
                     .hasMatch(),
                 qPrintable(entry[1]));
        QCOMPARE(
            entry.mid(2, 9),
            QStringList({u"score"_s, u"101"_s, u"Floor"_s, QString(), u"9.050"_s,
                         u"Floor judge 1 Judge 1, 127.0.0.1, TCP"_s, QString(), u"9"_s, u"9.1"_s}));
        QCOMPARE(entry.last(), u"SENDSCORE|101|3|1|Floor|9|9.1||||||10||9|9.05|0"_s);

        const QString csv = f.temp().path(u"history.csv"_s);
        QCOMPARE(tallvane({u"history"_s, meet, u"--session"_s, u"1"_s, u"--csv"_s, csv}).status, 0);
        QCOMPARE(TransferFiles::read(csv).count("\r\n"), 3);
        QCOMPARE(tallvane({u"history"_s, meet, u"--nmu"_s, u"1"_s}).status, 2);
        QCOMPARE(tallvane({u"history"_s, f.temp().path(u"none.tallvane"_s)}).status, 1);

        // The same meet without Tallvane's own tables (its history, inquiries
        // and settings) exports the same bytes; a maximum score set since
        // changes none of them.
        ScoreInquiries inquiries(f.db());
        QVERIFY(inquiries.file(u"101"_s, u"Floor"_s, u"Coach Lee"_s, false,
                               QDateTime::currentDateTime()));
        const QString bare = f.temp().path(u"bare.tallvane"_s);
        f.run(u"VACUUM INTO ?"_s, {bare});
        QVERIFY(ScoreRange::store(f.db(), 16.5));
        for (const QString& table : {u"ScoreHistory"_s, u"ScoreInquiries"_s, u"TallvaneSettings"_s})
            TempMeet::change(bare, u"DROP TABLE "_s + table);
        const QString withHistory = f.temp().path(u"with.rxt"_s);
        const QString without = f.temp().path(u"without.rxt"_s);
        QCOMPARE(tallvane({u"export"_s, meet, withHistory}).status, 0);
        QCOMPARE(tallvane({u"export"_s, bare, without}).status, 0);
        QVERIFY(TransferFiles::read(withHistory).contains("9.05"));
        QCOMPARE(TransferFiles::read(withHistory), TransferFiles::read(without));
    }

    // A meet file gains the history when it opens; one whose history is not
    // as Tallvane writes it is refused with the reason, and left as it is.
    void aDamagedHistoryIsReportedWhenTheMeetOpens() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        TempMeet::change(meet, u"CREATE TABLE ScoreHistory (Seq INTEGER PRIMARY KEY, Time TEXT)"_s);
        AppState state(temp.folder());
        QString error;
        QVERIFY(!state.openMeetFile(meet, &error));
        QVERIFY2(error.contains(u"score history (table ScoreHistory) is damaged"_s),
                 qPrintable(error));
        MeetDatabase db;
        QVERIFY(db.open(meet));
        QCOMPARE(db.select(u"SELECT name FROM pragma_table_info('ScoreHistory')"_s).count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestJudgingHistory)
#include "tst_judging_history.moc"
