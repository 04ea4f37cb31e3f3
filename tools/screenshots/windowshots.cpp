#include "windowshots.h"

#include "mainwindow.h"
#include "messageboxprompter.h"
#include "server/scoringserver.h"
#include "serverwindow.h"
#include "settingsdialog.h"
#include "shell/appstate.h"
#include "standbywindow.h"
#include "transfer/exportwindow.h"
#include "transfer/importwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTcpSocket>
#include <QWebSocket>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int StepTimeoutMs = 30000;

// Answers the export's file question with a fixed file, as an operator would.
class SaveAsPrompter : public MessageBoxPrompter {
public:
    explicit SaveAsPrompter(QString path)
        : mPath(std::move(path)) {}
    void chooseSaveFile(const QString&, const QString&, const QString&,
                        std::function<void(const QString& path)> chosen) override {
        chosen(mPath);
    }

private:
    QString mPath;
};

QMessageBox* visibleBox(const QString& containing) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible() && box->text().contains(containing))
            return box;
    }
    return nullptr;
}

template <typename T>
T* visibleChild(const QObject* parent, const QString& name) {
    T* child = parent->findChild<T*>(name);
    return child && child->isVisible() ? child : nullptr;
}

// A dark terminal window just large enough for `text`.
std::unique_ptr<QWidget> terminalShowing(const QString& text) {
    auto terminal = std::make_unique<QPlainTextEdit>(text);
    terminal->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    terminal->setStyleSheet(u"background: #1e1e1e; color: #e0e0e0;"_s);
    terminal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    terminal->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(terminal->font());
    int width = 0;
    for (const QString& line : text.split(u'\n'))
        width = std::max(width, metrics.horizontalAdvance(line));
    terminal->resize(width + 40, metrics.lineSpacing() * int(text.count(u'\n') + 2) + 20);
    terminal->show();
    return terminal;
}

} // namespace

WindowShots::WindowShots(MainWindow& window, AppState& state, Prompter& prompter, QString meetFile,
                         QString transferFile, QString outputFolder)
    : mWindow(window)
    , mState(state)
    , mPrompter(prompter)
    , mMeetFile(std::move(meetFile))
    , mTransferFile(std::move(transferFile))
    , mOutput(std::move(outputFolder)) {
    mPoll.setInterval(100);
    connect(&mPoll, &QTimer::timeout, this, &WindowShots::poll);
}

WindowShots::~WindowShots() = default;

void WindowShots::start() {
    mSteps = steps();
    mStep = 0;
    runStep();
}

void WindowShots::runStep() {
    if (mStep == mSteps.size()) {
        stop(0);
        return;
    }
    mSteps[mStep].open();
    mWaited.start();
    mPoll.start();
}

void WindowShots::poll() {
    const Step& step = mSteps[mStep];
    QWidget* widget = step.ready();
    if (!widget) {
        if (mWaited.elapsed() > StepTimeoutMs) {
            std::fprintf(stderr, "tallvane-screenshots: %s did not show\n", qPrintable(step.name));
            stop(1);
        }
        return;
    }
    mPoll.stop();
    const QString path = QDir(mOutput).filePath(step.name + u".png"_s);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "tallvane-screenshots: cannot write %s\n", qPrintable(path));
        stop(1);
        return;
    }
    std::printf("%s\n", qPrintable(path));
    step.close();
    ++mStep;
    runStep();
}

void WindowShots::stop(int status) {
    mPoll.stop();
    Q_EMIT finished(status);
}

std::vector<WindowShots::Step> WindowShots::steps() {
    return {dialogStep(u"settings"_s, u"frmSettings"_s,
                       [this] {
                           auto* dialog = new SettingsDialog(mState, mPrompter, &mWindow);
                           dialog->setAttribute(Qt::WA_DeleteOnClose);
                           dialog->show();
                       }),
            dialogStep(u"meet-info"_s, u"frmMeetInfo"_s, [this] { mWindow.showMeetInfo(); }),
            scoreEntryStep(),
            dialogStep(u"import"_s, u"frmImport"_s,
                       [this] {
                           auto* window = new ImportWindow(mState, mPrompter, &mWindow);
                           window->begin(mTransferFile);
                       }),
            exportStep(),
            // Before the wrong PINs hold this machine's address off.
            boardsStep(), wrongPinsStep(), portInUseStep(), commandLineStep(), standbyStep(),
            standbyOnPrimaryStep()};
}

