// Reads arbitrary bytes as a transfer file, record by record, and converts each
// field the way the import would store it. Besides crashes it checks what the
// import relies on: every record names a table of the meet schema, records come
// in the order of their lines, and a field that converts without an error gives
// a value of its column's type (a finite number, a Boolean 0 or 1, an ISO date).
#include "db/meetschema.h"
#include "transfer/importvaluecodes.h"
#include "transfer/transferreader.h"

#include <QBuffer>
#include <QDate>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_transfer_records: %s %s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TransferReader reader(&buffer);
    reader.readHeader();
    TransferRecord record;
    qint64 lastLine = 0;
    while (reader.readRecord(&record)) {
        const MeetSchema::Table* table = MeetSchema::table(record.table);
        if (!table)
            fail("a record of no table:", record.table);
        if (record.line <= lastLine || record.line > reader.linesRead())
            fail("a record out of line order:", record.header);
        lastLine = record.line;
        for (int i = 0; i < record.fieldCount() && i < table->columns.size(); ++i) {
            const MeetSchema::Column& column = table->columns[i];
            const ImportValueCodes::Converted converted = ImportValueCodes::convert(
                ImportValueCodes::codeOf(*table, i), column, record.rawValue(i));
            if (!converted.error.isEmpty() ||
                converted.kind == ImportValueCodes::Converted::Kind::Null)
                continue;
            const QVariant value = converted.variant();
            bool ok = true;
            switch (column.type) {
            case MeetSchema::ColumnType::Boolean:
                ok = value.toInt() == 0 || value.toInt() == 1;
                break;
            case MeetSchema::ColumnType::Double:
                ok = std::isfinite(value.toDouble(&ok)) && ok;
                break;
            case MeetSchema::ColumnType::Long:
                value.toLongLong(&ok);
                break;
            case MeetSchema::ColumnType::Date:
                ok = QDate::fromString(value.toString().left(10), Qt::ISODate).isValid();
                break;
            case MeetSchema::ColumnType::Text:
                break;
            }
            if (!ok)
                fail("a converted value its column cannot hold:", record.value(i));
        }
    }
    reader.unfinishedTables();
    reader.problems();
    return 0;
}
