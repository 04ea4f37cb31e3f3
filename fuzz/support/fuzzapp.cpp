#include "fuzzapp.h"

#include <QCoreApplication>
#include <QDir>

void ensureFuzzApplication() {
    static int argc = 1;
    static char name[] = "tallvane-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

void useMemoryTempFolders() {
    if (QDir(QStringLiteral("/dev/shm")).exists())
        qputenv("TMPDIR", "/dev/shm");
}
