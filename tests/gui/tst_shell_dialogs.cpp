#include "aboutdialog.h"
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
        trigger(u"mnuOpen"_s);
    }
    void trigger(const QString& name) { window->findChild<QAction*>(name)->trigger(); }
    template <typename T>
    T* field(QWidget* in, const QString& name) {
        auto* found = in->findChild<T*>(name);
        if (!found)
            qFatal("no field %s", qPrintable(name));
        return found;
    }
    DbRows meetRow() {
        MeetDatabase db;
        if (!db.open(state.meetFilePath()))
            qFatal("reopen failed");
        return db.select(u"SELECT Start_Date, End_Date, Num_Judges FROM Meets"_s);
    }
};

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
        QTest::newRow("port letters") << u"abc"_s << u"1234"_s << portLine;
        QTest::newRow("port empty") << QString() << u"1234"_s << portLine;
        QTest::newRow("port beyond 32 bits") << u"99999999999"_s << u"1234"_s << portLine;
        QTest::newRow("pin of three") << u"10120"_s << u"123"_s << pinLine;
        QTest::newRow("pin of five") << u"10120"_s << u"12345"_s << pinLine;
        QTest::newRow("pin letters") << u"10120"_s << u"abcd"_s << pinLine;
        QTest::newRow("both, port first") << u"0"_s << u"12"_s << portLine + pinLine;
    }
    void settingsAcceptOrRefuse() {
        QFETCH(QString, port);
        QFETCH(QString, pin);
        QFETCH(QString, message);
        Desk desk;
        desk.trigger(u"mnuSettings"_s);
        auto* dialog = desk.window->findChild<SettingsDialog*>(u"frmSettings"_s);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(desk.field<QLineEdit>(dialog, u"txtPort"_s)->text(), u"10120"_s);
        QCOMPARE(desk.field<QLineEdit>(dialog, u"txtPIN"_s)->text(), u"3917"_s);
        desk.field<QLineEdit>(dialog, u"txtPort"_s)->setText(port);
        desk.field<QLineEdit>(dialog, u"txtPIN"_s)->setText(pin);
        desk.field<QPushButton>(dialog, u"OKButton"_s)->click();
        QVERIFY(!dialog->isVisible());

        if (message.isEmpty()) {
            QVERIFY(desk.prompter.messages().isEmpty());
            QCOMPARE(contents(desk.state.portFilePath()), port.toLatin1() + "\r\n");
            QCOMPARE(contents(desk.state.pinFilePath()), pin.toLatin1() + "\r\n");
            QCOMPARE(desk.state.portNumber(), port);
            QCOMPARE(desk.state.pin(), pin);
        } else {
            QCOMPARE(desk.prompter.messages(), QStringList{message});
            QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
            QCOMPARE(contents(desk.state.portFilePath()), QByteArray("10120\r\n"));
            QCOMPARE(contents(desk.state.pinFilePath()), QByteArray("3917\r\n"));
            QCOMPARE(desk.state.portNumber(), u"10120"_s);
            QCOMPARE(desk.state.pin(), u"3917"_s);
        }
    }

    void settingsCancelSavesNothing() {
        Desk desk;
        desk.trigger(u"mnuSettings"_s);
        auto* dialog = desk.window->findChild<SettingsDialog*>();
        desk.field<QLineEdit>(dialog, u"txtPort"_s)->setText(u"2000"_s);
        desk.field<QPushButton>(dialog, u"CancelButton"_s)->click();
        QCOMPARE(contents(desk.state.portFilePath()), QByteArray("10120\r\n"));
        QCOMPARE(desk.state.portNumber(), u"10120"_s);
    }

    void meetInfoShowsTheMeetRow() {
        Desk desk;
        desk.openSampleMeet();
        desk.trigger(u"tbrMeetInfo"_s);
        auto* dialog = desk.window->findChild<MeetInfoDialog*>(u"frmMeetInfo"_s);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), u"Meet Information"_s);
        QCOMPARE(desk.field<QLineEdit>(dialog, u"txtMeetName"_s)->text(), u"Spring Classic"_s);
        QCOMPARE(desk.field<QLineEdit>(dialog, u"txtZip"_s)->text(), u"02139"_s);
        QCOMPARE(desk.field<QLineEdit>(dialog, u"txtAddress1"_s)->text(), QString());
        QVERIFY(desk.field<QLineEdit>(dialog, u"txtMeetName"_s)->isReadOnly());
        QVERIFY(!desk.field<QLineEdit>(dialog, u"start_date"_s)->isReadOnly());
        QCOMPARE(desk.field<QLineEdit>(dialog, u"start_date"_s)->text(),
                 QLocale().toString(QDate(2026, 3, 14), QLocale::ShortFormat));
        QCOMPARE(desk.field<QComboBox>(dialog, u"combo_judges"_s)->currentText(), u"3"_s);
        QVERIFY(desk.field<QCheckBox>(dialog, u"chkAgeDivisions"_s)->isChecked());
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
        desk.trigger(u"tbrMeetInfo"_s);
        auto* dialog = desk.window->findChild<MeetInfoDialog*>();
        desk.field<QComboBox>(dialog, u"combo_judges"_s)->setCurrentIndex(1);
        desk.field<QPushButton>(dialog, u"cmdSave"_s)->click();
        QLocale::setDefault(previous);

        QVERIFY(desk.prompter.messages().isEmpty());
        QVERIFY(!dialog->isVisible());
        QCOMPARE(desk.state.numJudges(), 2);
        const DbRows row = desk.meetRow();
        QCOMPARE(row.count(), 1);
        QCOMPARE(row.text(0, u"Start_Date"_s), u"2026-03-14"_s);
        QCOMPARE(row.text(0, u"End_Date"_s), u"2026-03-15"_s);
        QCOMPARE(row.value(0, u"Num_Judges"_s).toInt(), 2);
    }

    void meetInfoRefusesBadDatesAndCancelWritesNothing() {
        Desk desk;
        desk.openSampleMeet();
        desk.trigger(u"tbrMeetInfo"_s);
        auto* dialog = desk.window->findChild<MeetInfoDialog*>();
        desk.field<QLineEdit>(dialog, u"end_date"_s)->setText(u"31/31/2026"_s);
        desk.field<QComboBox>(dialog, u"combo_judges"_s)->setCurrentIndex(0);
        desk.field<QPushButton>(dialog, u"cmdSave"_s)->click();
        QCOMPARE(desk.prompter.messages(),
                 QStringList{
                     u"Start Date or End Date are invalid.  Please check values and try again."_s});
        QVERIFY(dialog->isVisible());
        QCOMPARE(desk.field<QLineEdit>(dialog, u"end_date"_s)->text(), u"31/31/2026"_s);
        QCOMPARE(desk.state.numJudges(), 3);

        // An end before the start is a date like any other.
        desk.field<QLineEdit>(dialog, u"start_date"_s)->setText(u"2026-04-02"_s);
        desk.field<QLineEdit>(dialog, u"end_date"_s)->setText(u"4/1/2026"_s);
        desk.field<QPushButton>(dialog, u"cmdCancel"_s)->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(desk.state.numJudges(), 3);
        DbRows row = desk.meetRow();
        QCOMPARE(row.text(0, u"Start_Date"_s), u"2026-03-14"_s);
        QCOMPARE(row.value(0, u"Num_Judges"_s).toInt(), 3);

        QTRY_VERIFY(!desk.window->findChild<MeetInfoDialog*>()); // closed windows go away
        desk.trigger(u"tbrMeetInfo"_s);
        dialog = desk.window->findChild<MeetInfoDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        desk.field<QLineEdit>(dialog, u"start_date"_s)->setText(u"2026-04-02"_s);
        desk.field<QLineEdit>(dialog, u"end_date"_s)->setText(u"4/1/2026"_s);
        desk.field<QPushButton>(dialog, u"cmdSave"_s)->click();
        row = desk.meetRow();
        QCOMPARE(row.text(0, u"Start_Date"_s), u"2026-04-02"_s);
        QCOMPARE(row.text(0, u"End_Date"_s), u"2026-04-01"_s);
    }

    void meetInfoWithoutMeetRow() {
        Desk desk;
        desk.openSampleMeet();
        QVERIFY(desk.state.meetDb().execute(u"DELETE FROM Meets"_s));
        desk.trigger(u"tbrMeetInfo"_s);
        QCOMPARE(desk.prompter.messages(),
                 QStringList{u"Meet data could not be found!  Close the Data File and reload."_s});
        QTRY_VERIFY(!desk.window->findChild<MeetInfoDialog*>());
    }

    void aboutBox() {
        Desk desk;
        desk.trigger(u"mnuAbout"_s);
        auto* about = desk.window->findChild<AboutDialog*>();
        QVERIFY(about && about->isVisible());
        desk.field<QPushButton>(about, u"cmdOK"_s)->click();
        QVERIFY(!about->isVisible());
    }
};

QTEST_MAIN(TestShellDialogs)
#include "tst_shell_dialogs.moc"
