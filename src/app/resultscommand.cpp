#include "commands.h"

#include "printcommand.h"
#include "printedresults.h"
#include "resultscsv.h"
#include "resultspdf.h"

// tallvane results MEETFILE [--session N] [--level L] [--pdf FILE] [--csv FILE]
int runResultsCommand(int argc, char** argv) {
    const PrintCommand::Command command{
        "results",
        {},
        {},
        PrintCommand::makesPdfAndCsv(ResultsPdf::render, ResultsCsv::render),
        true};
    return PrintCommand::run(argc, argv, command);
}
