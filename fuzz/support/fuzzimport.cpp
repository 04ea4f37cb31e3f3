#include "fuzzimport.h"

#include "fuzzapp.h"
#include "transfer/transferfileinfo.h"
#include "transfer/transferreader.h"
#include "transfer/transferrecordstore.h"

#include <QBuffer>

#include <cstdio>
#include <cstdlib>

namespace FuzzImport {

std::unique_ptr<TempMeet> makeFolder() {
    useMemoryTempFolders();
    return std::make_unique<TempMeet>();
}

void openEmptyMeet(TempMeet& folder, const QString& fileName, MeetDatabase& db) {
    if (!db.open(folder.createMeetFile(fileName))) {
        std::fprintf(stderr, "cannot open the meet: %s\n", qPrintable(db.lastError()));
        std::abort();
    }
}

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

} // namespace FuzzImport
