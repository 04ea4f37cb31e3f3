#include "childnamed.h"
#include "desktopprogram.h"
#include "meetinfodialog.h"
#include "operatordesk.h"
#include "serverwindow.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTcpServer>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Desk : MainWindowDesk {
    Desk()
        : MainWindowDesk(Port::AnyFree) {}
    QAction* action(const char* name) const { return childNamed<QAction>(window.get(), name); }
    bool enabled(const char* name) const { return action(name)->isEnabled(); }
    QAction* toolButton(const QString& caption) const {
        for (QAction* a : window->findChildren<QAction*>()) {
            if (a->text() == caption && a->objectName().startsWith(u"tbr"_s))
                return a;
        }
        qFatal("no toolbar button %s", qPrintable(caption));
    }
    // Opens a meet through the menu's file dialog.
    void open(const QString& path) {
        prompter.chooseFile(path);
        trigger("mnuOpen");
    }
    // The state after "Close Data File": no meet, no server window, the
    // no-meet menus, the plain title.
    bool noMeetOpen() {
        return !state.isMeetOpen() && !state.meetDb().isOpen() && state.numJudges() == 0 &&
               !window->serverWindow() && enabled("mnuOpen") && enabled("mnuImport") &&
               enabled("mnuSettings") && !enabled("mnuClose") && !enabled("mnuExport") &&
               window->windowTitle() == u"Tallvane"_s;
    }
};

} // namespace

class TestShellMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openThenCloseSwitchesTheCommands() {
        Desk desk;
        desk.trigger("mnuOpen"); // no file scripted: the dialog is cancelled
        QVERIFY(desk.noMeetOpen());
        QVERIFY(desk.prompter.messages().isEmpty());

        const QString path = desk.temp.createSampleMeet(u"spring.2026.tallvane"_s);
        desk.open(path);
        QCOMPARE(desk.prompter.shown().first().text, u"Select File"_s);
        QCOMPARE(desk.prompter.lastFilter, u"Tallvane Files(*.tallvane)"_s);
        QCOMPARE(desk.prompter.lastFolderOrProposal, desk.state.dataFolder());
        QVERIFY(desk.state.isMeetOpen());
        QCOMPARE(desk.state.numJudges(), 3);
        QCOMPARE(desk.state.meetBaseName(), u"spring"_s);
        QCOMPARE(desk.window->windowTitle(), u"Tallvane - "_s + desk.state.meetFilePath());
        QVERIFY(desk.window->serverWindow());
        QCOMPARE(desk.window->serverWindow()->objectName(), u"frmConnections"_s);
        QVERIFY(!desk.enabled("mnuOpen") && !desk.enabled("mnuImport") &&
                !desk.enabled("mnuSettings"));
        QVERIFY(desk.enabled("mnuClose") && desk.enabled("mnuExport"));

        desk.prompter.answerNo();
        desk.trigger("mnuClose");
        QCOMPARE(desk.prompter.questions(),
                 QStringList{u"Are you sure you wish to close the current Tallvane file?"_s});
        QVERIFY(desk.state.isMeetOpen());
        QVERIFY(desk.window->serverWindow());

