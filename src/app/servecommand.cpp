#include "commands.h"

#include <cstdio>

int runServeCommand(int, char**) {
    std::fputs("tallvane: the serve command is not available in this build\n", stderr);
    return 2;
}
