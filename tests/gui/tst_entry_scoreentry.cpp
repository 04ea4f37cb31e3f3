#include "childnamed.h"
#include "datarows.h"
#include "operatordesk.h"
#include "scoreentrywindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// An open meet with a manual entry window that hands its scores to `sent`.
struct Entry : OperatorDesk {
    QList<SubmittedScore> sent;
    QList<bool> noScoreboard;
    QPointer<ScoreEntryWindow> window;

    // `stored` runs on the meet before the window reads it.
    Entry(int judges, const QString& event, const QString& number = u"101"_s,
          const QString& stored = {}) {
        if (!state.openMeetFile(temp.createSampleMeet()) ||
            (!stored.isEmpty() && !state.meetDb().execute(stored)))
            qFatal("no meet");
        window = new ScoreEntryWindow(state.meetDb(), judges, prompter,
                                      [this](const SubmittedScore& score, bool noSb) {
                                          sent.append(score);
                                          noScoreboard.append(noSb);
                                      });
        window->setGymnastNumber(number);
        window->setEventName(event);
        window->show();
        QSignalSpy loaded(window.data(), &ScoreEntryWindow::loaded);
        if (!loaded.wait(5000))
            qFatal("the gymnast was not read");
    }
    ~Entry() { delete window; }

    template <typename T = QLineEdit>
    T* box(const QString& name) const {
        return childNamed<T>(window.data(), qPrintable(name));
    }
    // Types into a box and leaves it.
    void type(const QString& name, const QString& text) const {
        box(name)->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box(name), &out);
    }
    bool canSave() const { return box<QPushButton>(u"cmdSendScore"_s)->isEnabled(); }
};

} // namespace

class TestEntryScoreEntry : public QObject {
    Q_OBJECT

    static QString judges(const SubmittedScore::Attempt& attempt) {
        return QStringList(attempt.judges.begin(), attempt.judges.end()).join(u',');
    }

private Q_SLOTS:
    // The boxes shown follow the panel; saving waits for the last box and
    // hands on the formatted scores, both vaults, and the scoreboard choice.
    // Each case: the panel, the event, what is typed (box=text, in order, the
    // first vault's first), whether it goes to the scoreboard, and what is
    // handed on (judges|adjustment|B score|the second vault's judges|its B score|final).
    void entersAndSavesThePanel_data() {
        addDataRows<int, QString, QString, bool, QString>(
            {"panel", "event", "typed", "toScoreboard", "sent"},
            {{4, u"Bars"_s, u"NDA=-0.1 1A=9 2A=9.2 3A=9.4 4A=8.8"_s, true,
              u"9.000,9.200,9.400,8.800|-0.1|9.100|,,,||9.000"_s},
             {2, u"Vault"_s, u"NDA=-0.3 1A=9.0 2A=9.2 1B=8.9 2B=9"_s, false,
              u"9.000,9.200,,|-0.3|9.100|8.900,9.000,,|8.950|8.950"_s},
             {1, u"Floor"_s, u"1A=875"_s, true, u"8.750,,,||8.750|,,,||8.750"_s}}); // implied point
    }

    void entersAndSavesThePanel() {
        QFETCH(int, panel);
        QFETCH(QString, event);
        QFETCH(QString, typed);
        QFETCH(bool, toScoreboard);
        QFETCH(QString, sent);
        Entry entry(panel, event);
        for (int judge = 1; judge <= 4; ++judge) {
            const QString n = QString::number(judge);
            QCOMPARE(entry.box(u"txtJudge"_s + n + u"A"_s)->isVisible(), judge <= panel);
            QCOMPARE(entry.box(u"txtJudge"_s + n + u"B"_s)->isVisible(),
                     event == u"Vault"_s && judge <= panel);
        }
        QCOMPARE(entry.box<QLabel>(u"lblAttempt2"_s)->isVisible(), event == u"Vault"_s);
        // The widest score shows whole in every box.
        for (QLineEdit* box : entry.window->findChildren<QLineEdit*>()) {
            if (box->isVisible() && box->objectName() != u"txtGymnastNumber"_s)
                QVERIFY2(box->contentsRect().width() >=
                             box->fontMetrics().horizontalAdvance(u"10.000"_s),
                         qPrintable(box->objectName()));
        }

        for (const QString& step : typed.split(u' ')) {
            const QString name = step.section(u'=', 0, 0);
            QVERIFY(name.endsWith(u'B') || !entry.canSave()); // a second vault is optional
            entry.type(name.startsWith(u'N') ? u"txt"_s + name : u"txtJudge"_s + name,
                       step.section(u'=', 1));
        }
        QCOMPARE(entry.box(u"txtFinal"_s)->text(), sent.section(u'|', -1));
        QVERIFY(entry.box<QCheckBox>(u"chkSendScore"_s)->isChecked());
        entry.box<QCheckBox>(u"chkSendScore"_s)->setChecked(toScoreboard);
        entry.box<QPushButton>(u"cmdSendScore"_s)->click();
        QCOMPARE(entry.sent.size(), 1);
        const SubmittedScore& score = entry.sent.first();
        QCOMPARE((QStringList{judges(score.first), score.first.adjustment, score.first.bScore,
                              judges(score.second), score.second.bScore, score.finalText})
                     .join(u'|'),
                 sent);
        QCOMPARE((QStringList{score.num, score.event}), (QStringList{u"101"_s, event}));
        QCOMPARE(entry.noScoreboard, QList<bool>{!toScoreboard});
        QTRY_VERIFY(!entry.window);
    }

