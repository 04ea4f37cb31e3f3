#include "commands.h"

#include "desktopprogram.h"
#include "mainwindow.h"
#include "messageboxprompter.h"
#include "shell/datafolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// Whether there is a screen to open windows on. Without one Qt would end the
// program with its platform plug-in's abort, so this is asked first.
bool hasDisplay(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return true; // the platform chosen on the command line
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true; // offscreen, VNC, a framebuffer: they need no display server
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

void printError(const QString& text) {
    const QByteArray bytes = (u"tallvane: "_s + text + u"\n"_s).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

} // namespace

int runDesktop(int argc, char** argv) {
    if (!hasDisplay(argc, argv)) {
        printError(u"no display was found for the desktop program; "
                   "`tallvane serve MEETFILE` runs the scoring server without windows."_s);
        return 1;
    }
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
    const QString file =
        arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).absoluteFilePath();

    MessageBoxPrompter prompter;
    DesktopProgram program(prompter);
    // When it cannot run, the program ends once the operator has read why,
    // with its own status rather than the one of its last window closing.
    if (program.start(DataFolder::location(), file, [] { QCoreApplication::exit(1); }))
        prompter.setFallbackParent(program.window());
    else
        QApplication::setQuitOnLastWindowClosed(false);
    return app.exec();
}
