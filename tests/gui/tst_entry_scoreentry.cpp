#include "childnamed.h"
#include "judging/scorestore.h"
#include "operatordesk.h"
#include "scoreboard/displayseconds.h"
#include "scoreboard/scorequeue.h"
#include "scoreentrywindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// An open meet with a manual entry window whose scores are stored the way a
// judge station's are.
struct Entry : OperatorDesk {
    DisplaySeconds seconds;
    std::unique_ptr<ScoreQueue> queue;
    std::unique_ptr<ScoreStore> store;
    QList<SubmittedScore> sent;
    QList<bool> noScoreboard;
    QPointer<ScoreEntryWindow> window;

    Entry(int judges, const QString& event, const QString& number = u"101"_s) {
        if (!state.openMeetFile(temp.createSampleMeet()))
            qFatal("no meet");
        state.setNumJudges(judges);
        queue = std::make_unique<ScoreQueue>(state.meetDb(), seconds);
        store = std::make_unique<ScoreStore>(state.meetDb(), *queue);
        window =
            new ScoreEntryWindow(state, prompter, [this](const SubmittedScore& score, bool noSb) {
                sent.append(score);
                noScoreboard.append(noSb);
                const ScoreOutcome outcome = store->store(score, !noSb);
                if (!outcome.stored)
                    qWarning("not stored: %s", qPrintable(outcome.error));
            });
        window->setGymnastNumber(number);
        window->setEventName(event);
        window->setToday([] { return QDate(2026, 3, 14); });
        window->show();
    }
    ~Entry() { delete window; }

    bool waitLoaded() {
        QSignalSpy spy(window.data(), &ScoreEntryWindow::loaded);
        return spy.wait(5000);
    }
    QLineEdit* box(const QString& name) const {
        return childNamed<QLineEdit>(window.data(), qPrintable(name));
    }
    // Types into a box and leaves it.
    void type(const QString& name, const QString& text) const {
        box(name)->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box(name), &out);
    }
    // Types into each box in turn.
    void type(std::initializer_list<std::pair<const char*, const char*>> boxes) const {
        for (const auto& [name, text] : boxes)
            type(QString::fromLatin1(name), QString::fromLatin1(text));
    }
    QPushButton* save() const { return window->findChild<QPushButton*>(u"cmdSendScore"_s); }
    QVariant stored(const QString& column) {
        const DbRows rows =
            state.meetDb().select(u"SELECT "_s + column + u" FROM Gymnasts WHERE Num = '101'"_s);
        return rows.value(0, column);
    }
};

} // namespace

class TestEntryScoreEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutFollowsJudgesAndEvent_data() {
        QTest::addColumn<int>("judges");
        QTest::addColumn<QString>("event");
        QTest::newRow("two judges, bars") << 2 << u"Bars"_s;
        QTest::newRow("four judges, vault") << 4 << u"Vault"_s;
        QTest::newRow("one judge, vault") << 1 << u"Vault"_s;
    }
    void layoutFollowsJudgesAndEvent() {
        QFETCH(int, judges);
        QFETCH(QString, event);
        Entry entry(judges, event);
        QVERIFY(entry.window->findChild<QWidget*>(u"fraEntry"_s)->isHidden());
        QVERIFY(entry.waitLoaded());
        QVERIFY(!entry.window->findChild<QWidget*>(u"fraEntry"_s)->isHidden());
        const bool vault = event == u"Vault"_s;
        for (int judge = 1; judge <= 4; ++judge) {
            const QString n = QString::number(judge);
            QCOMPARE(entry.box(u"txtJudge"_s + n + u"A"_s)->isVisible(), judge <= judges);
            QCOMPARE(entry.box(u"txtJudge"_s + n + u"B"_s)->isVisible(), vault && judge <= judges);
        }
        QCOMPARE(entry.window->findChild<QLabel*>(u"lblAttempt2"_s)->isVisible(), vault);
        // The widest score shows whole in every box.
        for (QLineEdit* box : entry.window->findChildren<QLineEdit*>()) {
            if (box->isVisible() && box->objectName() != u"txtGymnastNumber"_s)
                QVERIFY2(box->contentsRect().width() >=
                             box->fontMetrics().horizontalAdvance(u"10.000"_s),
                         qPrintable(box->objectName()));
        }
        QCOMPARE(entry.window->findChild<QLabel*>(u"lblGymnastName"_s)->text(),
                 u"101 - Ava Brooks"_s);
        QCOMPARE(entry.window->findChild<QLabel*>(u"lblAgeDiv"_s)->text(), u"Junior"_s);
        QVERIFY(entry.window->findChild<QCheckBox*>(u"chkSendScore"_s)->isChecked());
        QVERIFY(!entry.save()->isEnabled());
    }

    void savesTheComputedFinal() {
        Entry entry(4, u"Bars"_s);
        QVERIFY(entry.waitLoaded());
        entry.type({{"txtJudge1A", "9"}, {"txtJudge2A", "9.2"}, {"txtJudge3A", "9.4"}});
        QVERIFY(!entry.save()->isEnabled());
        entry.type({{"txtJudge4A", "8.8"}, {"txtNDA", "-0.1"}});
        QCOMPARE(entry.box(u"txtJudge2A"_s)->text(), u"9.200"_s);
        QCOMPARE(entry.box(u"txtNDA"_s)->text(), u"-0.1"_s); // left as typed
        QCOMPARE(entry.box(u"txtFinal"_s)->text(), u"9.000"_s);
        QVERIFY(entry.save()->isEnabled());

        entry.save()->click();
        QCOMPARE(entry.sent.size(), 1);
        const SubmittedScore& bars = entry.sent.first();
        QCOMPARE((QStringList{bars.num, bars.event, bars.first.adjustment, bars.first.bScore,
                              bars.finalText}),
                 QStringList({u"101"_s, u"Bars"_s, u"-0.1"_s, u"9.100"_s, u"9.000"_s}));
        QCOMPARE(bars.first.judges,
                 (std::array<QString, 4>{u"9.000"_s, u"9.200"_s, u"9.400"_s, u"8.800"_s}));
        QVERIFY(!bars.testScore);
        QCOMPARE(entry.noScoreboard, QList<bool>{false});
        QCOMPARE(entry.stored(u"E2Final"_s).toDouble(), 9.0);
        QCOMPARE(entry.stored(u"E2S3"_s).toDouble(), 9.4);
        QTRY_VERIFY(!entry.window);
    }

    void vaultSendsBothAttemptsWithoutTheScoreboard() {
        Entry entry(2, u"Vault"_s);
        QVERIFY(entry.waitLoaded());
        entry.type({{"txtJudge1A", "9.0"},
                    {"txtJudge2A", "9.2"},
                    {"txtNDA", "-0.3"},
                    {"txtJudge1B", "8.9"},
                    {"txtJudge2B", "9"}});
        QCOMPARE(entry.box(u"txtFinal"_s)->text(), u"8.950"_s);
        entry.window->findChild<QCheckBox*>(u"chkSendScore"_s)->setChecked(false);
        entry.save()->click();
        QCOMPARE(entry.sent.size(), 1);
        const SubmittedScore& vault = entry.sent.first();
        QCOMPARE(vault.first.bScore, u"9.100"_s);
        QCOMPARE(vault.finalText, u"8.950"_s);
        QCOMPARE(vault.second.judges, (std::array<QString, 4>{u"8.900"_s, u"9.000"_s, {}, {}}));
        QCOMPARE(vault.second.bScore, u"8.950"_s);
        QCOMPARE(entry.noScoreboard, QList<bool>{true});
        QCOMPARE(entry.stored(u"E1Final"_s).toDouble(), 8.95);
        QCOMPARE(entry.state.meetDb().select(u"SELECT * FROM ScoreBoardQueue"_s).count(), 0);
    }

    void leavingAJudgeBoxFormatsIt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two digits of 10 or more") << u"95"_s << u"95.000"_s;
        QTest::newRow("implied point") << u"875"_s << u"8.750"_s;
        QTest::newRow("no number") << u"abc"_s << QString();
    }
    void leavingAJudgeBoxFormatsIt() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Entry entry(1, u"Floor"_s);
        QVERIFY(entry.waitLoaded());
        entry.type(u"txtJudge1A"_s, typed);
        QCOMPARE(entry.box(u"txtJudge1A"_s)->text(), shown);
        QCOMPARE(entry.save()->isEnabled(), !shown.isEmpty());
    }

    void emptyingAJudgeBoxDisablesSaving() {
        Entry entry(2, u"Beam"_s);
        QVERIFY(entry.waitLoaded());
        entry.type({{"txtJudge1A", "9.1"}, {"txtJudge2A", "9.3"}});
        QCOMPARE(entry.box(u"txtFinal"_s)->text(), u"9.200"_s);
        QVERIFY(entry.save()->isEnabled());
        entry.type(u"txtJudge2A"_s, QString());
        QVERIFY(entry.box(u"txtFinal"_s)->text().isEmpty());
        QVERIFY(!entry.save()->isEnabled());
        entry.save()->click();
        QVERIFY(entry.sent.isEmpty());
    }

    void storedScoresAreShownAndUnknownNumbersLeaveItEmpty() {
        {
            Entry entry(2, u"Floor"_s);
            QVERIFY(entry.state.meetDb().execute(
                u"UPDATE Gymnasts SET E4S1 = 9.5, E4S2 = 9.7, E4Adj = -0.1 WHERE Num = '101'"_s));
            QVERIFY(entry.waitLoaded());
            QCOMPARE(entry.box(u"txtJudge2A"_s)->text(), u"9.700"_s);
            QCOMPARE(entry.box(u"txtNDA"_s)->text(), u"-0.100"_s);
            QCOMPARE(entry.box(u"txtFinal"_s)->text(), u"9.500"_s);
        }
        Entry unknown(2, u"Floor"_s, u"4242"_s);
        QVERIFY(unknown.waitLoaded());
        QVERIFY(unknown.window->findChild<QLabel*>(u"lblGymnastName"_s)->text().isEmpty());
        QVERIFY(!unknown.save()->isEnabled());
        QVERIFY(unknown.prompter.messages().isEmpty());
    }
};

QTEST_MAIN(TestEntryScoreEntry)
#include "tst_entry_scoreentry.moc"
