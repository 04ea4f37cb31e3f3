#include "adfiles.h"

#include "db/meetfiles.h"
#include "scoreboardmessages.h"
#include "server/stationlink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

AdFiles::AdFiles(std::function<QString()> dataFolder, QStringList settingsFiles, StationLink& link,
                 QObject* parent)
    : QObject(parent)
    , mDataFolder(std::move(dataFolder))
    , mSettingsFiles(std::move(settingsFiles))
    , mLink(link) {}

QString AdFiles::resolve(const QString& dataFolder, const QString& fileName,
                         const QStringList& settingsFiles) {
    QString name = fileName;
    name.replace(u'\\', u'/');
    // "C:/..." and "/..." name files outside the folder.
    if (name.isEmpty() || name.startsWith(u'/') || (name.size() > 1 && name[1] == u':'))
        return {};
    const QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty())
        return {};
    const QString path = QFileInfo(folder + u'/' + name).canonicalFilePath();
    const QFileInfo target(path);
    if (path.isEmpty() || !path.startsWith(folder + u'/') || !target.isFile())
        return {};
    // A meet file holds the meet's password and every score; the settings
    // files hold the station PIN.
    const bool settingsFile =
        target.path() == folder && settingsFiles.contains(target.fileName(), Qt::CaseInsensitive);
    if (settingsFile || MeetFiles::isMeetFileOrSideFile(path))
        return {};
    return path;
}

void AdFiles::receiveAdFileRequest(const QString& fileName, ConnectionId connection) {
    QTimer::singleShot(0, this, [this, fileName, connection] { answer(fileName, connection); });
}

bool AdFiles::isImage(QByteArrayView head) {
    static constexpr QByteArrayView Signatures[] = {QByteArrayView("\x89PNG\r\n\x1a\n", 8),
                                                    QByteArrayView("\xff\xd8\xff", 3), "GIF87a",
                                                    "GIF89a", "BM"};
    return std::any_of(std::begin(Signatures), std::end(Signatures),
                       [head](QByteArrayView signature) { return head.startsWith(signature); });
}

void AdFiles::answer(const QString& fileName, ConnectionId connection) {
    const QString path = resolve(mDataFolder(), fileName, mSettingsFiles);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxImageBytes)
        return;
    // The size is checked again on what was read: the file may grow meanwhile.
    const QByteArray bytes = file.read(MaxImageBytes + 1);
    if (bytes.size() > MaxImageBytes || !isImage(bytes))
        return;
    mLink.sendBytes(connection, ScoreboardMessages::adFile(bytes));
}
