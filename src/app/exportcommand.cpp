#include "commands.h"

#include "transfer/transferexport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString& message, int status = 1) {
    std::fprintf(stderr, "tallvane export: %s\n", qPrintable(message));
    return status;
}

} // namespace

// tallvane export MEETFILE TRANSFERFILE [--force]
int runExportCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList positional;
    bool force = false;
    const QStringList arguments = app.arguments().mid(2);
    for (const QString& argument : arguments) {
        if (argument == u"--force"_s)
            force = true;
        else if (argument.startsWith(u'-') && argument.size() > 1)
            return fail(u"unknown option %1"_s.arg(argument), 2);
        else
            positional.append(argument);
    }
    if (positional.size() != 2)
        return fail(u"usage: tallvane export MEETFILE TRANSFERFILE [--force]"_s, 2);

    const QString& meetPath = positional[0];
    const QString& transferPath = positional[1];
    if (QFileInfo::exists(transferPath) && !force)
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
