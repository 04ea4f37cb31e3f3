#include "commands.h"
#include "filecommandarguments.h"
#include "usagetexts.h"

#include "shell/datafolder.h"
#include "transfer/transferfileinfo.h"
#include "transfer/transferimporter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString& message, int status = 1) {
    return failFileCommand("import", message, status);
}

} // namespace

// tallvane import TRANSFERFILE [MEETFILE] [--force]
int runImportCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const FileCommandArguments arguments = FileCommandArguments::parse(app.arguments());
    if (const std::optional<int> status =
            arguments.settled("import", UsageTexts::usageOf("import"), 1, 2))
        return *status;
    const QStringList& positional = arguments.paths;

    const QString transferPath = positional[0];
    if (!QFileInfo(transferPath).isFile())
        return fail(u"the transfer file %1 does not exist"_s.arg(transferPath));
    if (TransferFileInfo::readTransferVersion(transferPath) < TransferFileInfo::MinimumVersion)
        return fail(QString::fromLatin1(TransferFileInfo::VersionMessage));

    QString meetPath;
    if (positional.size() == 2) {
        meetPath = positional[1];
    } else {
        const QString name =
            TransferFileInfo::meetFileNameFor(TransferFileInfo::readTransferMeetName(transferPath));
        if (name.isEmpty())
            return fail(u"the transfer file names no meet; give the meet file to create"_s);
        const QString folder = DataFolder::location();
        QString error;
        if (!DataFolder::ensure(folder, &error))
            return fail(error);
        meetPath = folder + u'/' + name + u".tallvane"_s;
    }
    if (QFileInfo::exists(meetPath)) {
        if (!arguments.force)
            return fail(u"%1 already exists; use --force to overwrite it"_s.arg(meetPath));
        QString error;
        if (!TransferImporter::removeMeetFile(meetPath, &error))
            return fail(error);
    }

    TransferImporter importer(transferPath, meetPath);
    if (!importer.run())
        return fail(importer.report().error);
    const ImportReport& report = importer.report();
    std::printf("Imported %lld records into %s\n", static_cast<long long>(report.storedRecords),
                qPrintable(meetPath));
    if (report.complete())
        return 0;
    std::fprintf(stderr, "%s\n", qPrintable(QString(report.details()).replace(u"\r\n"_s, u"\n"_s)));
    return 1;
}
