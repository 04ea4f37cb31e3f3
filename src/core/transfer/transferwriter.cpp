#include "transferwriter.h"

#include "shell/codepage1252.h"
#include "transfervalues.h"
#include "utf8tocp1252.h"

#include <QHash>

#include <charconv>
#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// The buffer is written out in blocks of about this size.
constexpr qsizetype BlockSize = 256 * 1024;
// Room for any number, flag or plain date a field holds, its line end included.
constexpr qsizetype FieldRoom = TransferValues::DoubleRoom + 2;
// Room for the "NNNN]" and line ends around a record.
constexpr qsizetype RecordRoom = 32;

char* put(char* out, QByteArrayView bytes) {
    std::memcpy(out, bytes.data(), size_t(bytes.size()));
    return out + bytes.size();
}

char* putLineEnd(char* out) {
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
}

} // namespace

TransferWriter::TransferWriter(QIODevice* device)
    : mDevice(device)
    , mBuffer(BlockSize, Qt::Uninitialized) {}

const TransferWriter::Layout& TransferWriter::layoutOf(const MeetSchema::Table& table) {
    // Built for every table at once, the first time (thread-safe): the schema is fixed.
    static const QHash<QString, Layout> layouts = [] {
        QHash<QString, Layout> all;
        for (const MeetSchema::Table& each : MeetSchema::tables()) {
            Layout& layout = all[each.name];
            layout.table = each.name;
            layout.opening = '[' + Cp1252::encode(each.name) + '-';
            layout.fixedRoom = layout.opening.size() + RecordRoom;
            for (const MeetSchema::Column& column : each.columns) {
                layout.prefixes.push_back(Cp1252::encode(column.name) + '=');
                layout.types.push_back(column.type);
                layout.fixedRoom += layout.prefixes.back().size() + FieldRoom;
            }
        }
        return all;
    }();
    return *layouts.find(table.name);
}

const TransferWriter::Layout& TransferWriter::layout(const MeetSchema::Table& table) {
    // A table's records come one after another: its layout is looked up once.
    if (mLayoutTable != &table || mLayout->table != table.name) {
        mLayoutTable = &table;
        mLayout = &layoutOf(table);
    }
    return *mLayout;
}

char* TransferWriter::room(qsizetype bytes) {
    if (mUsed + bytes > mBuffer.size()) {
        writeBlock();
        if (bytes > mBuffer.size())
            mBuffer.resize(bytes);
    }
    return mBuffer.data() + mUsed;
}

void TransferWriter::appendBytes(QByteArrayView bytes) {
    advanceTo(put(room(bytes.size()), bytes));
}

void TransferWriter::writeHeader() {
    appendBytes("[Rostrel]\r\nVersion=4.0\r\n\r\n");
}

bool TransferWriter::appendEncoded(QStringView text) {
    bool lossless = true;
    appendBytes(Cp1252::encode(text, &lossless));
    return lossless;
}

bool TransferWriter::appendValue(MeetSchema::ColumnType type, const QVariant& stored) {
    return appendEncoded(TransferValues::valueText(type, stored));
}

bool TransferWriter::appendText(QByteArrayView utf8) {
    // "Null" is written empty, as valueText() does.
    if (utf8 == "Null")
        return true;
    if (const char* end = Utf8ToCp1252::convert(utf8, room(utf8.size()))) {
        advanceTo(end);
        return true;
    }
    // A character the code page lacks, or no UTF-8: the general way says which.
    return appendEncoded(QString::fromUtf8(utf8));
}

char* TransferWriter::putRecordHeader(char* out, const Layout& layout, qint64 number) {
    out = put(out, layout.opening);
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    for (qsizetype width = end - digits; width < 4; ++width)
        *out++ = '0';
    out = put(out, QByteArrayView(digits, end - digits));
    *out++ = ']';
    return putLineEnd(out);
}

void TransferWriter::fieldLost(const MeetSchema::Table& table, qint64 number, qsizetype column) {
    mLossyFields.append(table.name + u'-' + TransferValues::padRecordNumber(number) + u' ' +
                        table.columns[column].name);
}

