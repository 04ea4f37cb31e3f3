// Writes a manual page from pages of the user manual:
//
//   tallvane-manpage NAME SECTION VERSION OUTPUT PAGE.html...

#include "manpagewriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() < 5) {
        std::fputs("usage: tallvane-manpage NAME SECTION VERSION OUTPUT PAGE.html...\n", stderr);
        return 2;
    }
    ManPageWriter writer(arguments[0], arguments[1].toInt(), arguments[2]);
    for (const QString& path : arguments.mid(4)) {
        QFile page(path);
        if (!page.open(QIODevice::ReadOnly) || !writer.addPage(page, path)) {
            std::fprintf(stderr, "tallvane-manpage: %s: %s\n", qPrintable(path),
                         qPrintable(page.isOpen() ? writer.errorString() : page.errorString()));
            return 1;
        }
    }
    QSaveFile output(arguments[3]);
    if (!output.open(QIODevice::WriteOnly) || output.write(writer.text()) < 0 || !output.commit()) {
        std::fprintf(stderr, "tallvane-manpage: %s: %s\n", qPrintable(arguments[3]),
                     qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
