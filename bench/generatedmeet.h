#pragma once

#include "meetgenerator.h"
#include "transfer/transferimporter.h"

#include <QFile>
#include <QString>

// A made-up meet written as a transfer file at `transferPath` and imported
// into `meetPath`, as an operator would; false, with the reason, when either
// step fails.
inline bool generateMeet(const MeetGenerator::Options& options, const QString& transferPath,
                         const QString& meetPath, QString* error) {
    QFile file(transferPath);
    if (!file.open(QIODevice::WriteOnly) ||
        !MeetGenerator::write(MeetGenerator::build(options), &file, error)) {
        *error = QStringLiteral("writing %1: %2").arg(transferPath, *error + file.errorString());
        return false;
    }
    file.close();
    TransferImporter importer(transferPath, meetPath);
    if (!importer.run()) {
        *error = QStringLiteral("importing %1: %2").arg(transferPath, importer.report().error);
        return false;
    }
    return true;
}