// A dialog of the main window, saved once it shows and closed as the operator would.
WindowShots::Step WindowShots::dialogStep(const QString& name, const QString& objectName,
                                          std::function<void()> open) {
    return {name, std::move(open),
            [this, objectName] { return visibleChild<QDialog>(&mWindow, objectName); },
            [this, objectName] {
                mWindow.findChild<QDialog*>(objectName)->close();
            }};
}

// The first gymnast's vault, with the scores stored for it.
WindowShots::Step WindowShots::scoreEntryStep() {
    ServerWindow* server = mWindow.serverWindow();
    return {u"score-entry"_s,
            [server] {
                server->findChild<QTabWidget*>(u"SSTab1"_s)->setCurrentIndex(1);
                auto* list = server->findChild<QListWidget*>(u"lstGymnasts"_s);
                list->setCurrentRow(0);
                Q_EMIT list->itemClicked(list->item(0));
                server->findChild<QAbstractButton*>(u"scoreVault"_s)->click();
            },
            [server]() -> QWidget* {
                auto* entry = server->findChild<QDialog*>(u"frmScoreEntry"_s);
                return entry && visibleChild<QWidget>(entry, u"fraEntry"_s) ? entry : nullptr;
            },
            [server] {
                server->findChild<QDialog*>(u"frmScoreEntry"_s)->reject();
            }};
}

// The export's window at its end, when it says it is complete.
WindowShots::Step WindowShots::exportStep() {
    const QString complete = QString::fromLatin1(ExportWindow::CompleteMessage);
    return {u"export"_s,
            [this] {
                mExportPrompter = std::make_unique<SaveAsPrompter>(
                    QDir(mState.dataFolder()).filePath(u"export.rxt"_s));
                (new ExportWindow(mState, *mExportPrompter, &mWindow))->begin();
            },
            [this, complete]() -> QWidget* {
                return visibleBox(complete) ? visibleChild<QDialog>(&mWindow, u"frmExport"_s)
                                            : nullptr;
            },
            [this, complete] {
                visibleBox(complete)->accept();
                mWindow.findChild<QDialog*>(u"frmExport"_s)->close();
            }};
}

// A station trying PINs: five wrong ones and its address is held off.
WindowShots::Step WindowShots::wrongPinsStep() {
    ServerWindow* server = mWindow.serverWindow();
    return {u"troubleshooting-pin"_s,
            [this, server] {
                mStation = std::make_unique<QTcpSocket>();
                connect(mStation.get(), &QTcpSocket::connected, this, [this] {
                    for (int attempt = 0; attempt < 5; ++attempt)
                        mStation->write("JUDGEAUTH|Vault|Judge 1|0000|1|1\n");
                });
                mStation->connectToHost(u"127.0.0.1"_s, quint16(server->server().port()));
            },
            [server]() -> QWidget* {
                const auto* alerts = server->findChild<QListView*>(u"lstOperatorAlerts"_s);
                const QAbstractItemModel* lines = alerts ? alerts->model() : nullptr;
                const int count = lines ? lines->rowCount() : 0;
                const bool heldOff =
                    count > 0 &&
                    lines->index(count - 1, 0).data().toString().contains(u"wrong PINs"_s);
                return heldOff ? server : nullptr;
            },
            [this] {
                mStation.reset();
            }};
}

// The Boards tab with a browser board that shows four events and a TCP
// display beside it, and the codes for the board named "Door".
WindowShots::Step WindowShots::boardsStep() {
    ServerWindow* server = mWindow.serverWindow();
    return {u"server-boards"_s,
            [this, server] {
                auto* tabs = server->findChild<QTabWidget*>(u"SSTab1"_s);
                tabs->setCurrentWidget(server->findChild<QWidget*>(u"boardsTab"_s));
                server->findChild<QLineEdit*>(u"txtBoardName"_s)->setText(u"Door"_s);
                const QString pin = mState.pin();
                mBoard = std::make_unique<QWebSocket>();
                connect(mBoard.get(), &QWebSocket::connected, this, [this, pin] {
                    mBoard->sendTextMessage(u"DISPLAYAUTH|Door|%1|all"_s.arg(pin));
                    mBoard->sendTextMessage(u"BOARDLAYOUT|four|all||"_s);
                });
                QUrl pages(server->findChild<QLabel*>(u"lblWebAddress"_s)->text());
                pages.setScheme(u"ws"_s);
                pages.setPath(u"/station"_s);
                mBoard->open(pages);
                mStation = std::make_unique<QTcpSocket>();
                connect(mStation.get(), &QTcpSocket::connected, this, [this, pin] {
                    mStation->write(u"DISPLAYAUTH|Lobby|%1|all\n"_s.arg(pin).toUtf8());
                });
                mStation->connectToHost(u"127.0.0.1"_s, quint16(server->server().port()));
            },
            [server]() -> QWidget* {
                const auto* boards = server->findChild<QTableView*>(u"lstBoards"_s);
                const QAbstractItemModel* rows = boards->model();
                const bool both = rows->rowCount() == 2 &&
                                  rows->index(0, 7).data().toString() == u"Four events"_s;
                return both ? server : nullptr;
            },
            [this] {
                mBoard.reset();
                mStation.reset();
            }};
}

