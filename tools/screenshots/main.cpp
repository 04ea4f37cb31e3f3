// Renders the main window, each tab of the server window and every other window
// of the manual on a meet imported from a transfer file, under the offscreen
// platform, into PNG files.
//
//   tallvane-screenshots TRANSFERFILE OUTPUTFOLDER

#include "db/meetdatabase.h"
#include "judging/meetservices.h"
#include "judging/scoreinquiries.h"
#include "mainwindow.h"
#include "messageboxprompter.h"
#include "serverwindow.h"
#include "shell/appstate.h"
#include "windowshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "tallvane-screenshots: %s\n", qPrintable(text));
    return 1;
}

bool save(QWidget* widget, const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name + u".png"_s);
    if (!widget->grab().save(path))
        return false;
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The offscreen platform with one 1366×768 screen, the smallest the program is
// laid out for, so the windows open at the size an operator first sees.
bool useOffscreenScreen(const QString& configPath) {
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1366,
                      "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(configPath));
    return true;
}

// The import runs before any window exists, so waiting for it holds up nothing.
bool importMeet(const QString& transferFile, const QString& meet) {
    QProcess import;
    import.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    import.start(QString::fromLatin1(TALLVANE_BIN), {u"import"_s, transferFile, meet});
    return import.waitForFinished(120000) && import.exitStatus() == QProcess::NormalExit &&
           import.exitCode() == 0;
}

// Something to look at: the first gymnasts' scores on every event, as a
// two-judge panel would send them, two test scores, one a correction, a held
// score and two inquiries.
void enterSampleScores(MeetServices& services, MeetDatabase& db) {
    const QStringList events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};
    for (int gymnast = 0; gymnast < 6; ++gymnast) {
        for (int e = 0; e < events.size(); ++e) {
            const double judge1 = 8.6 + 0.1 * ((gymnast * 3 + e * 5) % 12);
            const double judge2 = judge1 + 0.1 * ((gymnast + e) % 3) - 0.1;
            const QString panel = QString::number((judge1 + judge2) / 2, 'f', 3);
            const QString tail = events[e] == u"Vault"_s ? u"|||||||||||0"_s : u"|0"_s;
            const QString message =
                u"SENDSCORE|%1|2|1|%2|%3|%4||||||10|0|%5|%5"_s.arg(101 + gymnast)
                    .arg(events[e], QString::number(judge1, 'f', 1),
                         QString::number(judge2, 'f', 1), panel) +
                tail;
            services.enterScore(SubmittedScore::fromFields(message.split(u'|')), false);
        }
    }
    services.queue().queueScore(u"999"_s, u"Test Gymnast"_s, u"Vault"_s, u"9.350"_s, false);
    services.queue().queueScore(u"999"_s, u"Test Gymnast"_s, u"Beam"_s, u"8.885"_s, true);
    // The meet referee looks at one score held off the boards, and at two
    // inquiries: one decided, one open.
    services.queue().holdQueueRow(1);
    ScoreInquiries inquiries(db);
    const QDateTime now = QDateTime::currentDateTime();
    inquiries.file(u"102"_s, u"Bars"_s, u"Coach Rivera"_s, false, now);
    inquiries.decideScoreStands(u"102"_s, u"Bars"_s, u"the panel saw the fall"_s, now);
    inquiries.file(u"104"_s, u"Beam"_s, u"Coach Okafor"_s, false, now);
}

void clickFirst(QListWidget* list) {
    list->setCurrentRow(0);
    Q_EMIT list->itemClicked(list->item(0));
}

// The main window, then each tab of the server window with something chosen.
bool saveMainWindowAndTabs(QWidget* window, ServerWindow* server, const QString& output) {
    if (!save(window, output, u"main-window"_s))
        return false;
    auto* tabs = server->findChild<QTabWidget*>(u"SSTab1"_s);
    const QStringList names{u"server-sessions"_s, u"server-gymnasts"_s, u"server-queue"_s,
                            u"server-results"_s,  u"server-history"_s,  u"server-ads"_s};
    for (int i = 0; i < tabs->count() && i < names.size(); ++i) {
        tabs->setCurrentIndex(i);
        if (i == 0)
            clickFirst(server->findChild<QListWidget*>(u"lstSessions"_s));
        else if (i == 1)
            clickFirst(server->findChild<QListWidget*>(u"lstGymnasts"_s));
        else if (i == 3)
            server->findChild<QAbstractButton*>(u"cmdShowResults"_s)->click();
        if (!save(server, output, names[i]))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir data;
    if (!data.isValid() || !useOffscreenScreen(data.filePath(u"screen.json"_s)))
        return fail(u"no temporary folder"_s);
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() != 2)
        return fail(u"usage: tallvane-screenshots TRANSFERFILE OUTPUTFOLDER"_s);
    const QString output = arguments[1];
    if (!QDir().mkpath(output))
        return fail(u"cannot create "_s + output);

    qputenv("TALLVANE_DATA_DIR", QFile::encodeName(data.path()));
    const QString meet = data.filePath(u"demo.tallvane"_s);
    if (!importMeet(arguments[0], meet))
        return fail(u"importing "_s + arguments[0] + u" failed"_s);

    AppState state(data.path());
    state.loadSettings();
    state.setPortNumber(u"0"_s);
    MessageBoxPrompter prompter;
    MainWindow window(state, prompter);
    window.show();
    if (!window.openMeetFile(meet))
        return fail(u"the demo meet could not be opened"_s);
    ServerWindow* server = window.serverWindow();
    enterSampleScores(server->services(), state.meetDb());

    WindowShots shots(window, state, prompter, meet, arguments[0], output);
    QObject::connect(&shots, &WindowShots::finished, &app, &QCoreApplication::exit);
    QTimer::singleShot(300, &app, [&] {
        if (saveMainWindowAndTabs(&window, server, output))
            shots.start(); // then the dialogs and windows, one by one
        else
            app.exit(fail(u"cannot write into "_s + output));
    });
    return app.exec();
}
