#include "commands.h"

#include "mainwindow.h"
#include "messageboxprompter.h"
#include "shell/appstate.h"
#include "shell/datafolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

void printError(const QString& text) {
    const QByteArray bytes = (u"tallvane: "_s + text + u"\n"_s).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

} // namespace

int runDesktop(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Tallvane"_s);
    QApplication::setApplicationVersion(QString::fromLatin1(TALLVANE_VERSION));
    // The installed menu entry and icon: desktops match the windows to them.
    QGuiApplication::setDesktopFileName(u"tallvane"_s);
    QApplication::setWindowIcon(QIcon::fromTheme(u"tallvane"_s));

    // Qt has taken its own options out of the arguments by now.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() > 1) {
        printError(u"only one meet file can be opened (see tallvane --help)"_s);
        return 2;
    }

    const QString dataFolder = DataFolder::location();
    QString error;
    if (!DataFolder::ensure(dataFolder, &error)) {
        printError(error);
        return 1;
    }

    AppState state(dataFolder);
    state.loadSettings();
    MessageBoxPrompter prompter;
    MainWindow window(state, prompter);
    prompter.setFallbackParent(&window);
    window.show();

    if (!arguments.isEmpty()) {
        const QString file = QFileInfo(arguments.first()).absoluteFilePath();
        // Once the window is on screen, so that a refusal or the import shows over it.
        QTimer::singleShot(0, &window, [&window, file] { window.openFile(file); });
    }
    return app.exec();
}
