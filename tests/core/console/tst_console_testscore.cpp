#include "console/testscore.h"
#include "scriptedprompter.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestConsoleTestScore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusesEmptyFieldsAndQueuesTheRest_data() {
        QTest::addColumn<QString>("num");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("score");
        QTest::addColumn<bool>("queued");
        QTest::newRow("all filled") << u"999"_s << u"Test Gymnast"_s << u"8.885"_s << true;
        QTest::newRow("no name") << u"999"_s << QString() << u"8.885"_s << true;
        QTest::newRow("no score") << u"999"_s << u"Test Gymnast"_s << QString() << false;
        QTest::newRow("no number") << QString() << u"Test Gymnast"_s << u"8.885"_s << false;
    }
    void refusesEmptyFieldsAndQueuesTheRest() {
        QFETCH(QString, num);
        QFETCH(QString, name);
        QFETCH(QString, score);
        QFETCH(bool, queued);
        ScriptedPrompter prompter;
        QStringList calls;
        auto queueScore = [&calls](const QString& n, const QString& gymnast, const QString& event,
                                   const QString& s, bool corrected) {
            calls.append(QStringList{n, gymnast, event, s, corrected ? u"1"_s : u"0"_s}.join(u'|'));
        };
        QCOMPARE(TestScore::send(prompter, queueScore, num, name, u"Beam"_s, score, true), queued);
        if (queued) {
            QCOMPARE(calls, QStringList{num + u'|' + name + u"|Beam|"_s + score + u"|1"_s});
            QVERIFY(prompter.messages().isEmpty());
        } else {
            QVERIFY(calls.isEmpty());
            QCOMPARE(prompter.lastMessage(),
                     u"Fill in all test fields before sending a test score."_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestConsoleTestScore)
#include "tst_console_testscore.moc"
