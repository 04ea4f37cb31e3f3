#include "commands.h"
#include "filecommandarguments.h"
#include "usagetexts.h"

#include "transfer/transferexport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString& message, int status = 1) {
    return failFileCommand("export", message, status);
}

} // namespace

// tallvane export MEETFILE TRANSFERFILE [--force]
int runExportCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const FileCommandArguments arguments = FileCommandArguments::parse(app.arguments());
    if (const std::optional<int> status =
            arguments.settled("export", UsageTexts::usageOf("export"), 2, 2))
        return *status;
    const QStringList& positional = arguments.paths;

    const QString& meetPath = positional[0];
    const QString& transferPath = positional[1];
    if (const QString refusal = TransferExport::targetRefusal(transferPath); !refusal.isEmpty())
        return fail(refusal);
    if (QFileInfo::exists(transferPath) && !arguments.force)
        return fail(u"%1 already exists; use --force to overwrite it"_s.arg(transferPath));

    const TransferExport::Result result = TransferExport::exportMeetFile(meetPath, transferPath);
    if (!result.ok)
        return fail(result.error);
    for (const QString& field : result.lossyFields)
        std::fprintf(stderr,
                     "tallvane export: %s holds characters a transfer file cannot; "
                     "they were written as \"?\"\n",
                     qPrintable(field));
    std::printf("Exported %lld records to %s\n", static_cast<long long>(result.records),
                qPrintable(transferPath));
    return 0;
}