        desk.prompter.answerYes();
        desk.trigger("mnuClose");
        QVERIFY(desk.noMeetOpen());
    }

    // The server window fills the client area, shows every control at the
    // window's first size, and never closes by itself: its close button asks
    // the Close question and does what Close does.
    void serverWindowFillsTheClientAreaAndClosingItClosesTheMeet() {
        Desk desk;
        desk.window->resize(MainWindow::DefaultClientSize);
        desk.open(desk.temp.createSampleMeet());
        ServerWindow* server = desk.window->serverWindow();
        auto* frame = qobject_cast<QMdiSubWindow*>(server->parentWidget());
        const QWidget* area = desk.window->findChild<QMdiArea*>()->viewport();
        QVERIFY(frame->isMaximized());
        QTRY_COMPARE(frame->geometry(), area->rect());
        const QSize needed = server->minimumSizeHint();
        QVERIFY2(needed.width() <= area->width() && needed.height() <= area->height(),
                 qPrintable(u"%1x%2"_s.arg(needed.width()).arg(needed.height())));

        desk.prompter.answerNo();
        frame->close();
        QTRY_COMPARE(desk.prompter.questions().size(), 1);
        QCOMPARE(desk.prompter.questions().first(), QString::fromLatin1(MainWindow::CloseQuestion));
        QCOMPARE(desk.window->serverWindow(), server);
        QVERIFY(server->server().isRunning());

        desk.prompter.answerYes();
        frame->close();
        QTRY_VERIFY(!desk.state.isMeetOpen());
        QVERIFY(!desk.window->serverWindow());
        QVERIFY(desk.enabled("mnuOpen") && !desk.enabled("mnuClose"));
    }

    void windowKeepsItsPlaceAndSizeBetweenRuns() {
        Desk desk;
        desk.window->setGeometry(30, 40, 700, 480);
        desk.window->close();
        MainWindow next(desk.state, desk.prompter);
        QCOMPARE(next.geometry(), QRect(30, 40, 700, 480));
    }

    // The fixed text in a plain box; the system's reason on a line of its own.
    void portInUseIsReportedWithTheFixedText() {
        Desk desk;
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4));
        desk.state.setPortNumber(QString::number(holder.serverPort()));
        desk.open(desk.temp.createSampleMeet());
        QVERIFY(!desk.state.isMeetOpen());
        const ScriptedPrompter::Shown& shown = desk.prompter.shown().last();
        QVERIFY2(shown.text.startsWith(u"Error staring server on "_s), qPrintable(shown.text));
        QVERIFY(!shown.text.contains(u'\n'));
        QCOMPARE(shown.icon, Prompter::Icon::None);
        QVERIFY(!shown.detail.isEmpty());
    }

    void dataFolderThatCannotBeCreatedIsShownInABox() {
        TempMeet temp;
        QFile blocker(temp.path(u"plain-file"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ScriptedPrompter prompter;
        DesktopProgram program(prompter);
        bool stopped = false;
        QVERIFY(!program.start(blocker.fileName() + u"/Tallvane"_s, QString(),
                               [&stopped] { stopped = true; }));
        QVERIFY(stopped);
        QVERIFY2(prompter.lastMessage().contains(u"could not be created"_s),
                 qPrintable(prompter.lastMessage()));
        QCOMPARE(prompter.shown().last().icon, Prompter::Icon::Critical);
        QVERIFY(!program.window());
    }

    // A file that cannot become the open meet leaves none open, and says why
    // in one box.
    void refusedMeetLeavesNoneOpen_data() {
        QTest::addColumn<QByteArray>("content"); // "blank": a meet file without its meet row
        QTest::addColumn<QString>("said");
        QTest::newRow("text file")
            << QByteArray("Name=Spring Classic\r\n") << u"not a Tallvane meet file"_s;
        QTest::newRow("empty file") << QByteArray() << u"not a Tallvane meet file"_s;
        QTest::newRow("no meet row") << QByteArray("blank") << QString();
    }
    void refusedMeetLeavesNoneOpen() {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        Desk desk;
        QString path = desk.temp.createMeetFile(u"blank.tallvane"_s);
        if (content != "blank") {
            path = desk.temp.path(u"notes.tallvane"_s);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        desk.open(path);
        QCOMPARE(desk.prompter.messages().size(), 1);
        QVERIFY2(desk.prompter.lastMessage().contains(said),
                 qPrintable(desk.prompter.lastMessage()));
        QVERIFY(desk.noMeetOpen());
    }

    void meetHeldByAnotherTallvaneIsRefused() {
        Desk desk;
        const QString path = desk.temp.createSampleMeet();
        AppState other(desk.temp.folder());
        QVERIFY(other.openMeetFile(path));
        desk.open(path);
        QVERIFY2(desk.prompter.lastMessage().contains(u"open in another Tallvane"_s),
                 qPrintable(desk.prompter.lastMessage()));
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
        QVERIFY(desk.noMeetOpen());
        QVERIFY(other.isMeetOpen());
    }

    void meetWithoutSessionsClosesTheProgramCleanly() {
        Desk desk;
        const QString path = desk.temp.createSampleMeet(u"nosessions.tallvane"_s);
        TempMeet::change(path, u"DELETE FROM Sessions"_s);
        desk.open(path);
        QCOMPARE(desk.prompter.messages(),
                 QStringList{u"No Sessions exist!  Meet must have at least one session.  "
                             "Closing Application."_s});
        QVERIFY(!desk.state.isMeetOpen());
        QVERIFY(!desk.window->isVisible()); // closed without an exit question
        QVERIFY(desk.prompter.questions().isEmpty());
    }

    void exitAsksOnlyWithAMeetOpen() {
        Desk desk;
        desk.open(desk.temp.createSampleMeet());

        desk.prompter.answerNo();
        desk.trigger("mnuExit");
        QCOMPARE(desk.prompter.questions(),
                 QStringList{u"Are you sure you wish to exit Tallvane?"_s});
        QVERIFY(desk.window->isVisible());
        QVERIFY(desk.state.isMeetOpen());
        QVERIFY(desk.state.meetDb().isOpen());
        QCOMPARE(desk.state.numJudges(), 3);

        desk.prompter.answerYes();
        desk.toolButton(u"Exit"_s)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!desk.window->isVisible(), 5000);
        QVERIFY(!desk.state.isMeetOpen());
        QCOMPARE(desk.state.numJudges(), 0);

        Desk idle;
        idle.window->close();
        QVERIFY(!idle.window->isVisible());
        QVERIFY(idle.prompter.questions().isEmpty());
    }

    void toolbarActsOnlyInItsState() {
        Desk desk;
        desk.toolButton(u"Close Meet File"_s)->trigger();
        desk.toolButton(u"      Meet Info      "_s)->trigger();
        desk.toolButton(u"Export"_s)->trigger();
        QVERIFY(desk.prompter.shown().isEmpty());
        QVERIFY(!desk.window->findChild<MeetInfoDialog*>());

        desk.prompter.chooseFile(desk.temp.createSampleMeet());
        desk.toolButton(u"Open Meet File"_s)->trigger();
        QVERIFY(desk.state.isMeetOpen());
        desk.prompter.clear();
        desk.prompter.chooseFile(desk.temp.createSampleMeet(u"other.tallvane"_s));
        desk.toolButton(u"Open Meet File"_s)->trigger();
        desk.toolButton(u"Import"_s)->trigger();
        QVERIFY(desk.prompter.shown().isEmpty());
        QCOMPARE(desk.state.meetBaseName(), u"sample"_s);

        desk.prompter.answerYes();
        desk.toolButton(u"Close Meet File"_s)->trigger();
        QVERIFY(!desk.state.isMeetOpen());
    }
};

QTEST_MAIN(TestShellMainWindow)
#include "tst_shell_mainwindow.moc"
