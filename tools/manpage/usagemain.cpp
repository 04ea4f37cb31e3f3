// Writes the `--help` texts of `tallvane` from the manual's command-line page:
//
//   tallvane-usagetexts PAGE.html OUTPUT.h

#include "usagewriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() != 2) {
        std::fputs("usage: tallvane-usagetexts PAGE.html OUTPUT.h\n", stderr);
        return 2;
    }
    QFile page(arguments[0]);
    UsageWriter writer;
    if (!page.open(QIODevice::ReadOnly) || !writer.read(page)) {
        std::fprintf(stderr, "tallvane-usagetexts: %s: %s\n", qPrintable(arguments[0]),
                     qPrintable(page.isOpen() ? writer.errorString() : page.errorString()));
        return 1;
    }
    QSaveFile output(arguments[1]);
    if (!output.open(QIODevice::WriteOnly) || output.write(writer.source()) < 0 ||
        !output.commit()) {
        std::fprintf(stderr, "tallvane-usagetexts: %s: %s\n", qPrintable(arguments[1]),
                     qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
