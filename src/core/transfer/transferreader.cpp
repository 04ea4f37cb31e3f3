#include "transferreader.h"

#include "db/meetschema.h"
#include "shell/codepage1252.h"

using namespace Qt::Literals::StringLiterals;

TransferReader::TransferReader(QIODevice* device)
    : mDevice(device) {}

TransferReader::TransferReader(const QString& path)
    : mOwnedFile(std::make_unique<QFile>(path))
    , mDevice(mOwnedFile.get()) {}

bool TransferReader::open() {
    if (!mOwnedFile)
        return mDevice && mDevice->isReadable();
    if (mOwnedFile->isOpen() || mOwnedFile->open(QIODevice::ReadOnly))
        return true;
    mError = u"The file %1 could not be opened: %2"_s.arg(mOwnedFile->fileName(),
                                                          mOwnedFile->errorString());
    return false;
}

bool TransferReader::nextLine(QString* line) {
    if (mHasPushedBack) {
        mHasPushedBack = false;
        *line = mPushedBack;
        return true;
    }
    if (!mDevice || mDevice->atEnd())
        return false;
    QByteArray bytes = mDevice->readLine();
    if (bytes.isEmpty() && mDevice->atEnd())
        return false;
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    *line = Cp1252::decode(bytes);
    ++mLinesRead;
    return true;
}

void TransferReader::pushBack(const QString& line) {
    mHasPushedBack = true;
    mPushedBack = line;
}

bool TransferReader::sectionOf(const QString& line, QString* table, bool* isRecord) const {
    if (line.size() < 3 || line.front() != u'[' || line.back() != u']')
        return false;
    const QString inner = line.mid(1, line.size() - 2);
    const MeetSchema::Table* found = MeetSchema::table(inner);
    if (found && found->meetData) {
        *table = found->name;
        *isRecord = false;
        return true;
    }
    const qsizetype dash = inner.lastIndexOf(u'-');
    if (dash <= 0 || dash == inner.size() - 1)
        return false;
    for (qsizetype i = dash + 1; i < inner.size(); ++i) {
        if (!inner[i].isDigit())
            return false;
    }
    found = MeetSchema::table(inner.left(dash));
    if (!found || !found->meetData)
        return false;
    *table = found->name;
    *isRecord = true;
    return true;
}

double TransferReader::readHeader() {
    double version = 0;
    bool versionSeen = false;
    QString line;
    while (nextLine(&line) && !line.isEmpty()) {
        if (versionSeen || !line.contains(u"Version"_s))
            continue;
        versionSeen = true;
        const qsizetype eq = line.indexOf(u'=');
        bool ok = false;
        version = eq < 0 ? 0 : line.mid(eq + 1).trimmed().toDouble(&ok);
        if (!ok)
            version = 0;
    }
    return version;
}

void TransferReader::finishTable(const QString& table) {
    mFinished.insert(table);
    QString line;
    if (!nextLine(&line))
        return;
    if (!line.startsWith(u"NumRecords="_s)) {
        pushBack(line);
        return;
    }
    bool ok = false;
    const qint64 stated = line.mid(11).trimmed().toLongLong(&ok);
    const qint64 found = mRecordCounts.value(table);
    if (!ok || stated != found) {
        mProblems.append(u"%1: the file says %2 records, %3 were found."_s.arg(
            table, line.mid(11), QString::number(found)));
    }
}

bool TransferReader::readRecord(TransferRecord* record) {
    QString line;
    while (nextLine(&line)) {
        if (line.isEmpty())
            continue;
        QString table;
        bool isRecord = false;
        if (!sectionOf(line, &table, &isRecord)) {
            mProblems.append(u"Line %1 belongs to no record and was skipped: %2"_s.arg(
                QString::number(mLinesRead), line));
            continue;
        }
        if (!isRecord) {
            finishTable(table);
            continue;
        }
        record->table = table;
        record->header = line.mid(1, line.size() - 2);
        record->line = mLinesRead;
        record->fields.clear();
        mRecordCounts[table] += 1;
        QString field;
        while (nextLine(&field) && !field.isEmpty()) {
            QString otherTable;
            bool otherIsRecord = false;
            if (sectionOf(field, &otherTable, &otherIsRecord)) {
                pushBack(field);
                break;
            }
            const qsizetype eq = field.indexOf(u'=');
            if (eq < 0)
                record->fields.append({field, QString()});
            else
                record->fields.append({field.left(eq), field.mid(eq + 1)});
        }
        return true;
    }
    return false;
}

QStringList TransferReader::unfinishedTables() const {
    QStringList missing;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        if (!mFinished.contains(table->name))
            missing.append(table->name);
    }
    return missing;
}
