#include "commands.h"

#include "printcommand.h"
#include "startlist.h"

using namespace Qt::Literals::StringLiterals;

// tallvane startlist MEETFILE [--session N] [--pdf FILE] [--csv FILE]
int runStartListCommand(int argc, char** argv) {
    PrintCommand::Command command{"startlist", {}, {}, {}};
    command.make = [](const PrintCommand::Request& request, PrintCommand::Output& output,
                      QString* error) {
        if (const auto pdfPath = request.file(u"pdf"_s)) {
            const QByteArray pdf = StartList::pdf(request.printed, error);
            if (pdf.isEmpty())
                return false;
            output.files.append({*pdfPath, pdf});
        }
        const QByteArray csv = StartList::csv(request.printed);
        if (const auto csvPath = request.file(u"csv"_s))
            output.files.append({*csvPath, csv});
        output.standardOutput = csv;
        return true;
    };
    return PrintCommand::run(argc, argv, command);
}
