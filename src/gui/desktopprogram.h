#pragma once

#include <QString>

#include <functional>
#include <memory>

class AppState;
class MainWindow;
class Prompter;

// The desktop program from its start to the operator's window: the data
// folder and its settings files, the main window, and the file named on the
// command line (a meet file, or a transfer file to import), opened once the
// window is on screen.
class DesktopProgram {
public:
    explicit DesktopProgram(Prompter& prompter);
    ~DesktopProgram();

    // False when the program cannot run (the data folder cannot be created):
    // the operator is told, and `cannotRun` runs once the message is closed.
    bool start(const QString& dataFolder, const QString& file, std::function<void()> cannotRun);

    MainWindow* window() const { return mWindow.get(); }
    AppState* state() const { return mState.get(); }

private:
    Prompter& mPrompter;
    std::unique_ptr<AppState> mState;
    std::unique_ptr<MainWindow> mWindow;
};
