#include "childnamed.h"
#include "firstrow.h"
#include "meetinfodialog.h"
#include "operatordesk.h"
#include "settingsdialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct Desk : MainWindowDesk {
    // Opens the sample meet through the menu; its server listens on any free port.
    void openSampleMeet() {
        state.setPortNumber(u"0"_s);
        prompter.chooseFile(temp.createSampleMeet());
        trigger("mnuOpen");
    }
    // The dialog a menu command opened, shown.
    template <typename T>
    T* open(const char* command) {
        trigger(command);
        T* dialog = window->findChild<T*>();
        return dialog && dialog->isVisible() ? dialog : nullptr;
    }
    QStringList meetRow() {
        MeetDatabase db;
        if (!db.open(state.meetFilePath()))
            qFatal("reopen failed");
        return firstRow(db, u"SELECT Start_Date, End_Date, Num_Judges FROM Meets"_s);
    }
};

QLineEdit* edit(QWidget* dialog, const char* name) {
    return childNamed<QLineEdit>(dialog, name);
}
void click(QWidget* dialog, const char* name) {
    childNamed<QPushButton>(dialog, name)->click();
}

} // namespace

class TestShellDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsAcceptOrRefuse_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("pin");
        QTest::addColumn<QString>("message");
        const QString portLine = u"Port number must be a value between 0 and 30000.\r\n"_s;
        const QString pinLine = u"PIN must a 4-digit numeric value.\r\n"_s;
        QTest::newRow("highest port") << u"30000"_s << u"1234"_s << QString();
        QTest::newRow("lowest port") << u"1"_s << u"1234"_s << QString();
        QTest::newRow("numeric pin with a point") << u"10120"_s << u"12.5"_s << QString();
        QTest::newRow("port above range") << u"30001"_s << u"1234"_s << portLine;
        QTest::newRow("port zero") << u"0"_s << u"1234"_s << portLine;
        QTest::newRow("port empty") << QString() << u"1234"_s << portLine;
        QTest::newRow("port beyond 32 bits") << u"99999999999"_s << u"1234"_s << portLine;
        QTest::newRow("pin of three") << u"10120"_s << u"123"_s << pinLine;
        QTest::newRow("pin of five") << u"10120"_s << u"12345"_s << pinLine;
        QTest::newRow("pin letters") << u"10120"_s << u"abcd"_s << pinLine;
        QTest::newRow("both, port first") << u"0"_s << u"12"_s << portLine + pinLine;
        QTest::newRow("cancelled") << u"2000"_s << u"1234"_s << u"cancel"_s;
    }
    void settingsAcceptOrRefuse() {
        QFETCH(QString, port);
        QFETCH(QString, pin);
        QFETCH(QString, message);
        Desk desk;
        auto* dialog = desk.open<SettingsDialog>("mnuSettings");
        QVERIFY(dialog);
        QCOMPARE(edit(dialog, "txtPort")->text(), u"10120"_s);
        QCOMPARE(edit(dialog, "txtPIN")->text(), u"3917"_s);
        edit(dialog, "txtPort")->setText(port);
        edit(dialog, "txtPIN")->setText(pin);
        click(dialog, message == u"cancel"_s ? "CancelButton" : "OKButton");
        QVERIFY(!dialog->isVisible());

        const bool saved = message.isEmpty();
        if (!saved && message != u"cancel"_s) {
            QCOMPARE(desk.prompter.messages(), QStringList{message});
            QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
        }
        QCOMPARE(contents(desk.state.portFilePath()),
                 (saved ? port : u"10120"_s).toLatin1() + "\r\n");
        QCOMPARE(contents(desk.state.pinFilePath()), (saved ? pin : u"3917"_s).toLatin1() + "\r\n");
        QCOMPARE(desk.state.portNumber(), saved ? port : u"10120"_s);
        QCOMPARE(desk.state.pin(), saved ? pin : u"3917"_s);
    }

    void meetInfoShowsTheMeetRow() {
        Desk desk;
        desk.openSampleMeet();
        auto* dialog = desk.open<MeetInfoDialog>("tbrMeetInfo");
        QVERIFY(dialog);
        QCOMPARE(edit(dialog, "txtMeetName")->text(), u"Spring Classic"_s);
        QVERIFY(edit(dialog, "txtMeetName")->isReadOnly());
        QCOMPARE(edit(dialog, "txtZip")->text(), u"02139"_s);
        QCOMPARE(edit(dialog, "start_date")->text(),
                 QLocale().toString(QDate(2026, 3, 14), QLocale::ShortFormat));
        QCOMPARE(childNamed<QComboBox>(dialog, "combo_judges")->currentText(), u"3"_s);
        QVERIFY(childNamed<QCheckBox>(dialog, "chkAgeDivisions")->isChecked());
    }

    // The locale's short form may carry a two-digit year; saving it unchanged
    // must store the same dates again.
    void meetInfoSavesJudgesAndUnchangedDates_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << u"C"_s;
        QTest::newRow("en_US, two-digit years") << u"en_US"_s;
        QTest::newRow("de_DE, two-digit years") << u"de_DE"_s;
    }
    void meetInfoSavesJudgesAndUnchangedDates() {
        QFETCH(QString, locale);
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        Desk desk;
        desk.openSampleMeet();
        auto* dialog = desk.open<MeetInfoDialog>("tbrMeetInfo");
        childNamed<QComboBox>(dialog, "combo_judges")->setCurrentIndex(1);
        click(dialog, "cmdSave");
        QLocale::setDefault(previous);

        QVERIFY(desk.prompter.messages().isEmpty());
        QVERIFY(!dialog->isVisible());
        QCOMPARE(desk.state.numJudges(), 2);
        QCOMPARE(desk.meetRow(), QStringList({u"2026-03-14"_s, u"2026-03-15"_s, u"2"_s}));
    }

    void meetInfoRefusesBadDatesAndCancelWritesNothing() {
        Desk desk;
        desk.openSampleMeet();
        auto* dialog = desk.open<MeetInfoDialog>("tbrMeetInfo");
        edit(dialog, "end_date")->setText(u"31/31/2026"_s);
        childNamed<QComboBox>(dialog, "combo_judges")->setCurrentIndex(0);
        click(dialog, "cmdSave");
        QCOMPARE(desk.prompter.messages(),
                 QStringList{
                     u"Start Date or End Date are invalid.  Please check values and try again."_s});
        QVERIFY(dialog->isVisible());
        QCOMPARE(edit(dialog, "end_date")->text(), u"31/31/2026"_s);
        QCOMPARE(desk.state.numJudges(), 3);

        // An end before the start is a date like any other.
        edit(dialog, "start_date")->setText(u"2026-04-02"_s);
        edit(dialog, "end_date")->setText(u"4/1/2026"_s);
        click(dialog, "cmdCancel");
        QVERIFY(!dialog->isVisible());
        QCOMPARE(desk.state.numJudges(), 3);
        QCOMPARE(desk.meetRow(), QStringList({u"2026-03-14"_s, u"2026-03-15"_s, u"3"_s}));

        QTRY_VERIFY(!desk.window->findChild<MeetInfoDialog*>()); // closed windows go away
        dialog = desk.open<MeetInfoDialog>("tbrMeetInfo");
        QVERIFY(dialog);
        edit(dialog, "start_date")->setText(u"2026-04-02"_s);
        edit(dialog, "end_date")->setText(u"4/1/2026"_s);
        click(dialog, "cmdSave");
        QCOMPARE(desk.meetRow(), QStringList({u"2026-04-02"_s, u"2026-04-01"_s, u"3"_s}));
    }

    void meetInfoWithoutMeetRow() {
        Desk desk;
        desk.openSampleMeet();
        QVERIFY(desk.state.meetDb().execute(u"DELETE FROM Meets"_s));
        desk.trigger("tbrMeetInfo");
        QCOMPARE(desk.prompter.messages(),
                 QStringList{u"Meet data could not be found!  Close the Data File and reload."_s});
        QTRY_VERIFY(!desk.window->findChild<MeetInfoDialog*>());
    }
};

QTEST_MAIN(TestShellDialogs)
#include "tst_shell_dialogs.moc"
