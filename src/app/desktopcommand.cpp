#include "commands.h"

#include <QApplication>
#include <QMainWindow>

int runDesktop(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tallvane"));
    window.show();
    return app.exec();
}
