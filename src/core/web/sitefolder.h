#pragma once

#include "resultssite.h"

#include <QList>
#include <QString>

// Puts a whole site in place at once: its files are written into a new folder
// beside the target and that folder is swapped in, so a web server reading
// the target finds the old files or the new ones, never a mix, and a write
// that fails leaves the target as it was and nothing else behind. Each write
// replaces the whole folder, so a folder holding anything but a site written
// here is never taken. No QObject: a worker thread may write.
namespace SiteFolder {

// Why `folder` cannot take a site: the folder that would hold it is missing,
// it is a file, or it holds files other than a published site. Empty when it
// can (it is missing, empty, or a site written before).
QString problem(const QString& folder);

// Writes `files` to `folder` whole; false with the reason when it cannot.
bool write(const QString& folder, const QList<SiteFile>& files, QString* error);

} // namespace SiteFolder
