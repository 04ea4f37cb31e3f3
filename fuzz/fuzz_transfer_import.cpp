// Feeds arbitrary bytes as a transfer file to the import, the way the import
// window and `tallvane import` read it, into a meet opened once per process;
// each input's changes are rolled back, so a run measures the import, not the
// creation of meet files. Besides crashes it checks what the import promises:
// whatever it stored exports to a file that imports again completely, with the
// same number of records, and exports again to the same bytes.
#include "db/dbtransaction.h"
#include "fuzzapp.h"
#include "tempmeet.h"
#include "transfer/transferexport.h"
#include "transfer/transferfileinfo.h"
#include "transfer/transferreader.h"
#include "transfer/transferrecordstore.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_transfer_import: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// Two empty meets, opened once: one takes the input, the other its export.
struct Meets {
    TempMeet folder;
    MeetDatabase input;
    MeetDatabase again;
    Meets() {
        if (!input.open(folder.createMeetFile(u"input.tallvane"_s)) ||
            !again.open(folder.createMeetFile(u"again.tallvane"_s)))
            fail("cannot open the meets:", input.lastError() + again.lastError());
    }
};

struct Imported {
    qint64 stored = -1;    // -1: the file was refused before any record was read
    bool complete = false; // every record stored, every table whole
};

// Stores the records of `bytes` as the import does.
Imported importInto(MeetDatabase& db, QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TransferReader reader(&buffer);
    Imported imported;
    if (reader.readHeader() < TransferFileInfo::MinimumVersion)
        return imported;
    TransferRecordStore store(db);
    TransferRecord record;
    imported.stored = 0;
    qint64 refused = 0;
    while (reader.readRecord(&record))
        ++(store.store(record).isEmpty() ? imported.stored : refused);
    imported.complete =
        refused == 0 && reader.problems().isEmpty() && reader.unfinishedTables().isEmpty();
    return imported;
}

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
    ensureFuzzApplication();
    static Meets meets;
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // What the import window reads before it starts.
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TransferFileInfo::readTransferVersion(&buffer);
    buffer.seek(0);
    TransferFileInfo::meetFileNameFor(TransferFileInfo::readTransferMeetName(&buffer));
    buffer.seek(0);
    TransferFileInfo::countTransferLines(&buffer);
    buffer.close();

    const DbTransaction inputChanges(meets.input);
    const DbTransaction againChanges(meets.again);
    if (!inputChanges.isActive() || !againChanges.isActive())
        fail("no transaction:", meets.input.lastError() + meets.again.lastError());
    const qint64 stored = importInto(meets.input, bytes).stored;
    if (stored < 0)
        return 0;
    const QByteArray exported = exportOf(meets.input, stored);
    const Imported again = importInto(meets.again, exported);
    if (again.stored != stored || !again.complete)
        fail("an exported meet does not import again completely:", QString::fromLatin1(exported));
    if (exportOf(meets.again, stored) != exported)
        fail("an exported meet exports differently once imported again");
    return 0;
}
