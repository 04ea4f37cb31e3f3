#include "transferfiles.h"

#include "db/meetschema.h"
#include "shell/codepage1252.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace TransferFiles {

namespace {
QByteArray line(const QString& text) {
    return Cp1252::encode(text) + "\r\n";
}
} // namespace

QByteArray record(const QString& table, int number, const QHash<QString, QString>& values) {
    const MeetSchema::Table* t = MeetSchema::table(table);
    Q_ASSERT(t);
    QByteArray bytes = line(u"[%1-%2]"_s.arg(t->name).arg(number, 4, 10, QChar(u'0')));
    for (const MeetSchema::Column& column : t->columns) {
        const bool flag = column.type == MeetSchema::ColumnType::Boolean;
        bytes +=
            line(column.name + u'=' + values.value(column.name, flag ? u"False"_s : QString()));
    }
    return bytes + "\r\n";
}

QByteArray record(const QString& table, int number, const QString& values) {
    QHash<QString, QString> texts;
    for (const QString& pair : values.split(u'|', Qt::SkipEmptyParts))
        texts.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    return record(table, number, texts);
}

QByteArray file(const QHash<QString, QList<QByteArray>>& records) {
    QByteArray bytes = "[Rostrel]\r\nVersion=4.0\r\n\r\n";
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        const QList<QByteArray> sections = records.value(table->name);
        bytes += sections.join() + line(u'[' + table->name + u']') +
                 line(u"NumRecords=%1"_s.arg(sections.size())) + "\r\n";
    }
    return bytes;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace TransferFiles
