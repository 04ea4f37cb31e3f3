#include "meetfiles.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace MeetFiles {

namespace {

const QString Extension = u".tallvane"_s;

bool startsAsSqliteDatabase(const QString& path) {
    static const QByteArray Header("SQLite format 3\0", 16);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(Header.size()) == Header;
}

} // namespace

QStringList sideFileSuffixes() {
    return {u"-wal"_s, u"-shm"_s, u"-journal"_s, u".lock"_s};
}

QString lockFilePath(const QString& meetPath) {
    return meetPath + u".lock"_s;
}

bool isMeetFile(const QString& path) {
    return QFileInfo(path).fileName().endsWith(Extension, Qt::CaseInsensitive) ||
           startsAsSqliteDatabase(path);
}

bool isMeetFileOrSideFile(const QString& path) {
    if (isMeetFile(path))
        return true;
    const QString name = QFileInfo(path).fileName();
    for (const QString& suffix : sideFileSuffixes()) {
        if (name.endsWith(Extension + suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace MeetFiles
