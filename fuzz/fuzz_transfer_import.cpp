// Feeds arbitrary bytes as a transfer file to the import, into a fresh meet file.
// Besides crashes it checks what the import promises: a refused file leaves no
// meet file behind, and whatever it stored exports to a file that imports again
// completely, with the same number of records.
#include "fuzzapp.h"
#include "transfer/transferexport.h"
#include "transfer/transferfileinfo.h"
#include "transfer/transferimporter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_transfer_import: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// Meet files are created and dropped for every input: on a memory file system
// when there is one, so that the run measures the code, not the disk.
QTemporaryDir& workFolder() {
    static QTemporaryDir dir(QFileInfo(u"/dev/shm"_s).isWritable()
                                 ? u"/dev/shm/tallvane-fuzz-XXXXXX"_s
                                 : QDir::tempPath() + u"/tallvane-fuzz-XXXXXX"_s);
    if (!dir.isValid())
        fail("no temporary folder");
    return dir;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write", path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ensureFuzzApplication();
    const QTemporaryDir& dir = workFolder();
    const QString transfer = dir.filePath(u"input.rxt"_s);
    const QString meet = dir.filePath(u"input.tallvane"_s);
    const QString again = dir.filePath(u"again.tallvane"_s);
    writeFile(transfer, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    // What the import window reads before it starts.
    TransferFileInfo::readTransferVersion(transfer);
    TransferFileInfo::meetFileNameFor(TransferFileInfo::readTransferMeetName(transfer));
    TransferFileInfo::countTransferLines(transfer);

    qint64 stored = 0;
    {
        TransferImporter importer(transfer, meet);
        const bool ran = importer.run();
        if (ran != importer.report().ran())
            fail("result and report disagree");
        if (!ran) {
            if (QFileInfo::exists(meet))
                fail("a refused import left a meet file:", importer.report().error);
            return 0;
        }
        if (!QFileInfo::exists(meet))
            fail("an import that ran left no meet file");
        stored = importer.report().storedRecords;
        importer.report().details();
    }

    // Export what was stored and import it again.
    QByteArray exported;
    {
        MeetDatabase db;
        if (!db.open(meet))
            fail("cannot open the imported meet:", db.lastError());
        QBuffer buffer(&exported);
        buffer.open(QIODevice::WriteOnly);
        const TransferExport::Result result = TransferExport::writeMeet(db, &buffer);
        if (!result.ok)
            fail("export of an imported meet failed:", result.error);
        if (result.records != stored)
            fail("export wrote another number of records than were imported");
    }
    writeFile(transfer, exported);
    {
        TransferImporter importer(transfer, again);
        if (!importer.run() || !importer.report().complete() ||
            importer.report().storedRecords != stored)
            fail("an exported meet does not import again completely:",
                 importer.report().error + importer.report().details());
    }
    TransferImporter::removeMeetFile(meet);
    TransferImporter::removeMeetFile(again);
    return 0;
}
