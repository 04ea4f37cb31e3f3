#include "transferreader.h"

#include "db/meetschema.h"
#include "shell/codepage1252.h"
#include "transferfileinfo.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {
// Large enough that reading costs next to nothing per line, small enough to
// go unnoticed in memory.
constexpr qsizetype BlockSize = 256 * 1024;

// The meet-data table named `name` in any letter case, as MeetSchema::table()
// finds it, from the bytes of a section line: every table name is ASCII, and
// no byte of the code page beyond ASCII folds to an ASCII letter.
const MeetSchema::Table* meetDataTable(QByteArrayView name) {
    static const std::vector<std::pair<QByteArray, const MeetSchema::Table*>> tables = [] {
        std::vector<std::pair<QByteArray, const MeetSchema::Table*>> all;
        for (const MeetSchema::Table* table : MeetSchema::meetDataTables())
            all.emplace_back(table->name.toLower().toLatin1(), table);
        return all;
    }();
    for (const auto& [lowerName, table] : tables) {
        if (lowerName.size() != name.size())
            continue;
        qsizetype i = 0;
        while (i < name.size() &&
               (name[i] >= 'A' && name[i] <= 'Z' ? char(name[i] + 32) : name[i]) == lowerName[i])
            ++i;
        if (i == name.size())
            return table;
    }
    return nullptr;
}

// Where a line ends and where its first "=" is, as pointers into a buffer.
struct LineEnds {
    const char* newline = nullptr;
    const char* equals = nullptr;
};

// Where the line from `from` ends (its line feed, or null when the bytes up to
// `end` hold none) and its first "=" (null when it has none), found eight
// bytes at a time: field lines are short and many.
LineEnds scanLine(const char* from, const char* end) {
    constexpr quint64 Ones = 0x0101010101010101;
    constexpr quint64 Highs = 0x8080808080808080;
    // The high bit of each byte of `word` that equals `c`; the lowest is exact.
    const auto matches = [](quint64 word, char c) {
        const quint64 x = word ^ (Ones * uchar(c));
        return (x - Ones) & ~x & Highs;
    };
    const char* equals = nullptr;
    const char* p = from;
    for (; end - p >= 8; p += 8) {
        const quint64 word = qFromLittleEndian<quint64>(p);
        const quint64 lineFeeds = matches(word, '\n');
        const char* lineFeed = lineFeeds ? p + std::countr_zero(lineFeeds) / 8 : nullptr;
        if (!equals) {
            const quint64 signs = matches(word, '=');
            const char* sign = signs ? p + std::countr_zero(signs) / 8 : nullptr;
            if (sign && (!lineFeed || sign < lineFeed))
                equals = sign;
        }
        if (lineFeed)
            return {lineFeed, equals};
    }
    for (; p < end; ++p) {
        if (*p == '\n')
            return {p, equals};
        if (*p == '=' && !equals)
            equals = p;
    }
    return {nullptr, equals};
}

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
    const QByteArrayView inner = raw.sliced(1, raw.size() - 2);
    if (const MeetSchema::Table* found = meetDataTable(inner)) {
        *table = found->name;
        *isRecord = false;
        return true;
    }
    const qsizetype dash = inner.lastIndexOf('-');
    if (dash <= 0 || dash == inner.size() - 1)
        return false;
    for (const char c : inner.sliced(dash + 1)) {
        if (c < '0' || c > '9')
            return false;
    }
    const MeetSchema::Table* found = meetDataTable(inner.first(dash));
    if (!found)
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

        readFields(record);
        return true;
    }
    return false;
}

void TransferReader::readFields(TransferRecord* record) {
    // The field lines stay in the buffer until the record is complete and are
    // then kept at once; positions are kept from the record's start.
    mKeepFrom = mPos;
    qsizetype end = 0;
    for (;;) {
        const char* data = mBuffer.constData();
        const qsizetype size = mBuffer.size();
        const LineEnds ends = scanLine(data + mPos, data + size);
        if (!ends.newline && !mAtEnd) {
            fill(); // moves the buffer: the line is looked at again
            continue;
        }
        if (!ends.newline && mPos >= size)
            break; // the end of the file
        const qsizetype next = ends.newline ? ends.newline - data + 1 : size;
        qsizetype lineEnd = ends.newline ? ends.newline - data : size;
        while (lineEnd > mPos && data[lineEnd - 1] == '\r')
            --lineEnd;
        if (lineEnd == mPos) {
            mPos = next; // the empty line that ends the record
            ++mLinesRead;
            break;
        }
        const Line line{mPos, lineEnd - mPos, next};
        if (data[mPos] == '[' && isSection(line))
            break; // the next section, left for the next call
        const qsizetype at = mPos - mKeepFrom;
        TransferRecord::Field f;
        f.nameAt = at;
        f.nameSize = ends.equals ? ends.equals - (data + mPos) : line.size;
        f.valueAt = ends.equals ? at + f.nameSize + 1 : at + line.size;
        f.valueSize = ends.equals ? line.size - f.nameSize - 1 : 0;
        record->fields.push_back(f);
        end = at + line.size;
        mPos = next;
        ++mLinesRead;
    }
    keepFieldLines(record, end);
    mKeepFrom = -1;
}

bool TransferReader::isSection(const Line& line) const {
    QString table;
    bool isRecord = false;
    return sectionOf(line, &table, &isRecord);
}

void TransferReader::keepFieldLines(TransferRecord* record, qsizetype end) const {
    record->bytes.resize(end);
    char* kept = record->bytes.data();
    std::memcpy(kept, mBuffer.constData() + mKeepFrom, size_t(end));
    // Eight bytes at a time, as most records are ASCII throughout.
    quint64 high = 0;
    qsizetype i = 0;
    for (; i + 8 <= end; i += 8)
        high |= qFromUnaligned<quint64>(kept + i);
    for (; i < end; ++i)
        high |= uchar(kept[i]);
    record->ascii = (high & 0x8080808080808080) == 0;
}

QStringList TransferReader::unfinishedTables() const {
    QStringList missing;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        if (!mFinished.contains(table->name))
            missing.append(table->name);
    }
    return missing;
}
