#include "operatordesk.h"

#include "childnamed.h"

#include <QAction>

using namespace Qt::Literals::StringLiterals;

void OperatorDesk::loadSettings(Port port) {
    state.loadSettings();
    // Tests run side by side, so each server takes whatever ports are free:
    // the stations' and the web pages'.
    if (port == Port::AnyFree) {
        state.setPortNumber(u"0"_s);
        state.setWebPortNumber(u"0"_s);
    }
}

MainWindowDesk::MainWindowDesk(Port port) {
    loadSettings(port);
    window = std::make_unique<MainWindow>(state, prompter);
    window->show();
}

void MainWindowDesk::trigger(const char* name) const {
    childNamed<QAction>(window.get(), name)->trigger();
}

void MainWindowDesk::open(const QString& path) {
    prompter.chooseFile(path);
    trigger("mnuOpen");
}
