#include "adfiles.h"

#include "server/stationlink.h"
#include "shell/codepage1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

AdFiles::AdFiles(std::function<QString()> dataFolder, StationLink& link, QObject* parent)
    : QObject(parent)
    , mDataFolder(std::move(dataFolder))
    , mLink(link) {}

QString AdFiles::resolve(const QString& dataFolder, const QString& fileName) {
    QString name = fileName;
    name.replace(u'\\', u'/');
    // "C:/..." and "/..." name files outside the folder.
    if (name.isEmpty() || name.startsWith(u'/') || (name.size() > 1 && name[1] == u':'))
        return {};
    const QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty())
        return {};
    const QString path = QFileInfo(folder + u'/' + name).canonicalFilePath();
    if (path.isEmpty() || !path.startsWith(folder + u'/') || !QFileInfo(path).isFile())
        return {};
    return path;
}

void AdFiles::receiveAdFileRequest(const QString& fileName, ConnectionId connection) {
    QTimer::singleShot(0, this, [this, fileName, connection] { answer(fileName, connection); });
}

void AdFiles::answer(const QString& fileName, ConnectionId connection) {
    const QString path = resolve(mDataFolder(), fileName);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return;
    // One character per byte: the code page keeps every byte value.
    mLink.sendData(connection, Prefix + Cp1252::decode(bytes) + EndMarker);
}
