#include "fuzzapp.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// Qt's own event dispatcher: the targets wait on sockets and timers alone, and
// it takes less per event than GLib's main loop.
int withoutGlib() {
    qputenv("QT_NO_GLIB", "1");
    return 1;
}

} // namespace

void ensureFuzzApplication() {
    static int argc = withoutGlib();
    static char name[] = "tallvane-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

void useMemoryTempFolders() {
    if (QDir(QStringLiteral("/dev/shm")).exists())
        qputenv("TMPDIR", "/dev/shm");
}
