#include "transferfileinfo.h"

#include "shell/codepage1252.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace TransferFileInfo {

namespace {

QString readLine(QIODevice* device) {
    QByteArray line = device->readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return Cp1252::decode(line);
}

template <typename Result, typename Read>
Result withFile(const QString& path, Result fallback, Read read) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fallback;
    return read(&file);
}

} // namespace

double readTransferVersion(QIODevice* device) {
    while (device && !device->atEnd()) {
        const QString line = readLine(device);
        if (line.isEmpty())
            break; // the version belongs to the header block
        if (const auto version = versionIn(line))
            return *version;
    }
    return 0;
}

std::optional<double> versionIn(const QString& line) {
    if (!line.contains(u"Version"_s))
        return std::nullopt;
    const qsizetype eq = line.indexOf(u'=');
    bool ok = false;
    const double version = eq < 0 ? 0 : line.mid(eq + 1).trimmed().toDouble(&ok);
    return ok ? version : 0;
}

double readTransferVersion(const QString& path) {
    return withFile(path, 0.0, [](QIODevice* d) { return readTransferVersion(d); });
}

QString readTransferMeetName(QIODevice* device) {
    while (device && !device->atEnd()) {
        const QString line = readLine(device);
        if (!line.contains(u"Name"_s))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        return eq < 0 ? QString() : line.mid(eq + 1);
    }
    return {};
}

QString readTransferMeetName(const QString& path) {
    return withFile(path, QString(), [](QIODevice* d) { return readTransferMeetName(d); });
}

qint64 countTransferLines(QIODevice* device) {
    qint64 lines = 0;
    char last = '\n';
    char buffer[65536];
    while (device) {
        const qint64 n = device->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (qint64 i = 0; i < n; ++i)
            lines += buffer[i] == '\n';
        last = buffer[n - 1];
    }
    return last == '\n' ? lines : lines + 1;
}

qint64 countTransferLines(const QString& path) {
    return withFile(path, qint64(0), [](QIODevice* d) { return countTransferLines(d); });
}

QString meetFileNameFor(const QString& meetName) {
    QString name = meetName;
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'-';
    }
    while (!name.isEmpty() && (name.front() == u'.' || name.front().isSpace()))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == u'.' || name.back().isSpace()))
        name.chop(1);
    return name;
}

} // namespace TransferFileInfo
