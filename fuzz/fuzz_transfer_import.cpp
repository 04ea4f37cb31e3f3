// Feeds arbitrary bytes as a transfer file to the import, the way the import
// window and `tallvane import` read it, into a meet opened once per process on
// a memory file system; each input's changes are rolled back, so a run measures
// the import, not the creation of meet files. Whether what it stored survives
// an export and a second import is fuzz_transfer_roundtrip's question.
#include "db/dbtransaction.h"
#include "fuzzapp.h"
#include "fuzzimport.h"
#include "transfer/transferfileinfo.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Meet {
    std::unique_ptr<TempMeet> folder = FuzzImport::makeFolder();
    MeetDatabase db;
    Meet() { FuzzImport::openEmptyMeet(*folder, u"input.tallvane"_s, db); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Meet& meet = fuzzHarness<Meet>();
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

    const DbTransaction changes(meet.db);
    if (!changes.isActive()) {
        std::fprintf(stderr, "fuzz_transfer_import: no transaction: %s\n",
                     qPrintable(meet.db.lastError()));
        std::abort();
    }
    FuzzImport::importInto(meet.db, bytes);
    return 0;
}
