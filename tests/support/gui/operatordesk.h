#pragma once

#include "mainwindow.h"
#include "scriptedprompter.h"
#include "shell/appstate.h"
#include "tempmeet.h"

#include <memory>

// The program's state on a temporary data folder, with a scripted prompter
// answering the operator's questions.
struct OperatorDesk {
    enum class Port {
        FromSettings, // the port the settings file names
        AnyFree,      // port 0: an opened meet's server listens on any free port
    };

    TempMeet temp;
    AppState state{temp.folder()};
    ScriptedPrompter prompter;

    // Reads the settings of the data folder, then applies the port choice.
    void loadSettings(Port port);
};

// The desk with its settings read and the main window shown.
struct MainWindowDesk : OperatorDesk {
    explicit MainWindowDesk(Port port = Port::AnyFree);

    // Triggers the window's action (menu command or toolbar button) of that name.
    void trigger(const char* name) const;
    // Opens a meet through the menu's file dialog.
    void open(const QString& path);
    // The dialog a menu command opened, if it is shown.
    template <typename T>
    T* dialog(const char* command) {
        trigger(command);
        T* found = window->findChild<T*>();
        return found && found->isVisible() ? found : nullptr;
    }

    std::unique_ptr<MainWindow> window;
};