    // A box emptied again takes the final and the saving with it.
    void anEmptiedBoxStopsTheSave() {
        Entry entry(1, u"Beam"_s);
        entry.type(u"txtJudge1A"_s, u"9.3"_s);
        QVERIFY(entry.canSave());
        entry.type(u"txtJudge1A"_s, QString());
        QVERIFY(entry.box(u"txtFinal"_s)->text().isEmpty());
        QVERIFY(!entry.canSave());
    }

    // A score outside 0 ... the meet's maximum cannot be saved: its box and
    // the window say why. Each case: what is typed after three judges' 9s, the
    // box refused and the value named above the maximum; "" where the score is
    // in range.
    void scoresOutOfRangeCannotBeSaved_data() {
        const QString highMaximum =
            u"INSERT INTO TallvaneSettings(Name, Value) VALUES('MaxScore', '16.5')"_s;
        addDataRows<QString, QString, QString, QString>(
            {"stored", "typed", "refused", "above"},
            {{{}, u"1A=86"_s, u"txtJudge1A"_s, u"Judge 1: 86.000"_s},
             {{}, u"StartA=10.5"_s, u"txtStartA"_s, u"Start: 10.500"_s},
             {{}, u"1A=9.9 2A=9.9 3A=9.9 NDA=0.3"_s, u"txtFinal"_s, u"Final: 10.200"_s},
             {{}, u"StartA=0 NDA=1"_s, u"txtFinal"_s, {}}, // both ends of the range
             {highMaximum, u"1A=12.5"_s, u"txtJudge1A"_s, {}}});
    }

    void scoresOutOfRangeCannotBeSaved() {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, refused);
        QFETCH(QString, above);
        const QString why =
            above.isEmpty() ? QString() : above + u" is above the maximum score of 10."_s;
        Entry entry(3, u"Floor"_s, u"101"_s, stored);
        for (const QString& step : QString(u"1A=9 2A=9 3A=9 "_s + typed).split(u' ')) {
            const QString name = step.section(u'=', 0, 0);
            entry.type(name.front().isDigit() ? u"txtJudge"_s + name : u"txt"_s + name,
                       step.section(u'=', 1));
        }
        // The refused box's reason first (a judge's 86 takes the final with it).
        QCOMPARE(entry.box<QLabel>(u"lblScoreRange"_s)->text().section(u'\n', 0, 0), why);
        QCOMPARE(entry.box(refused)->toolTip(), why);
        QCOMPARE(entry.canSave(), why.isEmpty());
        entry.box<QPushButton>(u"cmdSendScore"_s)->click();
        QCOMPARE(entry.sent.size(), why.isEmpty() ? 1 : 0);
    }

    // Stored values fill the boxes, both vaults' (a Null stays empty).
    void storedScoresAreShownAndUnknownNumbersLeaveItEmpty() {
        Entry entry(2, u"Vault"_s, u"101"_s,
                    u"UPDATE Gymnasts SET E1S1 = 9.1, E1S2 = 9, E1Adj = -1, E1Start = 10, "
                    "E7S1 = 8.95 WHERE Num = '101'"_s);
        QStringList shown{entry.box<QLabel>(u"lblGymnastName"_s)->text(),
                          entry.box<QLabel>(u"lblGymName"_s)->text(),
                          entry.box<QLabel>(u"lblAgeDiv"_s)->text()};
        for (const char* name : {"Judge1A", "Judge2A", "NDA", "StartA", "Judge1B", "Judge2B"})
            shown << entry.box(u"txt"_s + QLatin1String(name))->text();
        // Senior: ten in the meet's year.
        QCOMPARE(shown, QStringList({u"101 - Ava Brooks"_s, u"Riverside"_s, u"Senior"_s, u"9.100"_s,
                                     u"9.000"_s, u"-1.000"_s, u"10.000"_s, u"8.950"_s, QString()}));

        Entry unknown(2, u"Floor"_s, u"4242"_s);
        QVERIFY(unknown.box<QLabel>(u"lblGymnastName"_s)->text().isEmpty());
        QVERIFY(!unknown.canSave());
        QVERIFY(unknown.prompter.messages().isEmpty());
    }
};

QTEST_MAIN(TestEntryScoreEntry)
#include "tst_entry_scoreentry.moc"
