#include "transferfileinfo.h"

#include "shell/codepage1252.h"

#include <QFile>

#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace TransferFileInfo {

namespace {

// The next line without its line end, into `line`, whose room is reused from
// line to line (QIODevice::readLine() sets aside a large block for every line).
void readLine(QIODevice* device, QByteArray& line) {
    line.truncate(0);
    char chunk[512];
    qint64 got = 0;
    while ((got = device->readLine(chunk, sizeof chunk)) > 0) {
        line.append(chunk, got);
        if (chunk[got - 1] == '\n')
            break;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
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
    QByteArray line;
    while (device && !device->atEnd()) {
        readLine(device, line);
        if (line.isEmpty())
            break; // the version belongs to the header block
        if (const auto version = versionIn(Cp1252::decode(line)))
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
    QByteArray line;
    while (device && !device->atEnd()) {
        readLine(device, line);
        // "Name" and "=" are the same bytes in the code page as in Unicode.
        if (!line.contains("Name"))
            continue;
        const qsizetype eq = line.indexOf('=');
        return eq < 0 ? QString() : Cp1252::decode(QByteArrayView(line).sliced(eq + 1));
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
        const char* const end = buffer + n;
        for (const char* at = buffer;
             (at = static_cast<const char*>(std::memchr(at, '\n', size_t(end - at)))); ++at)
            ++lines;
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
