#include "sitefolder.h"

#include "shell/failurereport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The folder itself when `folder` is a symbolic link to one: the link stays,
// the folder it names is replaced.
QFileInfo targetOf(const QString& folder) {
    // "site/" and "." name their folder as "site" and the working folder do.
    QFileInfo info(QDir(folder).absolutePath());
    if (info.isSymLink() && info.exists())
        info = QFileInfo(info.canonicalFilePath());
    return info;
}

bool renamePath(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Swaps two folders in one step where the system can (Linux), so the target
// path always names a whole site.
bool exchange(const QString& a, const QString& b) {
#ifdef Q_OS_LINUX
    return ::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD,
                       QFile::encodeName(b).constData(), RENAME_EXCHANGE) == 0;
#else
    Q_UNUSED(a)
    Q_UNUSED(b)
    return false;
#endif
}

bool writeFiles(const QDir& root, const QList<SiteFile>& files, QString* error) {
    for (const SiteFile& file : files) {
        const QString path = root.filePath(file.path);
        if (!root.mkpath(QFileInfo(file.path).path()))
            return reportFailure(error, u"The folder for %1 cannot be made."_s.arg(file.path));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size() ||
            !out.flush()) {
            return reportFailure(error,
                                 u"%1 cannot be written: %2"_s.arg(file.path, out.errorString()));
        }
    }
    return true;
}

} // namespace

namespace SiteFolder {

QString problem(const QString& folder) {
    if (folder.isEmpty())
        return u"No folder was given for the results."_s;
    const QFileInfo target = targetOf(folder);
    if (target.isSymLink())
        return u"%1 is a link to nothing."_s.arg(folder);
    if (!QFileInfo(target.absolutePath()).isDir())
        return u"The folder %1 does not exist."_s.arg(
            QDir::toNativeSeparators(target.absolutePath()));
    if (target.exists() && !target.isDir())
        return u"%1 is a file, not a folder."_s.arg(folder);
    if (target.isDir() &&
        !QDir(target.filePath())
             .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System) &&
        !QFileInfo(QDir(target.filePath()).filePath(ResultsSite::SessionsFile)).isFile()) {
        return u"%1 holds files that are not published results; give a new or empty folder "
               "(each publication replaces the whole folder)."_s.arg(folder);
    }
    return {};
}

bool write(const QString& folder, const QList<SiteFile>& files, QString* error) {
    if (const QString why = problem(folder); !why.isEmpty())
        return reportFailure(error, why);
    const QFileInfo target = targetOf(folder);
    const QString path = target.absoluteFilePath();
    // Beside the target, on the same file system, so it can be renamed into place.
    QTemporaryDir fresh(target.absolutePath() + u"/."_s + target.fileName() + u".new-XXXXXX"_s);
    if (!fresh.isValid())
        return reportFailure(
            error, u"A folder cannot be made beside %1: %2"_s.arg(folder, fresh.errorString()));
    // A web server running as another user reads the site: not private to us.
    QFile::setPermissions(fresh.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                            QFile::ExeOther);
    if (!writeFiles(QDir(fresh.path()), files, error))
        return false;

    if (!target.exists()) {
        if (!renamePath(fresh.path(), path))
            return reportFailure(error, u"%1 cannot be made: %2"_s.arg(folder, systemError()));
        fresh.setAutoRemove(false);
        return true;
    }
    // The old site now sits where the new one was written, and goes with it.
    if (exchange(fresh.path(), path))
        return true;
    // Without a swap in one step: the old site moves aside, the new one in.
    QTemporaryDir old(target.absolutePath() + u"/."_s + target.fileName() + u".old-XXXXXX"_s);
    if (!old.isValid())
        return reportFailure(
            error, u"A folder cannot be made beside %1: %2"_s.arg(folder, old.errorString()));
    // Its name is taken; the folder itself makes way, as not every system
    // renames onto an empty folder.
    QDir().rmdir(old.path());
    if (!renamePath(path, old.path()))
        return reportFailure(error, u"%1 cannot be replaced: %2"_s.arg(folder, systemError()));
    if (!renamePath(fresh.path(), path)) {
        const QString reason = systemError();
        // Rather an old site left aside than none at all.
        if (!renamePath(old.path(), path))
            old.setAutoRemove(false);
        return reportFailure(error, u"%1 cannot be replaced: %2"_s.arg(folder, reason));
    }
    fresh.setAutoRemove(false);
    return true;
}

} // namespace SiteFolder
