#include "commands.h"

#include "printcommand.h"
#include "printedresults.h"
#include "resultscsv.h"
#include "resultspdf.h"

using namespace Qt::Literals::StringLiterals;

// tallvane results MEETFILE [--session N] [--level L] [--pdf FILE] [--csv FILE]
int runResultsCommand(int argc, char** argv) {
    PrintCommand::Command command{"results", {}, {}, {}, true};
    command.make = [](const PrintCommand::Request& request, PrintCommand::Output& output,
                      QString* error) {
        if (const auto pdfPath = request.file(u"pdf"_s)) {
            const QByteArray pdf = ResultsPdf::render(request.printed, error);
            if (pdf.isEmpty())
                return false;
            output.files.append({*pdfPath, pdf});
        }
        const QByteArray csv = ResultsCsv::render(request.printed);
        if (const auto csvPath = request.file(u"csv"_s))
            output.files.append({*csvPath, csv});
        output.standardOutput = csv;
        return true;
    };
    return PrintCommand::run(argc, argv, command);
}
