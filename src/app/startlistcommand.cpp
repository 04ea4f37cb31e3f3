#include "commands.h"

#include "printcommand.h"
#include "startlist.h"

// tallvane startlist MEETFILE [--session N] [--pdf FILE] [--csv FILE]
int runStartListCommand(int argc, char** argv) {
    const PrintCommand::Command command{
        "startlist", {}, {}, PrintCommand::makesPdfAndCsv(StartList::pdf, StartList::csv)};
    return PrintCommand::run(argc, argv, command);
}
