// Takes arbitrary bytes as one value text of a transfer file. Besides crashes it
// checks the round trips that the import and export promise: every byte
// survives the Windows-1252 code page, a date read from a file is written back
// as a date that reads the same, and a value the import stores is written by the
// export as a text that the import stores again unchanged, for every kind of
// column.
#include "db/meetschema.h"
#include "shell/codepage1252.h"
#include "transfer/importvaluecodes.h"
#include "transfer/transfervalues.h"

#include <QSet>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_transfer_values: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// One column of the meet schema for each way the import converts a value.
std::vector<std::pair<const MeetSchema::Table*, int>> oneColumnPerCode() {
    std::vector<std::pair<const MeetSchema::Table*, int>> columns;
    QSet<int> seen;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables())
        for (int c = 0; c < table->columns.size(); ++c)
            if (const int code =
                    int(ImportValueCodes::codeOf(*table, c)) + 10 * int(table->columns[c].type);
                !seen.contains(code)) {
                seen.insert(code);
                columns.emplace_back(table, c);
            }
    return columns;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = Cp1252::decode(bytes);
    bool lossless = false;
    if (Cp1252::encode(text, &lossless) != bytes || !lossless)
        fail("a byte did not survive the code page");

    if (const std::optional<QString> iso = TransferValues::parseDate(text)) {
        const std::optional<QString> written = TransferValues::formatStoredDate(*iso);
        if (!written || TransferValues::parseDate(*written) != iso)
            fail("a date does not read back the same:", text);
    }

    static const auto columns = oneColumnPerCode();
    for (const auto& [table, c] : columns) {
        const MeetSchema::Column& column = table->columns[c];
        const ImportValueCodes::Code code = ImportValueCodes::codeOf(*table, c);
        const ImportValueCodes::Converted stored = ImportValueCodes::convert(code, column, bytes);
        if (!stored.error.isEmpty())
            continue;
        const QString written = TransferValues::valueText(column.type, stored.variant());
        // A converted text refers to the bytes it was read from: they stay.
        const QByteArray writtenBytes = Cp1252::encode(written);
        const ImportValueCodes::Converted again =
            ImportValueCodes::convert(code, column, writtenBytes);
        if (!again.error.isEmpty())
            fail("an exported value is refused by the import:", column.name + u' ' + written);
        if (TransferValues::valueText(column.type, again.variant()) != written)
            fail("an exported value changes once imported again:", column.name + u' ' + written);
    }
    return 0;
}
