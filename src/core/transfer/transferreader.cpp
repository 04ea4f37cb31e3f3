#include "transferreader.h"

#include "db/meetschema.h"
#include "shell/codepage1252.h"
#include "transferfileinfo.h"

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {
// Large enough that reading costs next to nothing per line, small enough to
// go unnoticed in memory.
constexpr qsizetype BlockSize = 256 * 1024;
} // namespace

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

bool TransferReader::fill() {
    if (mAtEnd || !mDevice) {
        mAtEnd = true;
        return false;
    }
    // Lines already taken go, except those of the record being read.
    const qsizetype keep = mKeepFrom >= 0 ? mKeepFrom : mPos;
    if (keep > 0) {
        mBuffer.remove(0, keep);
        mPos -= keep;
        if (mKeepFrom >= 0)
            mKeepFrom = 0;
    }
    // A device that knows its size is read in blocks no larger than what is
    // left of it: a small file costs a small buffer.
    const qint64 block = mDevice->isSequential()
                             ? BlockSize
                             : std::clamp<qint64>(mDevice->bytesAvailable(), 1, BlockSize);
    const qsizetype old = mBuffer.size();
    mBuffer.resize(old + block);
    const qint64 got = mDevice->read(mBuffer.data() + old, block);
    mBuffer.resize(old + std::max<qint64>(got, 0));
    if (got <= 0)
        mAtEnd = true;
    return got > 0;
}

bool TransferReader::nextLine(Line* line) {
    qsizetype searchFrom = mPos;
    for (;;) {
        const char* data = mBuffer.constData();
        const qsizetype size = mBuffer.size();
        const auto* found = static_cast<const char*>(
            searchFrom < size ? std::memchr(data + searchFrom, '\n', size_t(size - searchFrom))
                              : nullptr);
        if (!found && !mAtEnd) {
            const qsizetype before = mPos;
            fill();
            searchFrom = size - (before - mPos);
            continue;
        }
        if (!found && mPos >= size)
            return false;
        qsizetype end = found ? found - data : size;
        line->at = mPos;
        line->next = found ? end + 1 : end;
        while (end > mPos && data[end - 1] == '\r')
            --end;
        line->size = end - mPos;
        mPos = line->next;
        ++mLinesRead;
        return true;
    }
}

void TransferReader::unread(const Line& line) {
    mPos = line.at;
    --mLinesRead;
}

QByteArrayView TransferReader::bytes(const Line& line) const {
    return QByteArrayView(mBuffer).sliced(line.at, line.size);
}

QString TransferReader::text(const Line& line) const {
    return Cp1252::decode(bytes(line));
}

bool TransferReader::sectionOf(const Line& line, QString* table, bool* isRecord) const {
    const QByteArrayView raw = bytes(line);
    if (raw.size() < 3 || raw.front() != '[' || raw.back() != ']')
        return false;
    const QString inner = Cp1252::decode(raw.sliced(1, raw.size() - 2));
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
    std::optional<double> version;
    Line line;
    while (nextLine(&line) && line.size > 0) {
        if (!version)
            version = TransferFileInfo::versionIn(text(line));
    }
    return version.value_or(0);
}

void TransferReader::finishTable(const QString& table) {
    mFinished.insert(table);
    Line line;
    if (!nextLine(&line))
        return;
    const QString content = text(line);
    if (!content.startsWith(u"NumRecords="_s)) {
        unread(line);
        return;
    }
    bool ok = false;
    const qint64 stated = content.mid(11).trimmed().toLongLong(&ok);
    const qint64 found = mRecordCounts.value(table);
    if (!ok || stated != found) {
        mProblems.append(u"%1: the file says %2 records, %3 were found."_s.arg(
            table, content.mid(11), QString::number(found)));
    }
}

bool TransferReader::readRecord(TransferRecord* record) {
    Line line;
    while (nextLine(&line)) {
        if (line.size == 0)
            continue;
        QString table;
        bool isRecord = false;
        if (!sectionOf(line, &table, &isRecord)) {
            mProblems.append(u"Line %1 belongs to no record and was skipped: %2"_s.arg(
                QString::number(mLinesRead), text(line)));
            continue;
        }
        if (!isRecord) {
            finishTable(table);
            continue;
        }
        record->table = table;
        record->header = Cp1252::decode(bytes(line).sliced(1, line.size - 2));
        record->line = mLinesRead;
        record->fields.clear();
        mRecordCounts[table] += 1;

        // The field lines stay in the buffer until the record is complete and
        // are then decoded at once; positions are kept from the record's start.
        mKeepFrom = mPos;
        qsizetype end = 0;
        Line field;
        while (nextLine(&field) && field.size > 0) {
            QString otherTable;
            bool otherIsRecord = false;
            if (sectionOf(field, &otherTable, &otherIsRecord)) {
                unread(field);
                break;
            }
            const qsizetype at = field.at - mKeepFrom;
            const char* begin = mBuffer.constData() + field.at;
            const auto* eq = static_cast<const char*>(std::memchr(begin, '=', size_t(field.size)));
            TransferRecord::Field f;
            f.nameAt = at;
            f.nameSize = eq ? eq - begin : field.size;
            f.valueAt = eq ? at + f.nameSize + 1 : at + field.size;
            f.valueSize = eq ? field.size - f.nameSize - 1 : 0;
            record->fields.push_back(f);
            end = at + field.size;
        }
        record->text = Cp1252::decode(QByteArrayView(mBuffer).sliced(mKeepFrom, end));
        mKeepFrom = -1;
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
