#include "commands.h"
#include "db/meetevents.h"
#include "judgesheets.h"
#include "printcommand.h"

#include <QCommandLineParser>

using namespace Qt::Literals::StringLiterals;

namespace {

// The events named by --event (any case), or all four.
QStringList eventsOf(const QCommandLineParser& parser) {
    if (!parser.isSet(u"event"_s))
        return MeetEvents::names();
    for (const QString& name : MeetEvents::names()) {
        if (name.compare(parser.value(u"event"_s).trimmed(), Qt::CaseInsensitive) == 0)
            return {name};
    }
    return {};
}

} // namespace

// tallvane judgesheets MEETFILE --session N [--event E] --pdf FILE
int runJudgeSheetsCommand(int argc, char** argv) {
    PrintCommand::Command command{"judgesheets", {u"session"_s, u"pdf"_s}, {}, {}};
    command.check = [](const QCommandLineParser& parser, int& status) {
        status = 1;
        return eventsOf(parser).isEmpty()
                   ? u"%1 is not an event: Vault, Bars, Beam or Floor."_s.arg(
                         parser.value(u"event"_s))
                   : QString();
    };
    command.make = [](const PrintCommand::Request& request, PrintCommand::Output& output,
                      QString* error) {
        const std::optional<int> judges = JudgeSheets::panelSize(request.db, error);
        if (!judges)
            return false;
        const QByteArray pdf =
            JudgeSheets::pdf(request.printed, eventsOf(request.parser), *judges, error);
        if (pdf.isEmpty())
            return false;
        output.files.append({*request.file(u"pdf"_s), pdf});
        return true;
    };
    return PrintCommand::run(argc, argv, command);
}
