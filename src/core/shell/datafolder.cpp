#include "datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace DataFolder {

QString location() {
    const QString fromEnvironment = qEnvironmentVariable("TALLVANE_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(QDir(fromEnvironment).absolutePath());
#ifdef Q_OS_WIN
    return u"C:/Users/Public/Tallvane"_s;
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Tallvane"_s;
#endif
}

bool ensure(const QString& folder, QString* error) {
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists()) {
        if (error)
            *error = u"The data folder %1 exists but is not a folder."_s.arg(folder);
        return false;
    }
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = u"The data folder %1 could not be created."_s.arg(folder);
        return false;
    }
    return true;
}

} // namespace DataFolder
