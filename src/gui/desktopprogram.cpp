#include "desktopprogram.h"

#include "mainwindow.h"
#include "shell/appstate.h"
#include "shell/datafolder.h"
#include "shell/prompter.h"

#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

DesktopProgram::DesktopProgram(Prompter& prompter)
    : mPrompter(prompter) {}

// The window goes before the state it works on.
DesktopProgram::~DesktopProgram() {
    mWindow.reset();
}

bool DesktopProgram::start(const QString& dataFolder, const QString& file,
                           std::function<void()> cannotRun) {
    QString error;
    if (!DataFolder::ensure(dataFolder, &error)) {
        // Said on the terminal too, for whoever started the program from one.
        std::fprintf(stderr, "tallvane: %s\n", qPrintable(error));
        mPrompter.showMessage(error, Prompter::Icon::Critical, std::move(cannotRun));
        return false;
    }
    mState = std::make_unique<AppState>(dataFolder);
    QString unwritten;
    const bool settingsWritten = mState->loadSettings(&unwritten);
    mWindow = std::make_unique<MainWindow>(*mState, mPrompter);
    mWindow->show();
    // The defaults serve this run; the operator learns they were not kept.
    if (!settingsWritten)
        mPrompter.showMessage(unwritten, Prompter::Icon::Warning);
    if (!file.isEmpty()) {
        // Once the window is on screen, so that a refusal or the import shows over it.
        MainWindow* window = mWindow.get();
        QTimer::singleShot(0, window, [window, file] { window->openFile(file); });
    }
    return true;
}
