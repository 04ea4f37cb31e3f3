#include "childnamed.h"
#include "firstrow.h"
#include "meetinfodialog.h"
#include "operatordesk.h"
#include "shell/scorerange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Desk : MainWindowDesk {
    QStringList meetRow() {
        MeetDatabase db;
        if (!db.open(state.meetFilePath()))
            qFatal("reopen failed");
        return firstRow(db, u"SELECT Start_Date, End_Date, Num_Judges FROM Meets"_s);
    }
};

} // namespace

// The Meet Information dialog of an open meet: what it shows, refuses and saves.
class TestShellMeetInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The locale's short form carries a two-digit year, the dialog shows four;
    // saving unchanged dates must store the same dates again. An end before
    // the start is a date like any other. The maximum score is the meet's own.
    void meetInfoShowsRefusesAndSavesTheMeetRow() {
        const QLocale previous;
        QLocale::setDefault(QLocale(u"en_US"_s));
        Desk desk;
        desk.open(desk.temp.createSampleMeet());
        auto* dialog = desk.dialog<MeetInfoDialog>("tbrMeetInfo");
        QVERIFY(dialog);
        auto* judges = childNamed<QComboBox>(dialog, "combo_judges");
        QCOMPARE((QStringList{lineEdit(dialog, "txtMeetName")->text(),
                              lineEdit(dialog, "txtZip")->text(),
                              lineEdit(dialog, "start_date")->text(), judges->currentText()}),
                 QStringList({u"Spring Classic"_s, u"02139"_s, u"3/14/2026"_s, u"3"_s}));
        QVERIFY(childNamed<QCheckBox>(dialog, "chkAgeDivisions")->isChecked());
        const QString end = lineEdit(dialog, "end_date")->text();
        lineEdit(dialog, "end_date")->setText(u"31/31/2026"_s);
        childNamed<QPushButton>(dialog, "cmdSave")->click();
        QCOMPARE(desk.prompter.messages(),
                 QStringList{
                     u"Start Date or End Date are invalid.  Please check values and try again."_s});
        // Below the fixed text: which date, and forms that are accepted.
        const QString detail = desk.prompter.shown().constLast().detail;
        for (const QString& part : {u"End Date: \"31/31/2026\" is not a date."_s,
                                    QDate::currentDate().toString(u"yyyy-MM-dd"_s)})
            QVERIFY2(detail.contains(part), qPrintable(detail));
        QVERIFY(!detail.contains(u"Start Date"_s));
        QVERIFY(dialog->isVisible());
        QCOMPARE(lineEdit(dialog, "end_date")->text(), u"31/31/2026"_s);
        judges->setCurrentIndex(0);
        childNamed<QPushButton>(dialog, "cmdCancel")->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(desk.meetRow(), QStringList({u"2026-03-14"_s, u"2026-03-15"_s, u"3"_s}));

        QTRY_VERIFY(!desk.window->findChild<MeetInfoDialog*>()); // closed windows go away
        QVERIFY((dialog = desk.dialog<MeetInfoDialog>("tbrMeetInfo")));
        QCOMPARE(lineEdit(dialog, "end_date")->text(), end);
        // The meet's maximum score is 10 until the meet information sets another.
        QLineEdit* maxScore = lineEdit(dialog, "txtMaxScore");
        QCOMPARE(maxScore->text(), u"10"_s);
        for (const QString& refused : {u"0"_s, u"ten"_s, u"101"_s}) {
            maxScore->setText(refused);
            childNamed<QPushButton>(dialog, "cmdSave")->click();
            QCOMPARE(desk.prompter.lastMessage(), ScoreRange::InvalidMaximumMessage);
            QVERIFY(dialog->isVisible());
        }
        QCOMPARE(ScoreRange::ofMeet(desk.state.meetDb()).maximum(), 10.0);
        maxScore->setText(u"16.5"_s);
        childNamed<QComboBox>(dialog, "combo_judges")->setCurrentIndex(1);
        childNamed<QPushButton>(dialog, "cmdSave")->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(desk.state.numJudges(), 2);
        QCOMPARE(desk.meetRow(), QStringList({u"2026-03-14"_s, u"2026-03-15"_s, u"2"_s}));
        QCOMPARE(ScoreRange::ofMeet(desk.state.meetDb()).maximum(), 16.5);

        QTRY_VERIFY(!desk.window->findChild<MeetInfoDialog*>());
        QVERIFY((dialog = desk.dialog<MeetInfoDialog>("tbrMeetInfo")));
        QCOMPARE(lineEdit(dialog, "txtMaxScore")->text(), u"16.5"_s);
        lineEdit(dialog, "start_date")->setText(u"2026-04-02"_s);
        lineEdit(dialog, "end_date")->setText(u"4/1/2026"_s);
        childNamed<QPushButton>(dialog, "cmdSave")->click();
        QLocale::setDefault(previous);
        QCOMPARE(desk.meetRow(), QStringList({u"2026-04-02"_s, u"2026-04-01"_s, u"2"_s}));
        QCOMPARE(desk.prompter.messages().size(), 4); // the date's and the maximum's refusals

        QVERIFY(desk.state.meetDb().execute(u"DELETE FROM Meets"_s));
        desk.trigger("tbrMeetInfo");
        QCOMPARE(desk.prompter.lastMessage(),
                 u"Meet data could not be found!  Close the Data File and reload."_s);
        QTRY_VERIFY(!desk.window->findChild<MeetInfoDialog*>());
    }
};

QTEST_MAIN(TestShellMeetInfo)
#include "tst_shell_meetinfo.moc"
