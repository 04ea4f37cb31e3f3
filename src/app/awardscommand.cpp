#include "awardslist.h"
#include "commands.h"
#include "printcommand.h"

#include <QCommandLineParser>

using namespace Qt::Literals::StringLiterals;

namespace {

int placesOf(const QCommandLineParser& parser, bool* ok) {
    if (!parser.isSet(u"places"_s)) {
        *ok = true;
        return AwardsList::DefaultPlaces;
    }
    return parser.value(u"places"_s).toInt(ok);
}

} // namespace

// tallvane awards MEETFILE [--session N] [--places K] [--pdf FILE] [--csv FILE]
int runAwardsCommand(int argc, char** argv) {
    PrintCommand::Command command{"awards", {}, {}, {}};
    command.check = [](const QCommandLineParser& parser, int& status) {
        bool ok = false;
        const int places = placesOf(parser, &ok);
        if (!ok)
            return u"%1 is not a number of places."_s.arg(parser.value(u"places"_s));
        status = 1;
        return places < 1 ? u"The awards go down to place 1 at least, not %1."_s.arg(places)
                          : QString();
    };
    command.make = [](const PrintCommand::Request& request, PrintCommand::Output& output,
                      QString* error) {
        bool ok = false;
        const AwardsList awards(request.printed, placesOf(request.parser, &ok));
        return PrintCommand::addPdfAndCsv(
            request, output, [&](QString* pdfError) { return awards.pdf(pdfError); }, awards.csv(),
            error);
    };
    return PrintCommand::run(argc, argv, command);
}
