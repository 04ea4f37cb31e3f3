#include "meetfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

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
    return {u"-wal"_s, u"-shm"_s, u"-journal"_s, u"-standby"_s, u".lock"_s};
}

QString lockFilePath(const QString& meetPath) {
    return meetPath + u".lock"_s;
}

std::unique_ptr<QLockFile> lockMeetFile(const QString& meetPath, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return nullptr;
    };
    auto lock = std::make_unique<QLockFile>(lockFilePath(meetPath));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() != QLockFile::LockFailedError)
        return fail(u"The lock file beside the meet file %1 could not be created; "
                    "the meet file's folder must be writable."_s.arg(meetPath));
    qint64 pid = 0;
    QString host;
    QString program;
    lock->getLockInfo(&pid, &host, &program);
    return fail(u"The meet file %1 is open in another Tallvane (process %2 on %3).  "
                "A meet file can be open in one Tallvane at a time."_s.arg(meetPath)
                    .arg(pid)
                    .arg(host.isEmpty() ? u"an unknown computer"_s : host));
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
