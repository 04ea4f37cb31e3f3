#include "aboutdialog.h"
#include "childnamed.h"
#include "datarows.h"
#include "desktopprogram.h"
#include "meetinfodialog.h"
#include "operatordesk.h"
#include "server/localaddress.h"
#include "serverwindow.h"
#include "settingsdialog.h"
#include "shell/settingscheck.h"
#include "teststation.h"
#include "transferfiles.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Desk : MainWindowDesk {
    using MainWindowDesk::MainWindowDesk;
    void toolButton(const QString& caption) const {
        for (QAction* a : window->findChildren<QAction*>()) {
            if (a->text() == caption && a->objectName().startsWith(u"tbr"_s))
                return a->trigger();
        }
        qFatal("no toolbar button %s", qPrintable(caption));
    }
    // The meet commands enabled now ("Open Import Settings" without a meet).
    QString commands() const {
        QStringList on;
        for (const char* name : {"mnuOpen", "mnuImport", "mnuSettings", "mnuClose", "mnuExport"})
            if (childNamed<QAction>(window.get(), name)->isEnabled())
                on << QString::fromLatin1(name + 3);
        return on.join(u' ');
    }
    // The state after "Close Data File": no meet, no server window, the
    // no-meet menus, the plain title.
    bool noMeetOpen() {
        return !state.isMeetOpen() && !state.meetDb().isOpen() && state.numJudges() == 0 &&
               !window->serverWindow() && commands() == u"Open Import Settings"_s &&
               window->windowTitle() == u"Tallvane"_s;
    }
};

} // namespace

class TestShellMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The server window fills the client area at the window's first size. It
    // never closes by itself: its close button asks the Close question and does
    // what Close does.
    void openThenCloseSwitchesTheCommands() {
        Desk desk;
        desk.trigger("mnuOpen"); // no file scripted: the dialog is cancelled
        for (const QString& button :
             {u"Close Meet File"_s, u"      Meet Info      "_s, u"Export"_s})
            desk.toolButton(button); // the toolbar acts only in its state
        QCOMPARE(desk.prompter.shown().size(), 1);
        QVERIFY(!desk.window->findChild<MeetInfoDialog*>());
        QVERIFY(desk.noMeetOpen());

        desk.window->resize(MainWindow::DefaultClientSize);
        desk.prompter.chooseFile(desk.temp.createSampleMeet(u"spring.2026.tallvane"_s));
        desk.toolButton(u"Open Meet File"_s);
        QCOMPARE(desk.prompter.lastFolderOrProposal, desk.state.dataFolder());
        QCOMPARE(desk.state.meetBaseName() + QString::number(desk.state.numJudges()), u"spring3"_s);
        QCOMPARE(desk.window->windowTitle(), u"Tallvane - "_s + desk.state.meetFilePath());
        QCOMPARE(desk.commands(), u"Close Export"_s);
        desk.prompter.clear();
        desk.prompter.chooseFile(desk.temp.createSampleMeet(u"other.tallvane"_s));
        desk.toolButton(u"Open Meet File"_s);
        desk.toolButton(u"Import"_s);
        QVERIFY(desk.prompter.shown().isEmpty());
        QCOMPARE(desk.state.meetBaseName(), u"spring"_s);
        ServerWindow* server = desk.window->serverWindow();
        auto* frame = qobject_cast<QMdiSubWindow*>(server->parentWidget());
        const QWidget* area = desk.window->findChild<QMdiArea*>()->viewport();
        QTRY_COMPARE(frame->geometry(), area->rect());

        desk.prompter.answerNo();
        desk.trigger("mnuClose");
        desk.prompter.answerNo();
        frame->close();
        QTRY_COMPARE(desk.prompter.questions(),
                     QStringList(2, QString::fromLatin1(MainWindow::CloseQuestion)));
        // Enter keeps the meet open.
        QVERIFY(desk.prompter.shown().last().defaultNo);
        QCOMPARE(desk.prompter.shown().last().detail, u"No station is connected."_s);
        QCOMPARE(desk.window->serverWindow(), server);
        QVERIFY(desk.state.isMeetOpen());
        QVERIFY(server->server().isRunning());
        desk.prompter.answerYes();
        frame->close();
        QTRY_VERIFY(desk.noMeetOpen());
    }

    // The fixed text, naming the address, in a plain box; the system's reason
    // on a line of its own.
    void portInUseIsReportedWithTheFixedText() {
        Desk desk;
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4));
        desk.state.setPortNumber(QString::number(holder.serverPort()));
        desk.open(desk.temp.createSampleMeet());
        QVERIFY(desk.noMeetOpen());
        const ScriptedPrompter::Shown& shown = desk.prompter.shown().last();
        QCOMPARE(shown.text, u"Error staring server on "_s + LocalAddress::guess());
        QVERIFY(!shown.detail.isEmpty());
        QCOMPARE(shown.icon, Prompter::Icon::None);
    }

    void dataFolderThatCannotBeCreatedIsShownInABox() {
        TempMeet temp;
        QVERIFY(QFile(temp.path(u"plain-file"_s)).open(QIODevice::WriteOnly));
        ScriptedPrompter prompter;
        DesktopProgram program(prompter);
        bool stopped = false;
        QVERIFY(!program.start(temp.path(u"plain-file/Tallvane"_s), QString(),
                               [&stopped] { stopped = true; }));
        QVERIFY(stopped);
        QVERIFY(!program.window());
        QVERIFY2(prompter.lastMessage().contains(u"could not be created"_s),
                 qPrintable(prompter.lastMessage()));
        QCOMPARE(prompter.shown().last().icon, Prompter::Icon::Critical);
    }

    // A file that cannot become the open meet leaves none open, and says why
    // in one box: a text file, an empty one, a meet file without its meet row,
    // one that another Tallvane holds.
    void refusedMeetLeavesNoneOpen_data() {
        addDataRows<QByteArray, QString>(
            {"content", "said"}, {{"Name=Spring Classic\r\n", u"not a Tallvane meet file"_s},
                                  {"", u"not a Tallvane meet file"_s},
                                  {"blank", {}},
                                  {"held", u"open in another Tallvane"_s}});
    }

    void refusedMeetLeavesNoneOpen() {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        Desk desk;
        QString path = desk.temp.path(u"notes.tallvane"_s);
        AppState other(desk.temp.folder()); // the Tallvane that holds the meet
        if (content == "blank")
            path = desk.temp.createMeetFile();
        else if (content == "held")
            path = desk.temp.createSampleMeet();
        else
            TransferFiles::write(path, content);
        QVERIFY(content != "held" || other.openMeetFile(path));
        desk.open(path);
        QCOMPARE(desk.prompter.messages().size(), 1);
        QVERIFY2(desk.prompter.lastMessage().contains(said),
                 qPrintable(desk.prompter.lastMessage()));
        QVERIFY(desk.noMeetOpen());
    }

    void meetWithoutSessionsClosesTheProgramCleanly() {
        Desk desk;
        const QString path = desk.temp.createSampleMeet();
        TempMeet::change(path, u"DELETE FROM Sessions"_s);
        desk.open(path);
        QCOMPARE(desk.prompter.messages(),
                 QStringList{u"No Sessions exist!  Meet must have at least one session.  "
                             "Closing Application."_s});
        // Closed without an exit question.
        QVERIFY(!desk.state.isMeetOpen());
        QVERIFY(!desk.window->isVisible());
        QVERIFY(desk.prompter.questions().isEmpty());
    }

    // A long session description or meet name is cut short, whole in its
    // tooltip: the server window still fits the client area of a 1366x768
    // screen, with every control of its top row.
    void longTextsAreElidedAndTheWindowFits() {
        Desk desk;
        desk.window->resize(MainWindow::DefaultClientSize);
        const QString meet = desk.temp.createSampleMeet();
        const QString words = u"Level 4 and Level 5 Compulsory with Xcel Silver, Gold and "
                              "Platinum, March-in at 5:45, awards: "_s;
        QCOMPARE(words.size(), 94);
        TempMeet::change(meet, u"UPDATE Sessions SET \"Desc\" = '%1' || \"Session\""_s.arg(words));
        TempMeet::change(meet, u"UPDATE Meets SET Name = '%1'"_s.arg(words + words));
        desk.open(meet);
        ServerWindow* server = desk.window->serverWindow();
        QVERIFY(server);
        const QWidget* area = desk.window->findChild<QMdiArea*>()->viewport();
        QTRY_COMPARE(server->parentWidget()->geometry(), area->rect());
        QVERIFY(server->minimumSizeHint().width() <= area->width());
        QVERIFY(server->minimumSizeHint().height() <= area->height());
        for (const char* name : {"lblSession", "lblMeetName"}) {
            auto* label = childNamed<QLabel>(server, name);
            QVERIFY(label->toolTip().startsWith(words));
            QVERIFY(label->width() < label->fontMetrics().horizontalAdvance(label->text()));
        }
        for (const char* name : {"cmSetSession", "Picture1", "Command6", "txtPIN", "cmdShowPIN"}) {
            const auto* control = childNamed<QWidget>(server, name);
            const QRect place(control->mapTo(server, QPoint(0, 0)), control->size());
            QVERIFY2(server->rect().contains(place), name);
        }
        QVERIFY(childNamed<QWidget>(server, "txtPIN")->width() >= 60);
    }

    // Without a meet the window closes at once, and the next run puts it where
    // it was.
    void exitAsksOnlyWithAMeetOpen() {
        Desk idle;
        idle.window->setGeometry(30, 40, 700, 480);
        idle.window->close();
        QVERIFY(!idle.window->isVisible());
        QVERIFY(idle.prompter.questions().isEmpty());
        QCOMPARE(MainWindow(idle.state, idle.prompter).geometry(), QRect(30, 40, 700, 480));

        Desk desk;
        desk.open(desk.temp.createSampleMeet());
        // The question says who loses the server.
        const quint16 port = quint16(desk.window->serverWindow()->server().port());
        TestStation vault(port), bars(port), board(port);
        QVERIFY(vault.loginJudge(u"Vault"_s, u"J"_s, desk.state.pin()).startsWith(u"AUTHRESP|0"_s));
        QVERIFY(bars.loginJudge(u"Bars"_s, u"J"_s, desk.state.pin()).startsWith(u"AUTHRESP|0"_s));
        QVERIFY(board.loginDisplay(u"Board"_s, desk.state.pin()).startsWith(u"AUTHRESP|0"_s));
        desk.prompter.answerNo();
        desk.trigger("mnuExit");
        QCOMPARE(desk.prompter.questions(),
                 QStringList{u"Are you sure you wish to exit Tallvane?"_s});
        QVERIFY(desk.prompter.shown().last().defaultNo);
        QCOMPARE(desk.prompter.shown().last().detail,
                 u"Connected now: 2 judge stations and 1 scoreboard."_s);
        QVERIFY(desk.window->isVisible());
        QVERIFY(desk.state.meetDb().isOpen());
        desk.prompter.answerYes();
        desk.toolButton(u"Exit"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!desk.window->isVisible(), 5000);
        QVERIFY(!desk.state.isMeetOpen());
        QCOMPARE(desk.state.numJudges(), 0);
    }

    // The About box names the licence, and no contact address yet.
    void aboutNamesTheLicence() {
        Desk desk;
        auto* about = desk.dialog<AboutDialog>("mnuAbout");
        QVERIFY(about);
        auto* licence = about->findChild<QLabel*>(u"lblLicense"_s);
        QVERIFY(licence);
        QVERIFY(licence->text().contains(u"GPL-3.0-or-later"_s));
        for (const QLabel* label : about->findChildren<QLabel*>())
            QVERIFY2(!label->text().contains(u'@'), qPrintable(label->text()));
    }

    // The manual's Settings page names every value the dialog holds.
    void manualNamesEverySetting() {
        QFile page(QStringLiteral(TALLVANE_SOURCE_DIR "/docs/settings.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(page.readAll());
        Desk desk;
        auto* dialog = desk.dialog<SettingsDialog>("mnuSettings");
        QVERIFY(dialog);
        const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
        QVERIFY(labels.size() >= 3);
        for (const QLabel* label : labels)
            QVERIFY2(manual.contains(u"<b>"_s + label->text() + u"</b>"_s),
                     qPrintable(label->text()));
    }

    // Each case: the port and PIN typed, and what the operator is told ("" when
    // saved, "cancel" when the dialog is cancelled instead).
    void settingsAcceptOrRefuse_data() {
        const QString portLine = u"Port number must be a value between 0 and 30000.\r\n"_s;
        const QString pinLine = u"PIN must a 4-digit numeric value.\r\n"_s;
        addDataRows<QString, QString, QString>(
            {"port", "pin", "message"}, {{u"30000"_s, u"1234"_s, {}},
                                         {u"1"_s, u"1234"_s, {}},
                                         {u"10120"_s, u"12.5"_s, {}}, // numeric, with a point
                                         {u"30001"_s, u"1234"_s, portLine},
                                         {u"0"_s, u"1234"_s, portLine},
                                         {{}, u"1234"_s, portLine},
                                         {u"99999999999"_s, u"1234"_s, portLine},
                                         {u"10120"_s, u"123"_s, pinLine},
                                         {u"10120"_s, u"12345"_s, pinLine},
                                         {u"10120"_s, u"abcd"_s, pinLine},
                                         {u"0"_s, u"12"_s, portLine + pinLine},
                                         {u"2000"_s, u"1234"_s, u"cancel"_s}});
    }

    void settingsAcceptOrRefuse() {
        QFETCH(QString, port);
        QFETCH(QString, pin);
        QFETCH(QString, message);
        Desk desk(Desk::Port::FromSettings);
        auto* dialog = desk.dialog<SettingsDialog>("mnuSettings");
        QVERIFY(dialog);
        QCOMPARE(lineEdit(dialog, "txtPort")->text() + lineEdit(dialog, "txtPIN")->text(),
                 u"101203917"_s);
        lineEdit(dialog, "txtPort")->setText(port);
        lineEdit(dialog, "txtPIN")->setText(pin);
        childNamed<QPushButton>(dialog, message == u"cancel"_s ? "CancelButton" : "OKButton")
            ->click();
        // A refused value keeps the dialog open, with what was typed.
        const bool refused = !message.isEmpty() && message != u"cancel"_s;
        QCOMPARE(dialog->isVisible(), refused);
        if (refused) {
            QCOMPARE(lineEdit(dialog, "txtPort")->text(), port);
            QCOMPARE(desk.prompter.messages(), QStringList{message});
            QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
        }
        const bool saved = message.isEmpty();
        const QString kept = saved ? port : u"10120"_s;
        const QString keptPin = saved ? pin : u"3917"_s;
        QCOMPARE(TransferFiles::read(desk.state.portFilePath()), kept.toLatin1() + "\r\n");
        QCOMPARE(TransferFiles::read(desk.state.pinFilePath()), keptPin.toLatin1() + "\r\n");
        QCOMPARE(desk.state.portNumber() + u'/' + desk.state.pin(), kept + u'/' + keptPin);
    }

    // A new data folder gets an operator PIN of its own; the dialog shows it
    // and takes a new one of six or more digits only.
    void operatorPinInTheSettings_data() {
        addDataRows<QString, bool>(
            {"typed", "saved"},
            {{u"24681357"_s, true}, {u"12345"_s, false}, {u"12345a"_s, false}, {QString(), false}});
    }

    void operatorPinInTheSettings() {
        QFETCH(QString, typed);
        QFETCH(bool, saved);
        Desk desk(Desk::Port::FromSettings);
        const QString made = desk.state.operatorPin();
        QVERIFY(SettingsCheck::isValidOperatorPin(made));
        QCOMPARE(TransferFiles::read(desk.state.operatorPinFilePath()), made.toLatin1() + "\r\n");
        auto* dialog = desk.dialog<SettingsDialog>("mnuSettings");
        QVERIFY(dialog);
        QCOMPARE(lineEdit(dialog, "txtOperatorPIN")->text(), made);
        lineEdit(dialog, "txtOperatorPIN")->setText(typed);
        childNamed<QPushButton>(dialog, "OKButton")->click();
        const QString kept = saved ? typed : made;
        QCOMPARE(desk.state.operatorPin(), kept);
        QCOMPARE(TransferFiles::read(desk.state.operatorPinFilePath()), kept.toLatin1() + "\r\n");
        if (!saved)
            QCOMPARE(desk.prompter.messages(),
                     QStringList{QString::fromLatin1(SettingsCheck::OperatorPinMessage)});
    }
};

QTEST_MAIN(TestShellMainWindow)
#include "tst_shell_mainwindow.moc"
