// Imports arbitrary bytes as a transfer file into an empty meet and checks what
// the import promises of whatever it stored: it exports to a file that imports
// again completely, with the same number of records, and exports again to the
// same bytes. Two meets, opened once per process on a memory file system, keep
// their prepared statements from input to input; each input's changes are
// rolled back.
#include "db/dbtransaction.h"
#include "fuzzapp.h"
#include "fuzzimport.h"
#include "transfer/transferexport.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_transfer_roundtrip: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// Two empty meets: one takes the input, the other its export.
struct Meets {
    std::unique_ptr<TempMeet> folder = FuzzImport::makeFolder();
    MeetDatabase input;
    MeetDatabase again;
    Meets() {
        FuzzImport::openEmptyMeet(*folder, u"input.tallvane"_s, input);
        FuzzImport::openEmptyMeet(*folder, u"again.tallvane"_s, again);
    }
};

QByteArray exportOf(MeetDatabase& db, qint64 records) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const TransferExport::Result result = TransferExport::writeTables(db, &buffer);
    if (!result.ok)
        fail("export of an imported meet failed:", result.error);
    if (result.records != records)
        fail("export wrote another number of records than were imported");
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Meets& meets = fuzzHarness<Meets>();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const DbTransaction inputChanges(meets.input);
    if (!inputChanges.isActive())
        fail("no transaction:", meets.input.lastError());
    const qint64 stored = FuzzImport::importInto(meets.input, bytes).stored;
    // Nothing stored leaves the empty meet, whose export is always the same.
    if (stored <= 0)
        return 0;
    const DbTransaction againChanges(meets.again);
    if (!againChanges.isActive())
        fail("no transaction:", meets.again.lastError());
    const QByteArray exported = exportOf(meets.input, stored);
    const FuzzImport::Imported again = FuzzImport::importInto(meets.again, exported);
    if (again.stored != stored || !again.complete)
        fail("an exported meet does not import again completely:", QString::fromLatin1(exported));
    if (exportOf(meets.again, stored) != exported)
        fail("an exported meet exports differently once imported again");
    return 0;
}
