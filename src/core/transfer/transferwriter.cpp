#include "transferwriter.h"

#include "shell/codepage1252.h"
#include "transfervalues.h"

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr qsizetype FlushSize = 256 * 1024;
} // namespace

TransferWriter::TransferWriter(QIODevice* device)
    : mDevice(device) {
    mBuffer.reserve(FlushSize + 4096);
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

void TransferWriter::writeRecord(const MeetSchema::Table& table, qint64 number,
                                 const QVariantList& values) {
    const QString header = table.name + u'-' + TransferValues::padRecordNumber(number);
    appendLine(u'[' + header + u']');
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        const MeetSchema::Column& column = table.columns[i];
        const QString text =
            TransferValues::valueText(column.type, i < values.size() ? values[i] : QVariant());
        bool lossless = true;
        mBuffer += Cp1252::encode(column.name);
        mBuffer += '=';
        mBuffer += Cp1252::encode(text, &lossless);
        mBuffer += "\r\n";
        if (!lossless)
            mLossyFields.append(header + u' ' + column.name);
    }
    appendLine(QString());
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
    mBuffer.clear();
    return ok();
}
