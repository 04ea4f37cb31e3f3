// The desktop program as a standby and as a primary: File > "Follow Another
// Tallvane…" keeps a copy of a `tallvane serve` meet in step and says so in
// its window, a refused PIN is told and the window closes, Take Over serves
// the copy (a judge logs in with the primary's PIN), and the server window
// shows the standby that follows it and closes its meet once that standby
// has taken over, and again when it is opened later, before anyone logs in.
// Real processes, real TCP on 127.0.0.1.
#include "childnamed.h"
#include "db/tallvanesettings.h"
#include "followdialog.h"
#include "operatordesk.h"
#include "servedmeet.h"
#include "serverwindow.h"
#include "shell/operatoralerts.h"
#include "standbywindow.h"
#include "teststation.h"
#include "web/replicasource.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTest>

#include <signal.h>

using namespace Qt::Literals::StringLiterals;

using namespace ServedMeet;

namespace {

QString labelText(QWidget* parent, const char* name) {
    return childNamed<QLabel>(parent, name)->text();
}

} // namespace

class TestStandbyDesk : public QObject {
    Q_OBJECT

    static StandbyWindow* follow(MainWindowDesk& desk, const QString& web, const QString& pin) {
        auto* dialog = desk.dialog<FollowDialog>("mnuFollow");
        if (!dialog)
            return nullptr;
        childNamed<QLineEdit>(dialog, "txtPrimaryAddress")->setText(web);
        childNamed<QLineEdit>(dialog, "txtOperatorPIN")->setText(pin);
        childNamed<QPushButton>(dialog, "cmdFollow")->click();
        return desk.window->standbyWindow();
    }

private Q_SLOTS:
    void followsThenTakesOver() {
        TempMeet primaryFolder;
        QString web;
        std::unique_ptr<ChildProgram> primary = servePrimary(
            primaryFolder.createSampleMeet(u"primary.tallvane"_s), primaryFolder.folder(), &web);
        QVERIFY(primary);
        QVERIFY2(!web.isEmpty(), qPrintable(primary->everything()));
        MainWindowDesk desk;

        // A wrong operator PIN: the operator is told, and the window closes
        // without a question.
        StandbyWindow* refused = follow(desk, web, u"111111"_s);
        QVERIFY(refused);
        QTRY_VERIFY_WITH_TIMEOUT(!desk.prompter.messages().isEmpty(), DeadlineMs);
        QCOMPARE(desk.prompter.messages().constLast(),
                 web + u" refused to be followed: Wrong operator PIN"_s);
        QCOMPARE(labelText(refused, "lblStatus"), u"Not following"_s);
        refused->parentWidget()->close();
        QTRY_VERIFY_WITH_TIMEOUT(!desk.window->standbyWindow(), DeadlineMs);
        QVERIFY(desk.prompter.questions().isEmpty());

        StandbyWindow* standby = follow(desk, web, OperatorPin);
        QVERIFY(standby);
        QVERIFY(!childNamed<QAction>(desk.window.get(), "mnuOpen")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(labelText(standby, "lblStatus"), u"In step with "_s + web,
                                  DeadlineMs);
        const auto* model = qobject_cast<QStringListModel*>(
            childNamed<QListView>(standby, "lstStandbyLog")->model());
        QVERIFY(model->stringList().join(u'\n').contains(
            u"  Following %1 (Spring Classic)"_s.arg(web)));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(standby, "lblPrimary")
                                     .startsWith(u"Primary: %1, in step, last heard"_s.arg(web)),
                                 DeadlineMs);

        // The primary dies; the operator takes over.
        primary->process().kill();
        QVERIFY(primary->process().waitForFinished(DeadlineMs));
        childNamed<QPushButton>(standby, "cmdTakeOver")->click();
        QTRY_VERIFY_WITH_TIMEOUT(desk.window->serverWindow(), DeadlineMs);
        QVERIFY(!desk.window->standbyWindow());
        ServerWindow* server = desk.window->serverWindow();
        QCOMPARE(desk.state.meetFilePath(),
                 desk.temp.path(QString::fromLatin1(FollowDialog::CopyFileName)));
        QVERIFY(server->alerts().model()->stringList().join(u'\n').contains(u"Taking over from "_s +
                                                                            web));
        QCOMPARE(TallvaneSettings(desk.state.meetDb()).value(ReplicaSource::EpochSetting), u"1"_s);
        TestStation judge(server->server().port());
        QVERIFY(judge.loginJudge(u"Vault"_s, u"Judge A"_s, Pin).startsWith(u"AUTHRESP|0"_s));
    }

    void thePrimaryWindowShowsItsStandby() {
        MainWindowDesk desk;
        desk.state.setOperatorPin(OperatorPin);
        const QString meet = desk.temp.createSampleMeet(u"meet.tallvane"_s);
        desk.open(meet);
        ServerWindow* server = desk.window->serverWindow();
        QVERIFY(server);
        QCOMPARE(labelText(server, "lblStandby"), u"Standby: none"_s);
        const QString web = labelText(server, "lblWebAddress");
        QVERIFY(web.startsWith(u"http://"_s));
        // The standby follows, then takes over while this window still serves.

        TempMeet standbyFolder;
        const auto standby =
            ServedMeet::follow(standbyFolder.path(u"copy.tallvane"_s), web, standbyFolder.folder(),
                               {u"--web-port"_s, QString::number(freePort())});
        QVERIFY2(!standby->waitForLine(u"In step with"_s, DeadlineMs).isEmpty(),
                 qPrintable(standby->everything()));
        // The standby's address as the primary sees it, in step.
        QTRY_VERIFY_WITH_TIMEOUT(labelText(server, "lblStandby")
                                     .section(u", last heard"_s, 0, 0)
                                     .endsWith(u", in step"_s),
                                 DeadlineMs);
        // Told to take over while this primary still serves: the two see
        // each other, and this one gives way.
        ::kill(pid_t(standby->process().processId()), SIGUSR1);
        QVERIFY(!standby->waitListening(DeadlineMs).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!desk.state.isMeetOpen(), DeadlineMs);
        QVERIFY(!desk.window->serverWindow());
        QVERIFY(desk.prompter.messages().constLast().contains(u"took this meet over"_s));

        // Opened again on this laptop while the standby is slow to answer: a
        // judge who connects at once is not let in before the standby has said
        // that it serves the meet now (it answers within the question's time).
        const auto standbyPid = pid_t(standby->process().processId());
        ::kill(standbyPid, SIGSTOP);
        desk.open(meet);
        QVERIFY(desk.window->serverWindow());
        TestStation judge(quint16(desk.window->serverWindow()->server().port()));
        QVERIFY(judge.waitConnected());
        const QString early =
            judge.ask(u"JUDGEAUTH|Vault|Late Judge|%1|1|1"_s.arg(desk.state.pin()), 500);
        ::kill(standbyPid, SIGCONT);
        QCOMPARE(early, QString());
        QTRY_VERIFY_WITH_TIMEOUT(!desk.state.isMeetOpen(), DeadlineMs);
        QVERIFY(judge.waitDisconnected());
        QVERIFY2(!judge.pending().join(u' ').contains(u"AUTHRESP|0"_s),
                 qPrintable(judge.pending().join(u'\n')));
    }
};

QTEST_MAIN(TestStandbyDesk)
#include "tst_standby_desk.moc"
