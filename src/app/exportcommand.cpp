#include "commands.h"

#include <cstdio>

int runExportCommand(int, char**) {
    std::fputs("tallvane: the export command is not available in this build\n", stderr);
    return 2;
}
