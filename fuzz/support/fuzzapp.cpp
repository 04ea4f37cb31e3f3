#include "fuzzapp.h"

#include <QCoreApplication>

void ensureFuzzApplication() {
    static int argc = 1;
    static char name[] = "tallvane-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}
