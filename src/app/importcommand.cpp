#include "commands.h"

#include <cstdio>

int runImportCommand(int, char**) {
    std::fputs("tallvane: the import command is not available in this build\n", stderr);
    return 2;
}
