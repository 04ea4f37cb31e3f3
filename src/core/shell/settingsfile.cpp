#include "settingsfile.h"

#include "codepage1252.h"

#include <QFile>
#include <QSaveFile>

namespace SettingsFile {

QString parse(const QByteArray& content) {
    const QString text = Cp1252::decode(content);
    QString last;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        QString field;
        if (i < n && text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            field = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            while (i < n && text[i] != u',' && text[i] != u'\r' && text[i] != u'\n')
                ++i; // anything after the closing quote up to the delimiter is dropped
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && text[i] != u'\r' && text[i] != u'\n')
                ++i;
            field = text.mid(start, i - start).trimmed();
        }
        last = field;
        if (i < n && text[i] == u',') {
            ++i;
            if (i == n)
                last.clear(); // a trailing comma starts one more, empty field
        } else {
            if (i < n && text[i] == u'\r')
                ++i;
            if (i < n && text[i] == u'\n')
                ++i;
        }
    }
    return last;
}

QString read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

bool write(const QString& path, const QString& value, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(Cp1252::encode(value));
        file.write("\r\n");
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace SettingsFile
