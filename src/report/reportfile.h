#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ReportFile {

struct Contents {
    QString path;
    QByteArray bytes;
};

// Writes each file whole or not at all, and none of them unless all could be
// written: a failure leaves existing files as they were and no partial file
// behind. False, with the reason.
bool save(const QList<Contents>& files, QString* error = nullptr);

} // namespace ReportFile
