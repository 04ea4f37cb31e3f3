#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class AppState;
class MainWindow;
class Prompter;
class QProcess;
class QTcpSocket;
class QWebSocket;
class QWidget;

// The pictures of the manual beyond the main window: each dialog and window an
// operator opens (Settings, Meet Information, manual score entry, import,
// export), the two troubles of the troubleshooting page (a port in use, the
// alert after wrong PINs), the Boards tab with two boards, the command line, and a standby laptop's
// window with the primary's window showing it. Each step opens its window as the operator would,
// waits until it shows what it should, saves it and closes it again; finished() says whether every
// picture was written.
class WindowShots : public QObject {
    Q_OBJECT

public:
    WindowShots(MainWindow& window, AppState& state, Prompter& prompter, QString meetFile,
                QString transferFile, QString outputFolder);
    ~WindowShots() override;

    void start();

Q_SIGNALS:
    void finished(int status);

private:
    struct Step {
        QString name;
        std::function<void()> open;
        std::function<QWidget*()> ready; // the widget to save, once it is ready
        std::function<void()> close;
    };
    std::vector<Step> steps();
    Step dialogStep(const QString& name, const QString& objectName, std::function<void()> open);
    Step scoreEntryStep();
    Step exportStep();
    Step wrongPinsStep();
    Step boardsStep();
    Step portInUseStep();
    Step commandLineStep();
    Step standbyStep();
    Step standbyOnPrimaryStep();
    void runStep();
    void poll();
    void stop(int status);

    MainWindow& mWindow;
    AppState& mState;
    Prompter& mPrompter;
    QString mMeetFile;
    QString mTransferFile;
    QString mOutput;
    std::vector<Step> mSteps;
    size_t mStep = 0;
    QTimer mPoll;
    QElapsedTimer mWaited;
    // What single steps own while they run.
    std::unique_ptr<Prompter> mExportPrompter;
    std::unique_ptr<AppState> mSecondState;
    std::unique_ptr<Prompter> mSecondPrompter;
    std::unique_ptr<MainWindow> mSecondWindow;
    std::unique_ptr<QTcpSocket> mStation;
    std::unique_ptr<QWebSocket> mBoard;
    std::unique_ptr<QProcess> mHelp;
    std::unique_ptr<QWidget> mTerminal;
    std::unique_ptr<class StandbyWindow> mStandby;
};