void TransferWriter::writeRecord(const MeetSchema::Table& table, qint64 number,
                                 const QVariantList& values) {
    const Layout& fields = layout(table);
    advanceTo(putRecordHeader(room(fields.fixedRoom), fields, number));
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        appendBytes(fields.prefixes[size_t(i)]);
        if (!appendValue(table.columns[i].type, i < values.size() ? values[i] : QVariant()))
            fieldLost(table, number, i);
        appendBytes("\r\n");
    }
    appendBytes("\r\n");
}

void TransferWriter::writeRecord(const MeetSchema::Table& table, qint64 number,
                                 const Utf8Statement& row) {
    using T = MeetSchema::ColumnType;
    using S = Utf8Statement::Type;
    const Layout& fields = layout(table);
    // Room for everything but texts at once; a text asks for its own room.
    char* out = putRecordHeader(room(fields.fixedRoom), fields, number);
    const int columns = int(fields.types.size());
    for (int i = 0; i < columns; ++i) {
        out = put(out, fields.prefixes[size_t(i)]);
        const T type = fields.types[size_t(i)];
        const S stored = row.type(i);
        bool written = true; // false: the value takes the general way
        if (stored == S::Null) {
            // written empty in every column
        } else if (stored == S::Integer) {
            const qint64 value = row.integer(i);
            if (type == T::Long)
                out = std::to_chars(out, out + FieldRoom, value).ptr;
            else if (type == T::Boolean)
                out = put(out, value != 0 ? QByteArrayView("True") : QByteArrayView("False"));
            else if (type == T::Double)
                out = TransferValues::writeDouble(out, double(value));
            else
                written = false;
        } else if (stored == S::Real) {
            const double value = row.real(i);
            written = (type == T::Double || type == T::Long) && std::isfinite(value);
            if (written)
                out = TransferValues::writeDouble(out, value);
        } else if (stored == S::Text && type == T::Date) {
            char* end = TransferValues::writePlainStoredDate(out, row.text(i));
            written = end != nullptr;
            if (written)
                out = end;
        } else {
            written = false;
        }
        if (!written || (stored == S::Text && type == T::Text)) {
            // Texts of any length, and values in unusual places, go through
            // the buffer's own appending.
            advanceTo(out);
            bool lossless = true;
            if (stored == S::Text && type == T::Text)
                lossless = appendText(row.text(i));
            else if (stored == S::Integer)
                lossless = appendValue(type, qlonglong(row.integer(i)));
            else if (stored == S::Real)
                lossless = appendValue(type, row.real(i));
            else if (stored == S::Blob)
                lossless = appendValue(type, row.blob(i).toByteArray());
            else
                lossless = appendValue(type, QString::fromUtf8(row.text(i)));
            if (!lossless)
                fieldLost(table, number, i);
            out = room(fields.fixedRoom);
        }
        out = putLineEnd(out);
    }
    advanceTo(putLineEnd(out));
}

void TransferWriter::writeTrailer(const MeetSchema::Table& table, qint64 records) {
    appendBytes(Cp1252::encode(QString(u'[' + table.name + u"]\r\nNumRecords="_s +
                                       QString::number(records) + u"\r\n\r\n"_s)));
}

void TransferWriter::writeBlock() {
    if (!ok() || mUsed == 0) {
        mUsed = 0;
        return;
    }
    if (!mDevice || !mDevice->isWritable()) {
        mError = u"The transfer file is not open for writing."_s;
    } else if (mDevice->write(mBuffer.constData(), mUsed) != mUsed) {
        mError = mDevice->errorString();
        if (mError.isEmpty())
            mError = u"The transfer file could not be written."_s;
    }
    mUsed = 0;
}

bool TransferWriter::finish() {
    if (ok() && (!mDevice || !mDevice->isWritable()))
        mError = u"The transfer file is not open for writing."_s;
    writeBlock();
    return ok();
}