// A second Tallvane on the port the first one holds.
WindowShots::Step WindowShots::portInUseStep() {
    ServerWindow* server = mWindow.serverWindow();
    return {u"troubleshooting-port"_s,
            [this, server] {
                const QString copy = QDir(mState.dataFolder()).filePath(u"second.tallvane"_s);
                QFile::copy(mMeetFile, copy);
                mSecondState = std::make_unique<AppState>(mState.dataFolder());
                mSecondState->loadSettings();
                mSecondState->setPortNumber(QString::number(server->server().port()));
                mSecondPrompter = std::make_unique<MessageBoxPrompter>();
                mSecondWindow = std::make_unique<MainWindow>(*mSecondState, *mSecondPrompter);
                mSecondWindow->openMeetFile(copy);
            },
            [] { return visibleBox(u"Error staring server"_s); },
            [this] {
                visibleBox(u"Error staring server"_s)->accept();
                mSecondWindow.reset();
                mSecondPrompter.reset();
                mSecondState.reset();
            }};
}

// The command line's own description of itself, as a terminal shows it.
WindowShots::Step WindowShots::commandLineStep() {
    return {u"command-line"_s,
            [this] {
                mHelp = std::make_unique<QProcess>();
                mHelp->start(QString::fromLatin1(TALLVANE_BIN), {u"--help"_s});
            },
            [this]() -> QWidget* {
                if (mHelp->state() != QProcess::NotRunning)
                    return nullptr;
                mTerminal = terminalShowing(u"$ tallvane --help\n"_s +
                                            QString::fromLocal8Bit(mHelp->readAllStandardOutput()) +
                                            u"$ "_s);
                return mTerminal.get();
            },
            [this] {
                mTerminal.reset();
                mHelp.reset();
            }};
}

// A standby following the open meet, on free ports of its own (a second
// laptop would use the primary's), once it is in step.
WindowShots::Step WindowShots::standbyStep() {
    ServerWindow* server = mWindow.serverWindow();
    return {u"standby-window"_s,
            [this, server] {
                FollowRequest request;
                request.meetFile = QDir(mState.dataFolder()).filePath(u"standby.tallvane"_s);
                QFile::remove(request.meetFile);
                request.primary = QUrl(server->findChild<QLabel*>(u"lblWebAddress"_s)->text());
                request.operatorPin = mState.operatorPin();
                request.stationPort = 0;
                request.webPort = 0;
                request.takeOverAfterSeconds = 10;
                mStandby = std::make_unique<StandbyWindow>(request, mPrompter);
                mStandby->setWindowTitle(u"Tallvane - Standby of "_s + request.primary.toString());
                mStandby->resize(900, 360);
                mStandby->show();
                mStandby->start();
            },
            [this]() -> QWidget* {
                const auto* status = mStandby->findChild<QLabel*>(u"lblStatus"_s);
                const auto* primary = mStandby->findChild<QLabel*>(u"lblPrimary"_s);
                return status->text().startsWith(u"In step with"_s) &&
                               primary->text().contains(u"in step"_s)
                           ? mStandby.get()
                           : nullptr;
            },
            [] {
            }};
}

// The primary's window with its standby in step; the standby goes after it.
WindowShots::Step WindowShots::standbyOnPrimaryStep() {
    ServerWindow* server = mWindow.serverWindow();
    return {u"standby-primary"_s, [] {},
            [this, server]() -> QWidget* {
                const auto* line = server->findChild<QLabel*>(u"lblStandby"_s);
                return line->text().contains(u", in step,"_s) ? &mWindow : nullptr;
            },
            [this] {
                mStandby.reset();
                QFile::remove(QDir(mState.dataFolder()).filePath(u"standby.tallvane"_s));
            }};
}
