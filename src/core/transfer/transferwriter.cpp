#include "transferwriter.h"

#include "shell/codepage1252.h"
#include "transfervalues.h"

#include <QHash>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr qsizetype FlushSize = 256 * 1024;
} // namespace

TransferWriter::TransferWriter(QIODevice* device)
    : mDevice(device) {
    // Room for a full block and the record that fills it: the buffer is
    // never grown while a file is written.
    mBuffer.reserve(FlushSize + FlushSize / 4);
}

void TransferWriter::appendBytes(QByteArrayView bytes) {
    const qsizetype at = mBuffer.size();
    mBuffer.resize(at + bytes.size());
    std::memcpy(mBuffer.data() + at, bytes.data(), size_t(bytes.size()));
}

void TransferWriter::appendLine(const QString& line) {
    mBuffer += Cp1252::encode(line);
    mBuffer += "\r\n";
}

void TransferWriter::writeHeader() {
    appendLine(u"[Rostrel]"_s);
    appendLine(u"Version=4.0"_s);
    appendLine(QString());
    flushIfFull();
}

const QList<QByteArray>& TransferWriter::fieldPrefixes(const MeetSchema::Table& table) {
    // Built for every table at once, the first time (thread-safe): the schema is fixed.
    static const QHash<QString, QList<QByteArray>> prefixes = [] {
        QHash<QString, QList<QByteArray>> all;
        for (const MeetSchema::Table& each : MeetSchema::tables()) {
            QList<QByteArray>& names = all[each.name];
            for (const MeetSchema::Column& column : each.columns)
                names.append(Cp1252::encode(column.name) + '=');
        }
        return all;
    }();
    return *prefixes.find(table.name);
}

bool TransferWriter::appendEncoded(QStringView text) {
    const qsizetype start = mBuffer.size();
    mBuffer.resize(start + text.size());
    char* out = mBuffer.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80) { // beyond ASCII: the code page decides
            bool lossless = true;
            mBuffer.resize(start);
            mBuffer += Cp1252::encode(text, &lossless);
            return lossless;
        }
        out[i] = char(c);
    }
    return true;
}

bool TransferWriter::appendValue(MeetSchema::ColumnType type, const QVariant& stored) {
    using T = MeetSchema::ColumnType;
    // Numbers as stored in their own columns, the bulk of a meet, go straight
    // into the buffer; everything else as valueText() writes it.
    if (type == T::Double && stored.typeId() == QMetaType::Double) {
        const double value = stored.toDouble();
        if (std::isfinite(value)) {
            TransferValues::appendDouble(mBuffer, value);
            return true;
        }
    } else if (type == T::Long && stored.typeId() == QMetaType::LongLong) {
        char text[24];
        const char* end = std::to_chars(text, text + sizeof text, stored.toLongLong()).ptr;
        mBuffer.append(text, end - text);
        return true;
    }
    return appendEncoded(TransferValues::valueText(type, stored));
}

void TransferWriter::appendRecordHeader(const MeetSchema::Table& table, qint64 number) {
    mBuffer += '[';
    appendEncoded(table.name);
    mBuffer += '-';
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    for (qsizetype width = end - digits; width < 4; ++width)
        mBuffer += '0';
    mBuffer.append(digits, end - digits);
    mBuffer += "]\r\n";
}

void TransferWriter::fieldLost(const MeetSchema::Table& table, qint64 number, qsizetype column) {
    mLossyFields.append(table.name + u'-' + TransferValues::padRecordNumber(number) + u' ' +
                        table.columns[column].name);
}

void TransferWriter::writeRecord(const MeetSchema::Table& table, qint64 number,
                                 const QVariantList& values) {
    appendRecordHeader(table, number);
    const QList<QByteArray>& prefixes = fieldPrefixes(table);
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        mBuffer += prefixes[i];
        if (!appendValue(table.columns[i].type, i < values.size() ? values[i] : QVariant()))
            fieldLost(table, number, i);
        mBuffer += "\r\n";
    }
    mBuffer += "\r\n";
    flushIfFull();
}

void TransferWriter::writeRecord(const MeetSchema::Table& table, qint64 number,
                                 const Utf8Statement& row) {
    using T = MeetSchema::ColumnType;
    using S = Utf8Statement::Type;
    appendRecordHeader(table, number);
    const QList<QByteArray>& prefixes = fieldPrefixes(table);
    for (int i = 0; i < int(table.columns.size()); ++i) {
        appendBytes(prefixes[i]);
        const T type = table.columns[i].type;
        bool lossless = true;
        switch (row.type(i)) {
        case S::Integer:
            lossless = appendValue(type, qlonglong(row.integer(i)));
            break;
        case S::Real:
            lossless = appendValue(type, row.real(i));
            break;
        case S::Null:
            break;
        case S::Blob:
            lossless = appendValue(type, row.blob(i).toByteArray());
            break;
        case S::Text: {
            const QByteArrayView text = row.text(i);
            const bool ascii =
                std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
            // Plain ASCII is the same bytes in the code page; "Null" is written empty.
            if (type == T::Text && ascii) {
                if (text != "Null")
                    appendBytes(text);
            } else {
                lossless = appendValue(type, QString::fromUtf8(text));
            }
            break;
        }
        }
        if (!lossless)
            fieldLost(table, number, i);
        appendBytes("\r\n");
    }
    appendBytes("\r\n");
    flushIfFull();
}

void TransferWriter::writeTrailer(const MeetSchema::Table& table, qint64 records) {
    appendLine(u'[' + table.name + u']');
    appendLine(u"NumRecords="_s + QString::number(records));
    appendLine(QString());
    flushIfFull();
}

void TransferWriter::flushIfFull() {
    if (mBuffer.size() >= FlushSize)
        finish();
}

bool TransferWriter::finish() {
    if (!ok()) {
        mBuffer.clear();
        return false;
    }
    if (!mDevice || !mDevice->isWritable()) {
        mError = u"The transfer file is not open for writing."_s;
    } else if (!mBuffer.isEmpty() && mDevice->write(mBuffer) != mBuffer.size()) {
        mError = mDevice->errorString();
        if (mError.isEmpty())
            mError = u"The transfer file could not be written."_s;
    }
    mBuffer.truncate(0); // its room serves the next block
    return ok();
}
